// The listener the item window and its model talk to: each call becomes the _IArborEvents event of
// the same name on the control object, with the suspension counter deciding about the four item
// events and the inside-event counter held around the events a handler must not remove all items
// from.
#pragma once

#include "arbor/view/xtreeinput.h"
#include "platform/com/automation.h"

namespace arbor {

class CXTreeView;

class CXTreeViewEvents final : public XTreeViewEvents {
public:
    explicit CXTreeViewEvents(CXTreeView &control) noexcept
        : m_control(control)
    {
    }

    void ItemSelect(LONG hItem) override;
    void ValueChanged(LONG hItem) override;
    void ItemExpanding(LONG hItem) override;
    void ItemExpanded(LONG hItem, bool bExpanded) override;
    void MouseDown(SHORT button, SHORT shift, LONG x, LONG y) override;
    void MouseUp(SHORT button, SHORT shift, LONG x, LONG y) override;
    void MouseMove(SHORT button, SHORT shift, LONG x, LONG y) override;
    void Click() override;
    void DblClick() override;
    void ItemDblClk(LONG hItem) override;
    void RightClick(LONG x, LONG y) override;
    void KeyDown(SHORT keyCode, SHORT shift) override;
    void KeyUp(SHORT keyCode, SHORT shift) override;
    void KeyPress(SHORT keyAscii) override;

private:
    void itemEvent(DISPID id, LONG hItem);
    void mouseEvent(DISPID id, SHORT button, SHORT shift, LONG x, LONG y);

    CXTreeView &m_control;
};

} // namespace arbor
