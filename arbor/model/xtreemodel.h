// The item side of the tree window: every item of one control, the handles the automation
// interface hands out, and the operations on them (insert, remove, move, find, sort, expand,
// select). The window that lays the items out and paints them (XTreeView) owns one model and asks
// it for changes through the layout sink; the model itself never lays out or paints a whole tree.
//
// Handles are validated in O(1) through a registry. Every walk is iterative, so a chain a million
// items deep or a row of a hundred thousand cells never exhausts the stack. Every operation that
// raises an event looks its items up again by handle afterwards, because the event handler may
// have removed them.
#pragma once

#include "arbor/model/hooks.h"
#include "arbor/model/internal/blockpool.h"
#include "arbor/model/internal/itemregistry.h"
#include "arbor/model/internal/rootlist.h"
#include "arbor/model/xtreeitem.h"
#include "arbor/model/xtreenode.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace arbor {

class XTreeNode_Window;

// Control-wide state the nodes paint and measure with; the control object keeps it current.
struct XTreeAppearance {
    COLORREF foreColor = kBlack;
    COLORREF backColor = kWhite;
    bool enabled = true;
    bool hasFocus = false;
    DWORD style = 31;
    bool designMode = false;
    QFont font = QFont(QStringLiteral("Arial"), 8);
};

class XTreeModel {
public:
    XTreeModel();
    // Destroys every item; adopted windows are hidden and detached, never deleted.
    ~XTreeModel();
    Q_DISABLE_COPY_MOVE(XTreeModel)

    void setEvents(XTreeEvents *events) noexcept { m_events = events; }
    // Null restores the empty hook (no groups).
    void setGroupHook(XTreeGroupHook *hook) noexcept;
    XTreeGroupHook &groupHook() const noexcept { return *m_groups; }
    void setImageLookup(const XTreeImageLookup *images) noexcept { m_images = images; }
    const XTreeImageLookup *imageLookup() const noexcept { return m_images; }
    void setLayoutSink(XTreeLayoutSink *sink) noexcept { m_sink = sink; }
    // The window adopted windows become children of.
    void setItemWindow(QWidget *window);
    QWidget *itemWindow() const noexcept { return m_itemWindow; }
    XTreeAppearance &appearance() noexcept { return m_appearance; }
    const XTreeAppearance &appearance() const noexcept { return m_appearance; }

    // The live item of a handle, null when the handle is not one. O(1).
    XTreeItem *item(LONG hItem) const noexcept { return m_registry.find(hItem); }
    bool isValid(LONG hItem) const noexcept { return item(hItem) != nullptr; }
    std::size_t itemCount() const noexcept { return m_registry.size(); }

    // Creates an item around a new Node built from args and links it: as a new root (hParent 0),
    // as the last child of hParent (bDown), or at the right end of hParent's row (!bDown). Returns
    // the new handle; 0 when hParent is neither 0 nor valid, or no handle is left. O(1) amortised,
    // plus the row length for a cell and the distance moved under an auto-sorted parent.
    template <class Node, class... Args> LONG InsertNode(LONG hParent, bool bDown, Args &&...args)
    {
        static_assert(std::is_base_of_v<XTreeNode, Node>);
        static_assert(alignof(Node) <= alignof(XTreeItem));
        XTreeItem *parent = nullptr;
        if (hParent != 0 && !(parent = item(hParent)))
            return 0;
        void *block = poolFor(kNodeOffset + sizeof(Node)).allocate();
        Node *node;
        try {
            node =
                ::new (static_cast<char *>(block) + kNodeOffset) Node(std::forward<Args>(args)...);
        } catch (...) {
            BlockPool::release(block);
            throw;
        }
        return linkNewItem(block, node, parent, bDown);
    }

    // Removes an item that has no children and no right neighbour; false (and nothing changed)
    // otherwise. O(1) plus O(log n) for a root.
    bool RemoveItem(LONG hItem);
    // Removes the item with its right chain and everything below them. O(items removed).
    bool RemoveItemRec(LONG hItem);
    // Removes everything; refused (false) while an event is being raised. O(n).
    bool RemoveAllItems();
    // Moves the item, with its right chain and subtree, to the end of hNewParent's children and
    // expands hNewParent. Refused when a handle is invalid, when the item already is a child of
    // hNewParent, and when hNewParent lies in the moved subtree (that would be a cycle).
    bool ChangeParentItem(LONG hItem, LONG hNewParent);
    // Pre-order search: an item, then its right chain, then its children. bMatch: equal ignoring
    // case; else case-sensitive prefix. hItemStart 0 searches every root, otherwise the subtree of
    // hItemStart including itself. O(items searched).
    LONG FindItem(std::string_view text, bool bMatch, LONG hItemStart) const;
    // Sorts hItem's children now (stable, O(k log k)); bAuto also remembers the direction for
    // later insertions and changes. hItem 0 or invalid does nothing.
    void AutoSort(LONG hItem, LONG direction, bool bAuto);
    // Set the text / sort position and move the item to its place under an auto-sorted parent.
    void SetItemText(LONG hItem, std::string_view text);
    void SetSortPosition(LONG hItem, LONG position);

