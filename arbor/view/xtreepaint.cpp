#include "arbor/view/xtreepaint.h"

#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreenode.h"

#include <algorithm>

namespace arbor {

namespace {

int evenFloor(int v)
{
    return v & ~1;
}

} // namespace

void dottedHLine(QPainter &p, int from, int to, int y, QColor colour)
{
    y = evenFloor(y);
    const QRect clip = p.hasClipping() ? p.clipBoundingRect().toRect() : QRect();
    if (!clip.isNull()) {
        from = std::max(from, clip.left() - 1);
        to = std::min(to, clip.right() + 2);
    }
    for (int x = evenFloor(from); x < to; x += 2)
        p.fillRect(x, y, 1, 1, colour);
}

void dottedVLine(QPainter &p, int x, int from, int to, QColor colour)
{
    x = evenFloor(x);
    const QRect clip = p.hasClipping() ? p.clipBoundingRect().toRect() : QRect();
    if (!clip.isNull()) {
        from = std::max(from, clip.top() - 1);
        to = std::min(to, clip.bottom() + 2);
    }
    for (int y = evenFloor(from); y < to; y += 2)
        p.fillRect(x, y, 1, 1, colour);
}

QPoint picturePlace(LONG position, QSize clientSize, QSize pictureSize)
{
    const int column = std::min<int>(position & 0xF, 2);
    const int row = std::min<int>((position >> 4) & 0xF, 2);
    return { (clientSize.width() - pictureSize.width()) * column / 2,
        (clientSize.height() - pictureSize.height()) * row / 2 };
}

void paintGridBelow(QPainter &p, int y, int spacing, int clientWidth, int clientBottom)
{
    if (spacing <= 0)
        return;
    for (; y < clientBottom; y += spacing)
        dottedHLine(p, 0, clientWidth, y, Qt::black);
}

bool PaintVisitor::visit(const VisitedItem &v)
{
    XTreeItem *x = v.item;
    const QRect nodeRect(QPoint(v.origin.x() + kButtonColumn, v.origin.y()),
        QPoint(v.origin.x() + v.node.width() - 1, v.origin.y() + v.node.height() - 1));
    x->GetNode()->Paint(m_p, nodeRect, m_model);
    if (x == m_dropTarget)
        drawFocusRect(m_p, nodeRect);
    drawLinesAndButton(v);
    if (v.leftmost && (m_model.appearance().style & ARBORSTYLE_GRIDLINES))
        dottedHLine(m_p, 0, m_gridRight, v.rowTop, Qt::black);
    return true;
}

void PaintVisitor::drawLinesAndButton(const VisitedItem &v)
{
    const XTreeItem *item = v.item;
    const DWORD style = m_model.appearance().style;
    const int x = v.origin.x();
    const int y = v.origin.y();
    const int cx = x + kBoxCentreX;
    const int cy = y + kBoxCentreY;
    const bool button = (style & ARBORSTYLE_HASBUTTONS) && item->hasChildren();
    // Without a button the lines meet in the centre point.
    QRect box(QPoint(cx, cy), QPoint(cx, cy));
    int boxRight = cx, boxBottom = cy;
    if (button) {
        box =
            QRect(QPoint(x + kBoxLeft, y + kBoxTop), QPoint(x + kBoxRight - 1, y + kBoxBottom - 1));
        boxRight = x + kBoxRight;
        boxBottom = y + kBoxBottom;
        m_p.setPen(QColor(0xC0, 0xC0, 0xC0));
        m_p.setBrush(Qt::NoBrush);
        m_p.drawRect(box.adjusted(0, 0, -1, -1));
        m_p.fillRect(cx - 2, cy, 5, 1, Qt::black);
        if (item->IsCollapsed())
            m_p.fillRect(cx, cy - 2, 1, 5, Qt::black);
    }
    if (!(style & ARBORSTYLE_HASLINES))
        return;
    const QColor grey = QColor::fromRgb(kLineGrey);
    const DWORD links = item->linkFlags();
    const int h = v.node.height();
    if ((links & ChildLink) && item->IsExpanded() && item->hasChildren())
        dottedVLine(m_p, cx + kButtonColumn, y + h - 3, y + h - 1, grey);
    if (links & LeftLink) {
        dottedHLine(m_p, boxRight, x + kButtonColumn, cy, grey);
        if (item->GetLeft())
            dottedHLine(m_p, x, box.left(), cy, grey);
    }
    if ((style & ARBORSTYLE_LINESATROOT) || item->GetParent()) {
        const bool rightCell = item->GetLeft() != nullptr;
        if ((links & PrevLink) && !rightCell && (item->GetPrev() || item->GetParent()))
            dottedVLine(m_p, cx, y, box.top(), grey);
        if ((links & NextLink) && item->GetNext())
            dottedVLine(m_p, cx, boxBottom, v.rowTop + v.rowHeight, grey);
    }
    if (const XTreeItem *right = item->GetRight(); right && (links & RightLink)) {
        const int rowWidth = std::max<int>(item->width(), v.subtree.width());
        const LONG a = right->GetVAlignment();
        const int ly = a == 0 ? cy : y + h / a - 9;
        dottedHLine(m_p, x + v.node.width(), x + rowWidth + kButtonColumn, ly, grey);
    }
}

} // namespace arbor
