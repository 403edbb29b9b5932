#include "arbor/view/xtreelayout.h"

#include "arbor/model/xtreenode.h"

#include <algorithm>

namespace arbor {

XTreeItem *firstRootOf(const XTreeModel &model) noexcept
{
    if (XTreeItem *r = model.firstRoot())
        return r;
    return model.item(model.Root(0));
}

XTreeLayout::XTreeLayout(XTreeModel &model)
    : m_model(model)
{
}

const QFontMetrics &XTreeLayout::metricsFor(const XTreeItem *x) const
{
    // Building metrics per item would dominate measuring a large tree; the control font's are kept
    // and an item font's are rebuilt only when it differs from the last one seen.
    if (const QFont *f = x->itemFont()) {
        if (!m_itemMetrics || m_itemMetricsFont != *f) {
            m_itemMetricsFont = *f;
            m_itemMetrics.emplace(*f);
        }
        return *m_itemMetrics;
    }
    const QFont &font = m_model.appearance().font;
    if (!m_controlMetrics || m_metricsFont != font) {
        m_metricsFont = font;
        m_controlMetrics.emplace(font);
    }
    return *m_controlMetrics;
}

QSize XTreeLayout::nodeSize(const XTreeItem *x) const
{
    // A valid item that shows no children caches exactly its node's size, and most rows are such
    // leaves: measuring text again on every walk would dominate painting and hit testing.
    if (x->sizeValid()) {
        if (!x->IsExpanded() || !x->GetFirstChild())
            return subtreeSize(x);
        if (auto it = m_parentNodes.find(x); it != m_parentNodes.end())
            return it->second;
    }
    return x->GetNode()->Measure(m_model, metricsFor(x));
}

RowGeometry XTreeLayout::row(const XTreeItem *leftmost, std::vector<RowCell> *cells) const
{
    if (cells)
        cells->clear();
    const LONG columnWidth = leftmost->width();
    RowGeometry g;
    int dx = 0;
    int dy = 0;
    int right = 0;
    const XTreeItem *prev = nullptr;
    for (const XTreeItem *c = leftmost; c; c = c->GetRight()) {
        const QSize sub = subtreeSize(c);
        if (prev) {
            const LONG a = c->GetVAlignment();
            if (a != 0)
                dy += (subtreeSize(prev).height() - nodeSize(c).height()) / a;
        }
        if (cells)
            cells->push_back({ const_cast<XTreeItem *>(c), dx, dy });
        g.height = std::max(g.height, dy + sub.height());
        right = dx + sub.width();
        dx = std::max<int>(dx + sub.width() + kButtonColumn, columnWidth);
        prev = c;
    }
    g.width = std::max<int>(right, columnWidth);
    return g;
}

void XTreeLayout::ensureRowsBelow(
    XTreeItem *x, std::vector<std::pair<XTreeItem *, bool>> &stack) const
{
    for (XTreeItem *r = x; r; r = r->GetNext())
        for (XTreeItem *c = r; c; c = c->GetRight())
            if (!c->sizeValid())
                stack.push_back({ c, false });
}

void XTreeLayout::computeSubtree(XTreeItem *x)
{
    const QSize node = x->GetNode()->Measure(m_model, metricsFor(x));
    int w = node.width();
    int h = node.height();
    std::size_t rows = 0;
    if (x->IsExpanded())
        for (XTreeItem *r = x->GetFirstChild(); r; r = r->GetNext())
            ++rows;
    if (rows >= kIndexThreshold) {
        FamilyIndex &fam = m_families[x];
        fam.rows.clear();
        fam.tops.clear();
        fam.rows.reserve(rows);
        fam.tops.reserve(rows + 1);
        int top = 0;
        for (XTreeItem *r = x->GetFirstChild(); r; r = r->GetNext()) {
            const RowGeometry g = row(r, nullptr);
            fam.rows.push_back(r);
            fam.tops.push_back(top);
            top += g.height;
            w = std::max(w, g.width + kButtonColumn);
        }
        fam.tops.push_back(top);
        h += top;
    } else {
        // A childless item is never looked up (only expanded items with children are), so the
        // entry it may keep from before its children went costs no hash per added leaf.
        if (x->GetFirstChild())
            m_families.erase(x);
        if (rows)
            for (XTreeItem *r = x->GetFirstChild(); r; r = r->GetNext()) {
                const RowGeometry g = row(r, nullptr);
                h += g.height;
                w = std::max(w, g.width + kButtonColumn);
            }
    }
    // Every item becomes valid here and nowhere else, so the parent-node cache cannot outlive a
    // change: an entry is rewritten or dropped whenever its item is measured again. A childless
    // item may keep one, unread: only valid expanded items with children are looked up.
    if (rows)
        m_parentNodes[x] = node;
    else if (x->GetFirstChild())
        m_parentNodes.erase(x);
    x->setCachedSize(w, h);
}

void XTreeLayout::update()
{
    // Post-order without recursion: an item is measured once every row below it is.
    std::vector<std::pair<XTreeItem *, bool>> stack;
    XTreeItem *first = firstRootOf(m_model);
    if (m_model.itemCount() == 0) {
        m_families.clear();
        m_parentNodes.clear();
    }
    ensureRowsBelow(first, stack);
    while (!stack.empty()) {
        auto &[x, childrenDone] = stack.back();
        if (x->sizeValid()) {
            stack.pop_back();
            continue;
        }
        if (!childrenDone) {
            childrenDone = true;
            if (x->IsExpanded())
                ensureRowsBelow(x->GetFirstChild(), stack);
            continue;
        }
        XTreeItem *done = x;
        stack.pop_back();
        computeSubtree(done);
    }

    FamilyIndex &roots = m_families[nullptr];
    roots.rows.clear();
    roots.tops.clear();
    int width = 0;
    int top = 0;
    for (XTreeItem *r = first; r; r = r->GetNext()) {
        const RowGeometry g = row(r, nullptr);
        roots.rows.push_back(r);
        roots.tops.push_back(top);
        top += g.height;
        width = std::max(width, g.width);
    }
    roots.tops.push_back(top);
    m_content = QSize(width, top);
    m_model.layoutDone();
}

std::pair<XTreeItem *, int> XTreeLayout::firstRowEndingBelow(
    const XTreeItem *parent, int offset) const
{
    if (auto it = m_families.find(parent); it != m_families.end()) {
        const FamilyIndex &fam = it->second;
        // The first row whose bottom (the next row's top) lies below offset.
        const auto bottoms = fam.tops.begin() + 1;
        const auto pos = std::upper_bound(bottoms, fam.tops.end(), offset);
        if (pos == fam.tops.end())
            return { nullptr, fam.tops.back() };
        const std::size_t i = std::size_t(pos - bottoms);
        return { fam.rows[i], fam.tops[i] };
    }
    XTreeItem *r = parent ? parent->GetFirstChild() : firstRootOf(m_model);
    int top = 0;
    for (; r; r = r->GetNext()) {
        const int h = row(r, nullptr).height;
        if (top + h > offset)
            return { r, top };
        top += h;
    }
    return { nullptr, top };
}

int XTreeLayout::rowTop(const XTreeItem *leftmost) const
{
    int top = 0;
    for (const XTreeItem *r = leftmost->GetPrev(); r; r = r->GetPrev())
        top += row(r, nullptr).height;
    if (!leftmost->GetParent()) {
        // Roots before the walk's first root are not shown; count from it.
        const XTreeItem *first = firstRootOf(m_model);
        int before = 0;
        for (const XTreeItem *r = first ? first->GetPrev() : nullptr; r; r = r->GetPrev())
            before += row(r, nullptr).height;
        top -= before;
    }
    return top;
}

std::optional<QPoint> XTreeLayout::contentOrigin(const XTreeItem *x) const
{
    if (!x || !x->IsVisible())
        return std::nullopt;
    QPoint origin;
    std::vector<RowCell> cells;
    for (const XTreeItem *cur = x; cur;) {
        const XTreeItem *leftmost = cur->rowStart();
        if (leftmost != cur) {
            row(leftmost, &cells);
            for (const RowCell &c : cells)
                if (c.item == cur)
                    origin += QPoint(c.dx, c.dy);
        }
        origin.ry() += rowTop(leftmost);
        const XTreeItem *parent = leftmost->GetParent();
        if (parent)
            origin += QPoint(kButtonColumn, nodeSize(parent).height());
        cur = parent;
    }
    return origin;
}

} // namespace arbor
