// The control's side of drag and drop: the three drag events raised as _IArborEvents, the
// DropEffect the item window drags with, and the drop source and target object with its
// drop-target list. Owned by the control; detached (nothing reaches the control any more) before
// the control goes.
#pragma once

#include "arbor/dragdrop/idragdrop.h"
#include "arbor/dragdrop/xtreedraghost.h"

namespace arbor {

class CXTreeView;

class CXTreeViewDragHost final : public XTreeDragHost {
public:
    explicit CXTreeViewDragHost(CXTreeView &control) noexcept;
    ~CXTreeViewDragHost();
    Q_DISABLE_COPY_MOVE(CXTreeViewDragHost)

    void detach() noexcept;

    DWORD dropEffect() const noexcept override;
    IArbor *arbor() noexcept override;
    IDragDrop *dragDrop() noexcept override { return m_dragDrop.Get(); }
    void fireItemDragging(LONG hItem) noexcept override;
    bool fireItemDragged(LONG hSource, LONG hTarget, LONG effect) noexcept override;
    bool fireItemDraggedTo(
        LONG hSource, IArbor *targetTree, LONG hTarget, LONG effect) noexcept override;

private:
    CXTreeView *m_control;
    ComPtr<IDragDrop> m_dragDrop;
};

} // namespace arbor
