// Image-and-text node: a tile of a keyed picture from the image collection in front of the text.
// The picture is a grid of cx x cy tiles; each state (collapsed, expanded) shows one tile.
#pragma once

#include "arbor/model/textnodes.h"

#include <QImage>

namespace arbor {

class XTreeNode_ImageString : public XTreeNode_String {
public:
    XTreeNode_ImageString(std::string_view text, const VARIANT &key);

    LONG typeCode() const noexcept override { return kTypeImageString; }
    bool IsImage() const noexcept override { return true; }
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;
    int HitTest(const XTreeModel &model, const QPoint &point, const QRect &rect) const override;
    // Area 1: clears the selection unless Ctrl is down, raises ValueChanged, then selects the item.
    bool OnClick(XTreeModel &model, int area) override;

    // type modulo 2; column in the low word of value, row in the high word. Raises ValueChanged;
    // the node may be gone when this returns.
    void SetTile(XTreeModel &model, LONG type, LONG value);
    // The column of the state's tile.
    LONG GetTile(LONG type) const noexcept;
    QPoint tilePosition(LONG type) const noexcept;
    const VARIANT &GetImageKey() const noexcept { return m_key; }
    // The tile for the current state with the transparent colour left out (alpha 0) and every
    // other pixel ANDed with background; null when the key finds no picture.
    QImage GetImage(const XTreeModel &model, COLORREF background) const;

protected:
    void paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost) override;

private:
    int tileWidth(const XTreeModel &model) const;

    platform::com::Variant m_key;
    WORD m_tiles[2][2] = {}; // [state][column, row]
};

} // namespace arbor
