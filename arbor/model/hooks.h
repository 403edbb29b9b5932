// What the model needs from the rest of the control: someone to hear its events, the radio groups,
// the image collection and the view that caches sizes. Each is an interface here so the model can
// be built and tested before the control object, the groups and the image store exist.
#pragma once

#include "platform/com/variant.h"
#include "platform/ui/handles.h"

#include <vector>

namespace arbor {

// Receives the events the model raises; the control object turns them into _IArborEvents. A
// handler may call back into the model with anything but RemoveAllItems, including removing the
// item the event is about: the model re-validates its handles after every call.
class XTreeEvents {
public:
    virtual ~XTreeEvents() = default;
    virtual void ItemSelect(LONG hItem) = 0;
    virtual void ValueChanged(LONG hItem) = 0;
    virtual void ItemExpanding(LONG hItem) = 0;
    virtual void ItemExpanded(LONG hItem, bool bExpanded) = 0;
};

// The radio groups of the control. Until groups exist the model uses an empty hook that holds no
// item, so every radio item falls back to its siblings.
class XTreeGroupHook {
public:
    virtual ~XTreeGroupHook() = default;
    // Appends the members of the group holding hItem (hItem included, ascending) and returns true;
    // false and nothing appended when no group holds it.
    virtual bool groupMembers(LONG hItem, std::vector<LONG> &members) = 0;
    // hItem is being destroyed: no group may keep it.
    virtual void forgetItem(LONG hItem) = 0;
    // Every item is being destroyed and handles will be reused: every group is emptied.
    virtual void forgetAll() = 0;
};

// One entry of the image collection as the nodes use it.
struct ImageEntry {
    OLE_HANDLE handle = 0; // graphics handle of the picture (platform/ui handle table)
    int cx = 16; // tile size of image items
    int cy = 16;
    COLORREF transparent = 0xFFFFFF; // pixels of exactly this RGB are not drawn
};

// Key -> image lookup of the image collection. A key it does not know gives false.
class XTreeImageLookup {
public:
    virtual ~XTreeImageLookup() = default;
    virtual bool findImage(const VARIANT &key, ImageEntry *entry) const = 0;
};

// The view side of the seam: told, at most once between two layouts, that the layout must be
// brought up to date before the next paint or geometry query. Cheap to call; never lays out.
class XTreeLayoutSink {
public:
    virtual ~XTreeLayoutSink() = default;
    virtual void layoutInvalidated() = 0;
    // Something changed that needs a repaint but no new sizes (a value, a colour, a selection).
    virtual void repaintNeeded() { }
};

// The hosted-control holder's view of one control it created for an item: its window, its size in
// pixels and its placement. The node borrows it; release() gives it back to the holder, after
// which the node never touches it again.
class XHostedControl {
public:
    virtual ~XHostedControl() = default;
    virtual HWND window() const = 0;
    virtual SIZE size() const = 0;
    virtual void setSize(LONG cx, LONG cy) = 0;
    virtual void setPosition(LONG x, LONG y) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void release() = 0;
};

} // namespace arbor
