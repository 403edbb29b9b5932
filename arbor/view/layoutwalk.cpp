#include "arbor/view/layoutwalk.h"

#include <QVarLengthArray>

#include <vector>

namespace arbor {

namespace {

struct Run {
    const XTreeItem *parent; // whose family; null for the roots
    XTreeItem *row; // next row to visit
    int x;
    int y; // its top
};

} // namespace

bool walkBand(const XTreeLayout &layout, QPoint origin, int top, int bottom, XTreeVisitor &visitor)
{
    // Walks are shallow and rows short: stack storage spares paint and hit test the heap.
    QVarLengthArray<Run, 32> runs;
    std::vector<RowCell> cells;
    auto enter = [&](const XTreeItem *parent, int x, int y) {
        const auto [first, rowTop] = layout.firstRowEndingBelow(parent, top - y);
        if (first)
            runs.append({ parent, first, x, y + rowTop });
    };
    enter(nullptr, origin.x(), origin.y());
    QVarLengthArray<Run, 8> children;
    while (!runs.empty()) {
        Run &run = runs.back();
        if (!run.row || run.y > bottom) {
            runs.removeLast();
            continue;
        }
        XTreeItem *leftmost = run.row;
        const int x = run.x;
        const int y = run.y;
        const RowGeometry g = layout.row(leftmost, &cells);
        run.row = leftmost->GetNext();
        run.y += g.height;
        children.clear();
        for (const RowCell &c : cells) {
            const QPoint at(x + c.dx, y + c.dy);
            const QSize node = layout.nodeSize(c.item);
            const VisitedItem v { c.item, at, node, XTreeLayout::subtreeSize(c.item), y, g.height,
                g.width, c.item == leftmost };
            if (!visitor.visit(v))
                return false;
            if (c.item->IsExpanded() && c.item->hasChildren())
                children.append(
                    { c.item, nullptr, at.x() + kButtonColumn, at.y() + node.height() });
        }
        // Pushed last to first so the leftmost cell's children are walked first.
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            enter(it->parent, it->x, it->y);
    }
    return true;
}

} // namespace arbor
