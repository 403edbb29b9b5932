// The dispatch identifiers of _IArborEvents, the control's outgoing dispinterface. Events have no
// vtable: a host's sink receives them through IDispatch::Invoke with these identifiers.
//
//   ItemExpanding(LONG hItem)                  ItemExpanded(LONG hItem, VARIANT_BOOL bExpanded)
//   ItemSelect(LONG hItem)                     ValueChanged(LONG hItem)
//   RightClick(OLE_XPOS_PIXELS X, OLE_YPOS_PIXELS Y)
//   ItemDragging(LONG hItem)
//   ItemDragged(LONG hItemSource, LONG hItemTarget, LONG anDropEffect, VARIANT_BOOL *pbCancel)
//   CommandMessage(LONG hWnd, LONG wNotifyCode)
//   ItemDblClk(LONG hItem)
//   ItemDraggedTo(LONG hItemSource, IArbor *pTargetTree, LONG hItemTarget, LONG anDropEffect,
//                 VARIANT_BOOL *pbCancel)
//   ControlEvent(IEventInfo *info)
//   KeyDown(SHORT KeyCode, SHORT Shift)  KeyUp(SHORT KeyCode, SHORT Shift)  KeyPress(SHORT
//   KeyAscii) Click()  DblClick() MouseMove / MouseDown / MouseUp(SHORT Button, SHORT Shift,
//   OLE_XPOS_PIXELS X, OLE_YPOS_PIXELS Y)
#pragma once

#include "platform/com/ole/olectl.h"

using OLE_XPOS_PIXELS = LONG;
using OLE_YPOS_PIXELS = LONG;

namespace arbor::eventid {

inline constexpr DISPID ItemExpanding = 1;
inline constexpr DISPID ItemExpanded = 2;
inline constexpr DISPID ItemSelect = 3;
inline constexpr DISPID ValueChanged = 4;
inline constexpr DISPID RightClick = 5;
inline constexpr DISPID ItemDragging = 6;
inline constexpr DISPID ItemDragged = 7;
inline constexpr DISPID CommandMessage = 8;
inline constexpr DISPID ItemDblClk = 9;
inline constexpr DISPID ItemDraggedTo = 10;
inline constexpr DISPID ControlEvent = 1000;
// The stock events keep the platform's own identifiers.
inline constexpr DISPID KeyDown = DISPID_KEYDOWN;
inline constexpr DISPID KeyUp = DISPID_KEYUP;
inline constexpr DISPID KeyPress = DISPID_KEYPRESS;
inline constexpr DISPID Click = DISPID_CLICK;
inline constexpr DISPID MouseMove = DISPID_MOUSEMOVE;
inline constexpr DISPID MouseDown = DISPID_MOUSEDOWN;
inline constexpr DISPID MouseUp = DISPID_MOUSEUP;
inline constexpr DISPID DblClick = DISPID_DBLCLICK;

} // namespace arbor::eventid
