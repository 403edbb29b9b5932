// What a tree window with drag support needs from the control object it belongs to: the allowed
// effects, its automation interface (a target tree hands it to the source's ItemDraggedTo), its
// drop source and target, and the three drag events. The control implements it; the window keeps
// a pointer that the control clears before it goes.
#pragma once

#include "arbor/iarbor.h"

namespace arbor {

class IDragDrop;

class XTreeDragHost {
public:
    // The control's DropEffect: the effects a drag from this tree allows; 0 turns dragging off.
    virtual DWORD dropEffect() const noexcept = 0;
    virtual IArbor *arbor() noexcept = 0;
    virtual IDragDrop *dragDrop() noexcept = 0;
    virtual void fireItemDragging(LONG hItem) noexcept = 0;
    // Each returns the handler's pbCancel.
    virtual bool fireItemDragged(LONG hSource, LONG hTarget, LONG effect) noexcept = 0;
    virtual bool fireItemDraggedTo(
        LONG hSource, IArbor *targetTree, LONG hTarget, LONG effect) noexcept = 0;

protected:
    ~XTreeDragHost() = default;
};

} // namespace arbor
