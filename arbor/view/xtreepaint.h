// Drawing the tree into the off-screen image: each visited item's node, its connection lines and
// +/- button, grid lines, and where the background picture goes. Lines are single pixels on even
// coordinates, so they line up across rows of any height and never antialias.
#pragma once

#include "arbor/view/layoutwalk.h"

#include <QPainter>

namespace arbor {

// The +/- box relative to an item's origin (Windows rectangle: right and bottom excluded).
inline constexpr int kBoxLeft = 2, kBoxTop = 4, kBoxRight = 11, kBoxBottom = 13;
inline constexpr int kBoxCentreX = 6, kBoxCentreY = 8;
inline constexpr QRgb kLineGrey = 0xFF808080;

// Dotted line over [from, to) at fixed y (or x), one pixel on each even coordinate.
void dottedHLine(QPainter &p, int from, int to, int y, QColor colour);
void dottedVLine(QPainter &p, int x, int from, int to, QColor colour);

// Top-left corner of a picture of pictureSize in a client area of clientSize: the low 4 bits of
// position pick the column (0 left, 1 centre, 2 and above right), the next 4 the row.
QPoint picturePlace(LONG position, QSize clientSize, QSize pictureSize);

class PaintVisitor : public XTreeVisitor {
public:
    // gridRight: where grid lines end, in client coordinates.
    PaintVisitor(QPainter &p, XTreeModel &model, int gridRight, const XTreeItem *dropTarget)
        : m_p(p)
        , m_model(model)
        , m_gridRight(gridRight)
        , m_dropTarget(dropTarget)
    {
    }
    bool visit(const VisitedItem &v) override;

private:
    void drawLinesAndButton(const VisitedItem &v);

    QPainter &m_p;
    XTreeModel &m_model;
    int m_gridRight;
    const XTreeItem *m_dropTarget;
};

// Grid lines every (font height + 3) pixels from y down to the client bottom.
void paintGridBelow(QPainter &p, int y, int spacing, int clientWidth, int clientBottom);

} // namespace arbor
