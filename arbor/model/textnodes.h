// Text and icon-and-text nodes: the kinds most items are. A row text of up to kInlineText bytes
// is kept inside the node, so a typical text item is one pooled block; a longer one is a heap
// string of its own length.
#pragma once

#include "arbor/model/xtreenode.h"
#include "platform/com/variant.h"

#include <cstring>
#include <memory>

namespace arbor {

class XTreeNode_String : public XTreeNode {
public:
    explicit XTreeNode_String(std::string_view text) { SetText(text); }
    ~XTreeNode_String() override { dropHeapText(); }
    static constexpr std::size_t kInlineText = 15;

    LONG typeCode() const noexcept override { return kTypeString; }
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;
    void Paint(QPainter &p, const QRect &rect, XTreeModel &model) override;
    void PaintGhost(QPainter &p, const QRect &rect, XTreeModel &model) override;

    std::string GetText() const override { return std::string(textData()); }
    void SetText(std::string_view text) override;
    const char *textData() const noexcept override { return onHeap() ? heapText() : m_store; }
    // True when the text lives in the node itself rather than on the heap.
    bool textInline() const noexcept { return !onHeap(); }
    bool HasText() const noexcept override { return true; }

protected:
    // Text size as (text width + 20, max(text height, 14) + 3); fm are the metrics of the item's
    // font (or the model's), which single-line ASCII texts are summed in without a text layout.
    QSize measureText(const XTreeModel &model, const QFontMetrics &fm) const;
    // The text painting every text kind ends with: fill, text, focus rectangle.
    void paintText(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost) const;
    // Paints the node; the text kinds differ only in what they put before the text.
    virtual void paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost);

private:
    // Inline: the text and its NUL; the last byte, NUL also for a text of kInlineText bytes, marks
    // it so. On the heap: the pointer in the first bytes and a nonzero last byte.
    bool onHeap() const noexcept { return m_store[kInlineText] != 0; }
    char *heapText() const noexcept
    {
        char *p;
        std::memcpy(&p, m_store, sizeof p);
        return p;
    }
    void dropHeapText() noexcept;

    alignas(char *) char m_store[kInlineText + 1] = {};
};

class XTreeNode_IconString : public XTreeNode_String {
public:
    // An empty expanded key means "same as collapsed".
    XTreeNode_IconString(
        std::string_view text, const VARIANT &collapsedKey, const VARIANT &expandedKey);

    LONG typeCode() const noexcept override { return kTypeIconString; }
    QSize Measure(const XTreeModel &model, const QFontMetrics &fm) const override;
    bool HasIcon() const noexcept override { return true; }

    // type is taken modulo 2 (0 collapsed, 1 expanded); the key becomes the low word of value.
    void SetImageKey(LONG type, LONG value);
    const VARIANT &GetImageKey(LONG type) const noexcept;
    // Handle of the icon the state's key finds now; 0 when the collection does not know it.
    HICON GetIcon(const XTreeModel &model, LONG type) const;
    // The picture shown now: the expanded state's while the item is expanded. Null when none.
    virtual QImage GetCurrentIcon(const XTreeModel &model) const;

protected:
    void paintNode(QPainter &p, const QRect &rect, XTreeModel &model, bool ghost) override;
    // Whether room for an icon is kept even when there is none (check kinds always keep it).
    virtual bool reservesIcon(const XTreeModel &model) const;

private:
    platform::com::Variant m_keys[2];
};

} // namespace arbor