    // Links; 0 for an invalid handle or a missing link.
    LONG ItemParent(LONG hItem) const noexcept
    {
        return handleOf(linkOf(hItem, &XTreeItem::m_parent));
    }
    LONG ItemChild(LONG hItem) const noexcept
    {
        return handleOf(linkOf(hItem, &XTreeItem::m_firstChild));
    }
    LONG ItemNext(LONG hItem) const noexcept { return handleOf(linkOf(hItem, &XTreeItem::m_next)); }
    LONG ItemPrev(LONG hItem) const noexcept { return handleOf(linkOf(hItem, &XTreeItem::m_prev)); }
    LONG ItemLeft(LONG hItem) const noexcept { return handleOf(linkOf(hItem, &XTreeItem::m_left)); }
    LONG ItemRight(LONG hItem) const noexcept
    {
        return handleOf(linkOf(hItem, &XTreeItem::m_right));
    }
    LONG ItemType(LONG hItem) const noexcept;
    LONG RootCount() const noexcept { return static_cast<LONG>(m_roots.size()); }
    // The n-th root, 0 outside 0..count-1. O(log n).
    LONG Root(LONG nIndex) const noexcept;
    // The root the view's walk starts from.
    XTreeItem *firstRoot() const noexcept { return m_firstRoot; }
    void setFirstRoot(XTreeItem *root) noexcept { m_firstRoot = root; }

    // Raises ItemExpanding, stores the state, shows or hides hosted windows below, raises
    // ItemExpanded. Expanding an item without children does nothing at all.
    void Expand(LONG hItem, bool expand);
    // Expands the item and then each of its children, depth first, without recursion.
    void ExpandAll(LONG hItem);
    // Expands every collapsed ancestor, top down.
    void ExpandAncestors(LONG hItem);

    // Sets the selected flag, adds the item to the selection list and raises ItemSelect.
    void MarkSelected(LONG hItem);
    // Clears the flag and drops the item from the selection list; no event.
    void MarkDeselected(LONG hItem);
    // Deselects everything, without events. O(selection).
    void clearSelection();
    // The selection the user makes with a click: only this item, focused and selected.
    void selectAlone(LONG hItem);
    const std::vector<XTreeItem *> &selection() const noexcept { return m_selection; }
    LONG focusItem() const noexcept { return m_focus ? m_focus->handle() : 0; }
    void setFocusItem(LONG hItem) noexcept { m_focus = item(hItem); }
    bool isFocusItem(const XTreeItem *x) const noexcept { return x && x == m_focus; }

    // Raises ValueChanged; false when the item is gone afterwards.
    bool raiseValueChanged(LONG hItem);
    // True while an event handler runs.
    bool insideEvent() const noexcept { return m_eventDepth > 0; }
    // True while items are destroyed or hosted windows hidden or shown in bulk. A hosted window
    // that gains the focus meanwhile (Qt passes it on from one being hidden) was not activated by
    // the user and selects nothing: no event may run while such a walk holds raw items.
    bool movingWindows() const noexcept { return m_windowWork > 0; }

    // The node size of an item, measured with its font (or the control font).
    QSize measure(LONG hItem) const;
    // Marks the item and the row and parent chain above it as needing a new size, and tells the
    // sink once per layout. O(1) amortised: the walk stops at the first item already marked, so the
    // view must mark an item valid only after everything visible below and right of it.
    void invalidateItem(XTreeItem *x) noexcept;
    bool layoutDirty() const noexcept { return m_layoutDirty; }
    void requestRepaint()
    {
        if (m_sink)
            m_sink->repaintNeeded();
    }
    // The view calls this when it has brought every visible size up to date.
    void layoutDone() noexcept { m_layoutDirty = false; }

    // Counters for tests that check the cost of operations without timing them.
    struct Counters {
        std::uint64_t comparisons = 0;
        std::uint64_t visited = 0;
    };
    Counters &counters() const noexcept { return m_counters; }

