// What the hosted-control holder needs from the tree control that owns it: the window its controls
// live in, the place their events go, and the safety the tree's host has asked the tree for. An
// interface here so that hosting depends on the item model only, not on the control object.
#pragma once

#include "arbor/auxiliary.h"
#include "platform/ui/handles.h"

namespace arbor {

class XHostingTree {
public:
    virtual ~XHostingTree() = default;
    // The item window, parent of every hosted control's window; 0 when the tree has none.
    virtual HWND hostWindow() noexcept = 0;
    // Raises ControlEvent(info) to the tree's host, synchronously.
    virtual void fireControlEvent(IEventInfo *info) noexcept = 0;
    // The object-safety options the tree's host has enabled on the tree's automation interface.
    virtual DWORD enabledSafety() noexcept = 0;
};

} // namespace arbor
