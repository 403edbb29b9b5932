#include "arbor/view/xtreeselection.h"

#include "arbor/view/xtreeview.h"

#include <cstdlib>
#include <vector>

namespace arbor {

int ensureVisibleMove(int itemStart, int itemLength, int rangeStart, int rangeLength) noexcept
{
    const int d = itemStart - rangeStart;
    if (d == 0)
        return 0;
    if (itemLength >= rangeLength)
        return d;
    const int itemEnd = itemStart + itemLength;
    const int rangeEnd = rangeStart + rangeLength;
    if (itemStart > rangeStart && itemEnd < rangeEnd)
        return 0;
    const int s = d > 0 ? 4 : -4;
    // Integer division: a distance that already is a multiple of 4 still moves one step further.
    const int showStart = (d / s + 1) * s;
    const int showEnd = ((itemEnd - rangeEnd) / s + 1) * s;
    return std::abs(showStart) < std::abs(showEnd) ? showStart : showEnd;
}

void EnsureVisible(XTreeView &view, LONG hItem)
{
    XTreeModel &m = view.model();
    if (!m.isValid(hItem))
        return;
    m.ExpandAncestors(hItem);
    const XTreeItem *x = m.item(hItem); // a handler may have removed it
    if (!x || !x->IsVisible())
        return;
    const auto origin = view.treeLayout().contentOrigin(x);
    if (!origin)
        return;
    const QSize node = view.treeLayout().nodeSize(x);
    const QPoint pos = view.scrollPosition();
    const QSize client = view.clientRect().size();
    const int dx = ensureVisibleMove(origin->x(), node.width(), pos.x(), client.width());
    const int dy = ensureVisibleMove(origin->y(), node.height(), pos.y(), client.height());
    if (!view.ScrollTo(pos.x() + dx, pos.y() + dy))
        view.redraw(true);
}

bool SelectItem(XTreeView &view, LONG hItem)
{
    XTreeModel &m = view.model();
    const XTreeItem *x = m.item(hItem);
    if (!x || x->IsSelected())
        return false;
    if (m.appearance().style & ARBORSTYLE_SINGLESEL)
        m.clearSelection();
    m.setFocusItem(hItem);
    m.MarkSelected(hItem);
    if (m.isValid(hItem))
        EnsureVisible(view, hItem);
    view.redraw(false);
    return true;
}

void DeselectItem(XTreeView &view, LONG hItem)
{
    XTreeModel &m = view.model();
    const XTreeItem *x = m.item(hItem);
    if (!x || !x->IsSelected())
        return;
    m.MarkDeselected(hItem);
    view.redraw(false);
}

void ClearSelection(XTreeView &view, bool all)
{
    XTreeModel &m = view.model();
    if (all) {
        m.clearSelection();
    } else {
        std::vector<LONG> hidden;
        for (const XTreeItem *x : m.selection())
            if (!x->IsVisible())
                hidden.push_back(x->handle());
        for (LONG h : hidden)
            m.MarkDeselected(h);
    }
    view.redraw(false);
}

} // namespace arbor
