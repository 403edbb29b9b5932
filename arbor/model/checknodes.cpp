#include "arbor/model/checknodes.h"

#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreemodel.h"

namespace arbor {

XTreeNode_Check::XTreeNode_Check(std::string_view text)
    : XTreeNode_IconString(text, platform::com::Variant(), platform::com::Variant())
{
}

QSize XTreeNode_Check::Measure(const XTreeModel &model, const QFontMetrics &fm) const
{
    QSize s = measureText(model, fm);
    s.rwidth() += kIconSpacing + kIconSize;
    s.setHeight(std::max(s.height(), kIconSize));
    return s;
}

int XTreeNode_Check::HitTest(const XTreeModel &model, const QPoint &point, const QRect &rect) const
{
    const int area = XTreeNode::HitTest(model, point, rect);
    if (area == kHitItem && point.x() < rect.left() + kButtonColumn + kIconSize)
        return kHitBox;
    return area;
}

bool XTreeNode_Check::OnClick(XTreeModel &model, int area)
{
    if (area != kHitBox)
        return false;
    const LONG h = item()->handle();
    SetValue(model, m_value + 1);
    // The ValueChanged handler may have removed the item: from here on only the handle is used.
    model.selectAlone(h);
    return true;
}

QImage XTreeNode_Check::GetCurrentIcon(const XTreeModel &) const
{
    return stateIconImage(stateIcon());
}

int XTreeNode_Check::stateIcon() const noexcept
{
    return m_value == 0 ? kIconUnchecked : kIconChecked;
}

void XTreeNode_Check::SetValue(XTreeModel &model, LONG v)
{
    m_value = v % 2;
    const LONG h = item()->handle();
    model.requestRepaint();
    model.raiseValueChanged(h);
}

int XTreeNode_Check3::stateIcon() const noexcept
{
    const LONG v = GetValue();
    return v == 0 ? kIconUnchecked : (v == 1 ? kIconChecked : kIconIndeterminate);
}

int XTreeNode_Radio::stateIcon() const noexcept
{
    return GetValue() == 0 ? kIconRadioOff : kIconRadioOn;
}

void XTreeNode_Radio::SetValue(XTreeModel &model, LONG v)
{
    v %= 2;
    if (v == 0)
        return;
    switchOthersOff(model);
    XTreeNode_Check::SetValue(model, v);
}

void XTreeNode_Radio::OnAttached(XTreeModel &model)
{
    if (GetValue() != 0)
        switchOthersOff(model);
}

void XTreeNode_Radio::switchOthersOff(XTreeModel &model)
{
    XTreeItem *self = item();
    auto off = [](XTreeItem *x) {
        XTreeNode *n = x->GetNode();
        if (n->IsRadio())
            static_cast<XTreeNode_Radio *>(n)->setValueSilently(0);
    };
    std::vector<LONG> members;
    if (model.groupHook().groupMembers(self->handle(), members)) {
        for (const LONG m : members) {
            if (XTreeItem *x = model.item(m); x && x != self)
                off(x);
        }
        return;
    }
    for (XTreeItem *x = self->GetPrev(); x; x = x->GetPrev())
        off(x);
    for (XTreeItem *x = self->GetNext(); x; x = x->GetNext())
        off(x);
}

} // namespace arbor
