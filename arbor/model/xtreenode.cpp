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

void XTreeNode::SetForeColor(const XTreeModel &model, COLORREF color)
{
    color &= 0xFFFFFF;
    XTreeItem *x = item();
    if (color != model.appearance().foreColor)
        x->extras().foreColor = color;
    else if (XTreeItem::Extras *e = x->extrasIfAny())
        e->foreColor = XTreeItem::Extras::kUnset;
}

void XTreeNode::SetBackColor(const XTreeModel &model, COLORREF color)
{
    color &= 0xFFFFFF;
    XTreeItem *x = item();
    if (color != model.appearance().backColor)
        x->extras().backColor = color;
    else if (XTreeItem::Extras *e = x->extrasIfAny())
        e->backColor = XTreeItem::Extras::kUnset;
}

bool XTreeNode::hasOwnBackColor() const noexcept
{
    const XTreeItem::Extras *e = item()->extrasIfAny();
    return e && e->backColor != XTreeItem::Extras::kUnset;
}

COLORREF XTreeNode::GetForeColor(const XTreeModel &model) const noexcept
{
    if (!model.appearance().enabled)
        return kLightGrey;
    const XTreeItem::Extras *e = item()->extrasIfAny();
    if (e && e->foreColor != XTreeItem::Extras::kUnset)
        return e->foreColor;
    return model.appearance().foreColor;
}

COLORREF XTreeNode::GetBackColor(const XTreeModel &model) const noexcept
{
    return hasOwnBackColor() ? item()->extrasIfAny()->backColor : model.appearance().backColor;
}

} // namespace arbor
