#include "arbor/control/cxtreeviewevents.h"

#include "arbor/control/cxtreeview.h"

namespace arbor {

using platform::com::Variant;
namespace e = eventid;

void CXTreeViewEvents::itemEvent(DISPID id, LONG hItem)
{
    if (m_control.eventsSuspended())
        return;
    Variant arg = Variant::i4(hItem);
    m_control.fireEvent(id, &arg, 1, true);
}

void CXTreeViewEvents::ItemSelect(LONG hItem)
{
    itemEvent(e::ItemSelect, hItem);
}

void CXTreeViewEvents::ValueChanged(LONG hItem)
{
    itemEvent(e::ValueChanged, hItem);
}

void CXTreeViewEvents::ItemExpanding(LONG hItem)
{
    itemEvent(e::ItemExpanding, hItem);
}

void CXTreeViewEvents::ItemExpanded(LONG hItem, bool bExpanded)
{
    if (m_control.eventsSuspended())
        return;
    Variant args[] = { Variant::i4(hItem), Variant::boolean(bExpanded) };
    m_control.fireEvent(e::ItemExpanded, args, 2, true);
}

void CXTreeViewEvents::mouseEvent(DISPID id, SHORT button, SHORT shift, LONG x, LONG y)
{
    Variant args[] = { Variant::i2(button), Variant::i2(shift), Variant::i4(x), Variant::i4(y) };
    m_control.fireEvent(id, args, 4);
}

void CXTreeViewEvents::MouseDown(SHORT button, SHORT shift, LONG x, LONG y)
{
    mouseEvent(e::MouseDown, button, shift, x, y);
}

void CXTreeViewEvents::MouseUp(SHORT button, SHORT shift, LONG x, LONG y)
{
    mouseEvent(e::MouseUp, button, shift, x, y);
}

void CXTreeViewEvents::MouseMove(SHORT button, SHORT shift, LONG x, LONG y)
{
    mouseEvent(e::MouseMove, button, shift, x, y);
}

void CXTreeViewEvents::Click()
{
    m_control.fireEvent(e::Click, nullptr, 0);
}

void CXTreeViewEvents::DblClick()
{
    m_control.fireEvent(e::DblClick, nullptr, 0);
}

void CXTreeViewEvents::ItemDblClk(LONG hItem)
{
    Variant arg = Variant::i4(hItem);
    m_control.fireEvent(e::ItemDblClk, &arg, 1);
}

void CXTreeViewEvents::RightClick(LONG x, LONG y)
{
    Variant args[] = { Variant::i4(x), Variant::i4(y) };
    m_control.fireEvent(e::RightClick, args, 2);
}

void CXTreeViewEvents::KeyDown(SHORT keyCode, SHORT shift)
{
    Variant args[] = { Variant::i2(keyCode), Variant::i2(shift) };
    m_control.fireEvent(e::KeyDown, args, 2);
}

void CXTreeViewEvents::KeyUp(SHORT keyCode, SHORT shift)
{
    Variant args[] = { Variant::i2(keyCode), Variant::i2(shift) };
    m_control.fireEvent(e::KeyUp, args, 2);
}

void CXTreeViewEvents::KeyPress(SHORT keyAscii)
{
    Variant arg = Variant::i2(keyAscii);
    m_control.fireEvent(e::KeyPress, &arg, 1);
}

} // namespace arbor
