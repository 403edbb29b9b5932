// Sibling sorting. The order is the one repeated exchange passes over the children would leave
// (adjacent out-of-order pairs swapped until a pass swaps nothing): a stable sort by Greater. It
// is computed with a stable merge sort, and under an auto-sorted parent a changed child is moved
// to its place alone.
#include "arbor/model/xtreemodel.h"

#include <algorithm>
#include <deque>

namespace arbor {

namespace {

LONG normalisedDirection(LONG direction) noexcept
{
    return direction == 0 ? 0 : (direction == Ascending ? Ascending : Descending);
}

} // namespace

bool XTreeModel::before(const XTreeItem *a, const XTreeItem *b, LONG direction) const
{
    ++m_counters.comparisons;
    // Ascending exchanges a pair when the first is greater, so b must precede a when a > b;
    // descending exchanges when the second is greater.
    return direction > 0 ? b->Greater(*a) : a->Greater(*b);
}

void XTreeModel::sortChildren(XTreeItem *parent, LONG direction)
{
    direction = normalisedDirection(direction);
    if (direction == 0)
        return;
    struct Key {
        XTreeItem *item;
        LONG position;
        std::string_view text;
    };
    std::vector<Key> keys;
    std::deque<std::string> computed; // texts of kinds that do not store one (window captions)
    for (XTreeItem *c = parent->m_firstChild; c; c = c->m_next) {
        const char *t = c->GetNode()->textData();
        if (!t)
            t = computed.emplace_back(c->GetText()).c_str();
        keys.push_back({ c, c->GetSortPosition(), t });
    }
    auto greater = [](const Key &a, const Key &b) {
        return a.position != b.position ? a.position > b.position : a.text.compare(b.text) > 0;
    };
    if (direction > 0) {
        std::stable_sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            ++m_counters.comparisons;
            return greater(b, a);
        });
    } else {
        std::stable_sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            ++m_counters.comparisons;
            return greater(a, b);
        });
    }
    XTreeItem *prev = nullptr;
    for (const Key &k : keys) {
        k.item->m_prev = prev;
        if (prev)
            prev->m_next = k.item;
        else
            parent->m_firstChild = k.item;
        prev = k.item;
    }
    if (prev) {
        prev->m_next = nullptr;
        parent->m_lastChild = prev;
    }
    parent->m_childrenSorted = direction == parent->m_autoSort;
    if (!keys.empty())
        invalidateFrom(parent);
}

void XTreeModel::AutoSort(LONG hItem, LONG direction, bool bAuto)
{
    XTreeItem *x = item(hItem);
    if (!x)
        return;
    if (bAuto)
        x->m_autoSort = static_cast<signed>(normalisedDirection(direction));
    sortChildren(x, direction);
}

void XTreeModel::resortInParent(XTreeItem *x)
{
    XTreeItem *parent = x->m_parent;
    if (!parent || parent->m_autoSort == 0)
        return;
    const LONG direction = parent->m_autoSort;
    if (parent->m_childrenSorted)
        moveToSortedPlace(parent, x->rowStart(), direction);
    else
        sortChildren(parent, direction);
}

void XTreeModel::moveToSortedPlace(XTreeItem *parent, XTreeItem *x, LONG direction)
{
    // The other children are in order, so the full sort would only move x: backwards past the
    // siblings it must precede, or forwards past those that must precede it. Siblings equal to x
    // are never passed, which keeps the sort stable.
    XTreeItem *after = nullptr; // x goes right behind this one; null means first
    if (x->m_prev && before(x, x->m_prev, direction)) {
        after = x->m_prev->m_prev;
        while (after && before(x, after, direction))
            after = after->m_prev;
    } else if (x->m_next && before(x->m_next, x, direction)) {
        after = x->m_next;
        while (after->m_next && before(after->m_next, x, direction))
            after = after->m_next;
    } else {
        return;
    }
    // Unlink x from the children list and link it behind after.
    if (x->m_prev)
        x->m_prev->m_next = x->m_next;
    else
        parent->m_firstChild = x->m_next;
    if (x->m_next)
        x->m_next->m_prev = x->m_prev;
    else
        parent->m_lastChild = x->m_prev;
    XTreeItem *following = after ? after->m_next : parent->m_firstChild;
    x->m_prev = after;
    x->m_next = following;
    if (after)
        after->m_next = x;
    else
        parent->m_firstChild = x;
    if (following)
        following->m_prev = x;
    else
        parent->m_lastChild = x;
    invalidateFrom(parent);
}

} // namespace arbor
