// The walk over the rows that can touch a band of the window. Paint, hit test and hosted-window
// placement all go through it, so none of them ever visits a row that lies wholly above the band
// (families are entered at their first row ending below it) or below it (a family is left at its
// first row starting below the band).
#pragma once

#include "arbor/view/xtreelayout.h"

#include <QPoint>
#include <QRect>

namespace arbor {

// One visited item, in client coordinates.
struct VisitedItem {
    XTreeItem *item;
    QPoint origin;
    QSize node; // node size, the button column included
    QSize subtree;
    int rowTop; // top of the row the item stands in
    int rowHeight;
    int rowWidth;
    bool leftmost; // first cell of its row
};

class XTreeVisitor {
public:
    virtual ~XTreeVisitor() = default;
    // False stops the walk.
    virtual bool visit(const VisitedItem &v) = 0;
};

// Walks every item whose row overlaps the rows [top, bottom] of the client area, the roots
// starting at origin (the negated scroll position). Returns false when the visitor stopped it.
// Cost: the visited rows plus, per family entered, O(log k) when indexed.
bool walkBand(const XTreeLayout &layout, QPoint origin, int top, int bottom, XTreeVisitor &visitor);

} // namespace arbor
