// The node of an item decides what the item shows, how big it is, where a point falls on it and
// what a click does. XTreeNode is the base of the eight kinds; it keeps the item's own colours.
// Operations that can raise an event take the model and the item's handle and must not touch the
// node after the event: the handler may have destroyed it. The node's own colours are kept with
// the item's other rarely set values.
#pragma once

#include "arbor/model/constants.h"

#include <QRect>
#include <QSize>

#include <string>
#include <string_view>

class QPainter;
class QFontMetrics;

namespace arbor {

class XTreeItem;
class XTreeModel;

class XTreeNode {
public:
    Q_DISABLE_COPY_MOVE(XTreeNode)
    virtual ~XTreeNode() = default;

    // The item this node belongs to (same allocation).
    XTreeItem *item() const noexcept;
    virtual LONG typeCode() const noexcept { return kTypePlain; }

    // Size of the node with fm being the metrics of the item's font (or the control's).
    virtual QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const = 0;
    // Paints into rect, the item rectangle without the button column.
    virtual void Paint(QPainter &p, const QRect &rect, XTreeModel &model) = 0;
    // The drag image: no background, grey where selected text would be white.
    virtual void PaintGhost(QPainter &p, const QRect &rect, XTreeModel &model);
    // One of HitArea for a point, rect being the whole item rectangle.
    virtual int HitTest(const XTreeModel &model, const QPoint &point, const QRect &rect) const;
    // A click on area; true when the item must be repainted. May raise events and destroy the item.
    virtual bool OnClick(XTreeModel &model, int area);

    // A stored colour equal to the control's colour of that kind is dropped again, so the item
    // follows later changes of the control colour.
    void SetForeColor(const XTreeModel &model, COLORREF color);
    void SetBackColor(const XTreeModel &model, COLORREF color);
    // Effective colours: grey text while the control is disabled, else own, else the control's.
    COLORREF GetForeColor(const XTreeModel &model) const noexcept;
    COLORREF GetBackColor(const XTreeModel &model) const noexcept;
    bool hasOwnBackColor() const noexcept;

    virtual HWND GetWindow() const noexcept { return 0; }
    virtual std::string GetText() const { return {}; }
    virtual void SetText(std::string_view) { }
    // The stored text without a copy, for sorting and searching; null for kinds that compute it.
    virtual const char *textData() const noexcept { return nullptr; }
    virtual bool HasText() const noexcept { return false; }
    virtual bool IsCheckKind() const noexcept { return false; }
    virtual bool IsRadio() const noexcept { return false; }
    virtual bool IsControl() const noexcept { return false; }
    virtual bool HasWindow() const noexcept { return false; }
    virtual bool IsImage() const noexcept { return false; }
    virtual bool HasIcon() const noexcept { return false; }

    virtual void OnExpand(bool expanded) { }
    // After the item is linked in; may raise no event.
    virtual void OnAttached(XTreeModel &model) { }
    virtual void ShowHosted(bool show) { }
    virtual void OnSelectChanged(bool selected) { }

protected:
    XTreeNode() = default;
};

} // namespace arbor
