// IDragDrop, the control's drop source and drop target. While a tree of the control arms or runs
// a drag, this object is registered as the drop target on that tree and on every window of the
// control's drop-target list; one scoped registration undoes all of it on every way out (a click
// without a drag, Escape, a drop, the source tree or item going away). During the drag it finds
// the tree under the pointer through "WM_XTREEVIEWDRAGDROP", keeps the hover tree and item by weak
// reference and handle, moves the picture and hands the drop to the tree under the pointer.
#pragma once

#include "arbor/dragdrop/dragarea.h"
#include "platform/com/ole/dragdrop.h"
#include "platform/ui/handles.h"

#include <QPointer>

#include <memory>
#include <vector>

namespace arbor {

class XTreeDragHost;
class XTreeView;
class XTreeViewDragDrop;

class IDragDrop final : public platform::com::ComObject<IDragDrop, IDropSource, IDropTarget> {
public:
    explicit IDragDrop(XTreeDragHost *host) noexcept;
    ~IDragDrop() override;

    // The control is going: nothing reaches it any more, and a drag in progress is cancelled at
    // the loop's next round.
    void detach() noexcept;

    // The drop-target list: a window is added when it is a live window other than `own` (the
    // tree's own window); duplicates are kept. Removing takes out the first equal entry.
    void AddDropTarget(HWND hwnd, HWND own);
    void RemoveDropTarget(HWND hwnd) noexcept;
    const std::vector<HWND> &dropTargets() const noexcept { return m_targets; }

    // view armed a drag of hItem: it becomes the drag source, and this object the drop target of
    // view and of every live listed window (each told "WM_RESETDROPSOURCE" first). Any earlier
    // registration is undone first.
    void StartDrag(XTreeViewDragDrop &view, LONG hItem);
    // Undoes StartDrag: the source forgets its item, every registration made is revoked, the
    // picture ends and the trees' timers and highlights are cleared. Idempotent.
    void EndDrag() noexcept;
    // Begins the drag of the armed item (timer, ItemDragging, picture) and runs the drag loop;
    // EndDrag follows whatever happens. Returns the loop's result.
    HRESULT RunDrag(XTreeViewDragDrop &view, LONG hItem);
    XTreeViewDragDrop *sourceView() const noexcept { return m_source; }

    // The drag in progress in this process, null when none.
    static IDragDrop *active() noexcept;
    CDragArea &dragArea() noexcept { return m_area; }
    // Forgets a hover tree or item that has gone; called at every tick.
    void revalidate() noexcept;
    // The picture moved: the hover tree's drag-over hook runs (auto-scroll, highlight).
    void pictureMoved(QPoint position);

    XTreeView *hoverTree() const noexcept { return m_hoverTree; }
    LONG hoverItem() const noexcept { return m_hoverItem; }
    DWORD lastEffect() const noexcept { return m_lastEffect; }
    DWORD resultEffect() const noexcept { return m_resultEffect; }

    // The effect of the key state: Ctrl+Shift link, Ctrl copy, Shift move, otherwise the first of
    // move, copy, link that `allowed` holds (none when it holds none).
    static DWORD effectFromKeys(DWORD keys, DWORD allowed) noexcept;

    // IDropSource
    HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) noexcept override;
    HRESULT GiveFeedback(DWORD dwEffect) noexcept override;
    // IDropTarget
    HRESULT DragEnter(
        IDataObject *pDataObj, DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept override;
    HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept override;
    HRESULT DragLeave() noexcept override;
    HRESULT Drop(
        IDataObject *pDataObj, DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept override;

private:
    struct Registration;
    // Clears the hover tree and item, then for enter/over finds the tree and item under the
    // pointer and zeroes effect when there is none or it refuses; moves the picture.
    void dragOverProcessing(QPoint screen, DWORD &effect, bool leave);
    void dropProcessing(QPoint screen, DWORD effect);
    bool sourceAlive() const noexcept;
    void setHoverTree(XTreeView *tree) noexcept;

    XTreeDragHost *m_host;
    std::vector<HWND> m_targets;
    std::unique_ptr<Registration> m_registration;
    QPointer<XTreeViewDragDrop> m_source;
    LONG m_sourceItem = 0;
    DWORD m_allowed = 0;
    bool m_firstQuery = true;
    bool m_leftDown = false; // latched at the first query
    DWORD m_resultEffect = DROPEFFECT_NONE;
    QPoint m_lastPoint { -1, -1 };
    DWORD m_lastEffect = DROPEFFECT_NONE;
    QPointer<XTreeView> m_hoverTree;
    LONG m_hoverItem = 0;
    CDragArea m_area;
};

} // namespace arbor
