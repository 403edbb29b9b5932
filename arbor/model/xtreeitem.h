// One item of the tree: its links in both directions (tree and row), its layout settings and the
// node that decides what it shows. Items are created and destroyed only by XTreeModel, which
// allocates the item and its node as one block; the item reaches its node, and the node its item,
// by that fixed offset, so neither stores a pointer to the other. An item is 72 bytes: the links,
// the handle and everything else packed in one word; rarely set values live beside it.
#pragma once

#include "arbor/model/constants.h"
#include "platform/com/connection.h"
#include "platform/com/variant.h"

#include <QFont>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace arbor {

class XTreeNode;
class XTreeModel;

class XTreeItem {
public:
    Q_DISABLE_COPY_MOVE(XTreeItem)

    LONG handle() const noexcept { return m_handle; }
    XTreeNode *GetNode() const noexcept;

    // Links. A cell to the right of another has no next/previous links and is nobody's child; its
    // parent is the parent of the leftmost item of its row.
    XTreeItem *GetParent() const noexcept { return m_parent; }
    XTreeItem *GetLeft() const noexcept { return m_left; }
    XTreeItem *GetRight() const noexcept { return m_right; }
    XTreeItem *GetNext() const noexcept { return m_next; }
    XTreeItem *GetPrev() const noexcept { return m_prev; }
    XTreeItem *GetFirstChild() const noexcept { return m_firstChild; }
    XTreeItem *GetLastChild() const noexcept { return m_lastChild; }
    bool hasChildren() const noexcept { return m_firstChild != nullptr; }
    // The leftmost item of this item's row. O(row length).
    XTreeItem *rowStart() const noexcept;
    // Follows left and parent links to the root of the whole tree. O(depth + row lengths).
    XTreeItem *GetTopAncestor() const noexcept;
    // True when this is other, lies in other's right chain, or below it. O(depth), no recursion.
    bool IsInSubtreeOf(const XTreeItem *other) const noexcept;
    // True when every ancestor is expanded. O(depth).
    bool IsVisible() const noexcept;

    // The node's text; empty for kinds without text.
    std::string GetText() const;
    HWND GetHostedWindow() const noexcept;

    bool GetWordWrap() const noexcept { return m_wordWrap; }
    void SetWordWrap(bool on) noexcept { m_wordWrap = on; }
    LONG GetVAlignment() const noexcept { return m_vAlign; }
    // Clamped to 0..2: the value divides a height in the layout.
    void SetVAlignment(LONG a) noexcept { m_vAlign = a < 0 ? 0 : (a > 2 ? 2 : a); }
    LONG width() const noexcept { return m_hasExtras ? extrasIfAny()->width : -1; }
    void setWidth(LONG w);
    DWORD linkFlags() const noexcept { return m_linkFlags; }
    void setLinkFlags(DWORD f) noexcept { m_linkFlags = f & AllLinks; }
    LONG GetSortPosition() const noexcept { return m_hasExtras ? extrasIfAny()->sortPosition : 0; }
    LONG GetAutoSortDirection() const noexcept { return m_autoSort; }
    bool IsExpanded() const noexcept { return m_expanded; }
    bool IsCollapsed() const noexcept { return !m_expanded; }
    bool IsSelected() const noexcept { return m_selected; }

    // Sort order among siblings: sort position first (signed), then the text byte by byte.
    bool Greater(const XTreeItem &other) const;
    bool NotGreater(const XTreeItem &other) const { return !Greater(other); }

    // Client data, allocated on first write; an item without data reads VT_EMPTY.
    const VARIANT &itemData() const noexcept;
    void setItemData(const VARIANT &value);
    // Item font; null means the control font. Painting and measuring use it when set.
    const QFont *itemFont() const noexcept;
    void setItemFont(const QFont *font);
    // The object the item font is read from, if its owner shares one, and the link through which
    // the owner hears of its changes. Both go with the item, or when replaced (the old link is
    // unadvised first); a null source drops both.
    IUnknown *itemFontSource() const noexcept;
    void setItemFontSource(ComPtr<IUnknown> source, std::shared_ptr<void> watch);
    const void *itemFontWatch() const noexcept;

    // Cached size of the item's row for the view, valid until the item or something below or right
    // of it changes; the model clears it along the ancestors of every change. Each side is kept
    // within +-kMaxCachedSide pixels, far beyond any screen.
    static constexpr int kMaxCachedSide = (1 << 23) - 1;
    bool sizeValid() const noexcept { return m_sizeValid; }
    int cachedWidth() const noexcept { return static_cast<int>(m_cachedWidth); }
    int cachedHeight() const noexcept { return static_cast<int>(m_cachedHeight); }
    void setCachedSize(int w, int h) noexcept
    {
        m_cachedWidth = std::clamp(w, -kMaxCachedSide, kMaxCachedSide);
        m_cachedHeight = std::clamp(h, -kMaxCachedSide, kMaxCachedSide);
        m_sizeValid = true;
    }

private:
    friend class XTreeModel;
    friend class XTreeNode;
    friend class RootList;
    friend struct ModelInspector;

    explicit XTreeItem(LONG handle) noexcept;
    ~XTreeItem();

    // Rarely set per-item values, kept in a table beside the items so that a plain text item pays
    // one bit for all of them.
    struct Extras {
        static constexpr COLORREF kUnset = 0xFFFFFFFFu;
        platform::com::Variant data;
        std::unique_ptr<QFont> font;
        ComPtr<IUnknown> fontSource;
        // Whatever the owner keeps while the item uses fontSource (the control's watch on it);
        // declared after the source, so it goes first.
        std::shared_ptr<void> fontWatch;
        COLORREF foreColor = kUnset; // the node's own colours
        COLORREF backColor = kUnset;
        LONG width = -1;
        LONG sortPosition = 0;
    };
    Extras &extras();
    // The item's extras, null while it has none. O(1).
    Extras *extrasIfAny() const noexcept;
    struct ExtrasTable;
    static ExtrasTable &extrasTable();

    XTreeItem *m_parent = nullptr;
    XTreeItem *m_next = nullptr;
    XTreeItem *m_prev = nullptr;
    XTreeItem *m_left = nullptr;
    XTreeItem *m_right = nullptr;
    XTreeItem *m_firstChild = nullptr;
    // Kept so that appending a child is O(1).
    XTreeItem *m_lastChild = nullptr;
    LONG m_handle;
    // Position in the root list's slot table; only meaningful for roots.
    UINT m_rootSlot = 0;
    std::int64_t m_cachedWidth : 24 = 0;
    std::int64_t m_cachedHeight : 24 = 0;
    DWORD m_linkFlags : 5 = AllLinks;
    DWORD m_vAlign : 2 = 0;
    bool m_wordWrap : 1 = false;
    bool m_expanded : 1 = false;
    bool m_selected : 1 = false;
    bool m_sizeValid : 1 = false;
    // The children are in the order of the remembered direction, so a changed child can be moved to
    // its place alone instead of sorting them all again.
    bool m_childrenSorted : 1 = false;
    signed m_autoSort : 2 = 0;
    bool m_hasExtras : 1 = false;
};

} // namespace arbor
