#include "arbor/model/xtreenode.h"

#include "arbor/model/xtreeitem.h"
#include "arbor/model/xtreemodel.h"

namespace arbor {

void XTreeNode::PaintGhost(QPainter &p, const QRect &rect, XTreeModel &model)
{
    Paint(p, rect, model);
}

int XTreeNode::HitTest(const XTreeModel &, const QPoint &point, const QRect &rect) const
{
    if (!rect.contains(point))
        return kHitOutside;
    if (point.x() < rect.left() + kButtonColumn)
        return item()->hasChildren() ? kHitButton : kHitItem;
    return kHitItem;
}

bool XTreeNode::OnClick(XTreeModel &, int)
{
    return false;
}

void XTreeNode::SetForeColor(const XTreeModel &model, COLORREF color) noexcept
{
    color &= 0xFFFFFF;
    m_foreColor = color == model.appearance().foreColor ? kUnset : color;
}

void XTreeNode::SetBackColor(const XTreeModel &model, COLORREF color) noexcept
{
    color &= 0xFFFFFF;
    m_backColor = color == model.appearance().backColor ? kUnset : color;
}

COLORREF XTreeNode::GetForeColor(const XTreeModel &model) const noexcept
{
    if (!model.appearance().enabled)
        return kLightGrey;
    return m_foreColor != kUnset ? m_foreColor : model.appearance().foreColor;
}

COLORREF XTreeNode::GetBackColor(const XTreeModel &model) const noexcept
{
    return m_backColor != kUnset ? m_backColor : model.appearance().backColor;
}

} // namespace arbor
