// The mouse side of the item window and the events it reports. Every reaction ends in model and
// selection operations; the events go to XTreeViewEvents in the order a container relies on (for
// a click on an unselected body: MouseDown, ItemSelect, then MouseUp, Click on release).
#pragma once

#include "arbor/model/hooks.h"

#include <Qt>

class QMouseEvent;

namespace arbor {

class XTreeView;

// The model's events plus the window's own. The control object turns them into its automation
// events; Button, Shift and the coordinates are already in their automation form.
class XTreeViewEvents : public XTreeEvents {
public:
    // Button: 1 left down, else 2 right down, else 0 (MouseUp: the button released). Shift: bit 1
    // Shift, 2 Ctrl, 4 Alt. x, y: client pixels of the item window.
    virtual void MouseDown(SHORT button, SHORT shift, LONG x, LONG y) = 0;
    virtual void MouseUp(SHORT button, SHORT shift, LONG x, LONG y) = 0;
    virtual void MouseMove(SHORT button, SHORT shift, LONG x, LONG y) = 0;
    virtual void Click() = 0;
    virtual void DblClick() = 0;
    virtual void ItemDblClk(LONG hItem) = 0;
    virtual void RightClick(LONG x, LONG y) = 0;
    // KeyCode: a Windows virtual-key code.
    virtual void KeyDown(SHORT keyCode, SHORT shift) = 0;
    virtual void KeyUp(SHORT keyCode, SHORT shift) = 0;
    virtual void KeyPress(SHORT keyAscii) = 0;
};

// Shift state of the automation events from Qt modifiers.
SHORT shiftState(Qt::KeyboardModifiers modifiers) noexcept;
// Button state while buttons are held: 1 when the left one is down, else 2 for the right, else 0.
SHORT buttonState(Qt::MouseButtons buttons) noexcept;

// The item window's mouse handlers; each raises its events and then reacts.
// Left press: focus, MouseDown, then (at run time) the click on the area hit and drag detection.
// Right press: MouseDown only; neither selection nor focus item change.
void handleMousePress(XTreeView &view, const QMouseEvent &event);
// MouseUp with the released button, then Click (left) or RightClick (right).
void handleMouseRelease(XTreeView &view, const QMouseEvent &event);
// Left only: ItemDblClk for a body or box at run time, then DblClick. Toggles nothing.
void handleMouseDoubleClick(XTreeView &view, const QMouseEvent &event);
void handleMouseMove(XTreeView &view, const QMouseEvent &event);

} // namespace arbor