    // Hosted-window nodes tell the model they hold a window: expanding and collapsing skip the walk
    // for hosted windows when there are none, and the item window's end detaches them.
    void addWindowNode(XTreeNode_Window *node) { m_windowNodes.insert(node); }
    void removeWindowNode(XTreeNode_Window *node) noexcept { m_windowNodes.erase(node); }
    // The view places these windows even when their rows are scrolled out of sight.
    const std::unordered_set<XTreeNode_Window *> &windowNodes() const noexcept
    {
        return m_windowNodes;
    }
    // Hides every adopted window and makes it a top-level window again, so that destroying the
    // item window (which deletes its children) destroys nothing a client owns. Runs by itself when
    // the item window is destroyed. O(window nodes).
    void detachHostedWindows();
    // Slabs the item blocks are drawn from now; an emptied slab goes back to the heap at once.
    std::size_t slabCount() const noexcept
    {
        std::size_t n = 0;
        for (const auto &p : m_pools)
            n += p->slabCount();
        return n;
    }
    // For tests: a registry that runs out of handles after this many.
    void setHandleCapacityForTesting(std::size_t n) { m_registry.setCapacityForTesting(n); }

    // The item's node lives right behind it in the same block.
    static constexpr std::size_t kNodeOffset =
        (sizeof(XTreeItem) + alignof(XTreeItem) - 1) / alignof(XTreeItem) * alignof(XTreeItem);

private:
    friend struct ModelInspector;
    class EventScope;

    LONG linkNewItem(void *block, XTreeNode *node, XTreeItem *parent, bool bDown);
    // The pool of blocks of this size (rounded up to 8 bytes), made on first use.
    BlockPool &poolFor(std::size_t blockBytes);
    XTreeItem *linkOf(LONG hItem, XTreeItem *XTreeItem::*link) const noexcept
    {
        const XTreeItem *x = item(hItem);
        return x ? x->*link : nullptr;
    }
    static LONG handleOf(const XTreeItem *x) noexcept { return x ? x->m_handle : 0; }

    // Takes x (with its right chain and subtree) out of its row, sibling list or the root list.
    // firstRootFollows: a removed first root hands over to its next root (a move) rather than to
    // the new head of the list (a removal).
    void unlink(XTreeItem *x, bool firstRootFollows);
    void appendChild(XTreeItem *parent, XTreeItem *x) noexcept;
    // Destroys x, its right chain and its subtree, already unlinked. O(items), no recursion.
    void destroyTree(XTreeItem *x, bool forgetGroups);
    // Destroys every root with all below and right of it, leaving the root list to the caller.
    void destroyRoots();
    void destroyOne(XTreeItem *x, bool forgetGroups);
    // Hands `top`, its right chain and everything below to `visit`, each after what it holds is
    // queued, so `visit` may free it. `pending` is the (empty) work list, reusable across calls.
    template <class Visit>
    void takeApart(XTreeItem *top, std::vector<XTreeItem *> &pending, Visit visit);
    void dropFromSelection(const std::vector<XTreeItem *> &dead);
    void invalidateFrom(XTreeItem *x) noexcept;
    void showChildWindows(XTreeItem *x, bool show);

    // Sorting.
    void resortInParent(XTreeItem *x);
    void sortChildren(XTreeItem *parent, LONG direction);
    bool before(const XTreeItem *a, const XTreeItem *b, LONG direction) const;
    void moveToSortedPlace(XTreeItem *parent, XTreeItem *x, LONG direction);

    void raiseItemSelect(LONG hItem);

    // Declared first, so they outlive everything that could still hold a block.
    std::vector<std::unique_ptr<BlockPool>> m_pools;
    BlockPool *m_lastPool = nullptr;
    ItemRegistry m_registry;
    RootList m_roots;
    XTreeItem *m_firstRoot = nullptr;
    XTreeItem *m_focus = nullptr;
    std::vector<XTreeItem *> m_selection;
    XTreeEvents *m_events = nullptr;
    XTreeGroupHook *m_groups;
    const XTreeImageLookup *m_images = nullptr;
    XTreeLayoutSink *m_sink = nullptr;
    QPointer<QWidget> m_itemWindow;
    XTreeAppearance m_appearance;
    int m_eventDepth = 0;
    int m_windowWork = 0;
    struct WindowWork; // counts m_windowWork for a scope
    std::unordered_set<XTreeNode_Window *> m_windowNodes;
    // A child of the item window created before any window is adopted, so Qt deletes it before
    // the adopted windows and its destructor can detach them first.
    QPointer<QObject> m_itemWindowGuard;
    bool m_layoutDirty = false;
    mutable Counters m_counters;
};

} // namespace arbor
