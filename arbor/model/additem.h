// Building an item of each kind the way the AddItem members of the control do: the node is made
// from the arguments, linked with InsertNode, and given the values that must see its siblings.
// Each returns the new handle, or 0 when hParent is invalid or the item is refused.
#pragma once

#include "arbor/model/xtreemodel.h"

namespace arbor {

LONG AddItem(XTreeModel &model, std::string_view text, LONG hParent = 0, bool bDown = true);
// Check items start with their value without an event.
LONG AddItemCheck(
    XTreeModel &model, std::string_view text, LONG nValue = 1, LONG hParent = 0, bool bDown = true);
LONG AddItemCheck3(XTreeModel &model, std::string_view text, LONG nValue = -1, LONG hParent = 0,
    bool bDown = true);
// A radio item is linked first and then given its value, so a nonzero value raises ValueChanged
// during the call and switches its siblings off.
LONG AddItemRadio(
    XTreeModel &model, std::string_view text, LONG nValue = 0, LONG hParent = 0, bool bDown = true);
// An empty expanded key shows the collapsed key's icon in both states.
LONG AddItemIcon(XTreeModel &model, std::string_view text, const VARIANT &collapsedKey,
    const VARIANT &expandedKey, LONG hParent = 0, bool bDown = true);
// An empty key makes a plain text item.
LONG AddItemImage(XTreeModel &model, std::string_view text, const VARIANT &imageKey,
    LONG hParent = 0, bool bDown = true);
// Refused (0, nothing added) for a window that already is a child of the item window at any
// depth, for the item window itself and for its ancestors. A handle that names no window still
// adds an item, which holds no window.
LONG AddItemWindow(XTreeModel &model, HWND hwnd, LONG hParent = 0, bool bDown = true);
// Adds an item holding a control the holder created; the item releases it when it goes.
LONG AddItemControl(
    XTreeModel &model, XHostedControl *control, LONG hParent = 0, bool bDown = true);

} // namespace arbor
