// XTreeViewDragDrop, the item window with drag support: it arms a drag on a press, begins it
// (ItemDragging and the picture), highlights the item under the pointer, scrolls when the pointer
// rests at an edge, decides whether a drop is allowed, and carries out drops on itself and from
// other trees. The gesture itself runs in the control's IDragDrop.
#pragma once

#include "arbor/view/xtreeview.h"

#include <QPointer>
#include <QTimer>

#include <array>

namespace arbor {

class CDragArea;
class XTreeDragHost;

class XTreeViewDragDrop : public XTreeView {
    Q_OBJECT
public:
    // Timer identifiers and periods.
    enum TimerId : int {
        kDragWatchTimer = 1000, // redraws while the pointer is outside; ends a lost drag
        kScrollUpTimer = 1001,
        kScrollDownTimer = 1002,
        kScrollLeftTimer = 1003,
        kScrollRightTimer = 1004,
    };
    static constexpr int kDragWatchMs = 16;
    static constexpr int kScrollMs = 10;
    // Depth of the strips along the client edges where a resting pointer scrolls.
    static constexpr int kScrollStrip = 4;
    // Where the system keeps the drag delay, and its default in milliseconds.
    static constexpr const char *kDragDelayKey =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    static constexpr const char *kDragDelayValue = "DragDelay";
    static constexpr int kDefaultDragDelay = 200;

    // Reads the drag delay from the registry store once.
    explicit XTreeViewDragDrop(QWidget *parent = nullptr);
    ~XTreeViewDragDrop() override;
    Q_DISABLE_COPY_MOVE(XTreeViewDragDrop)

    // The control this window belongs to; null silences the events and turns dragging off.
    void setDragHost(XTreeDragHost *host) noexcept { m_host = host; }
    XTreeDragHost *dragHost() const noexcept { return m_host; }
    // The control's DropEffect (move until a host changes it); 0 without a host.
    DWORD allowedEffects() const noexcept;

    // The item this tree is dragging, 0 when this tree is not the source of the drag.
    LONG dragSource() const noexcept { return m_dragSource; }
    void setDragSource(LONG hItem) noexcept { m_dragSource = hItem; }
    // The item last highlighted as drop target, 0 for none.
    LONG hoverItem() const noexcept { return m_hoverItem; }

    // Starts timer 1000, raises ItemDragging and starts the picture of hItem in area. False when
    // the handler took the item or the control away (no drag then).
    bool beginDragPicture(LONG hItem, CDragArea &area);
    // The pointer of a drag left this tree: its timers stop and the highlight goes.
    void leaveDrag();
    // The drag is over: timers, highlight and hover item cleared.
    void endDrag();
    // True while BeginDrag runs (the drag loop among it).
    bool inDrag() const noexcept { return m_dragDepth > 0; }
    // The window to delete once the drag loop has returned (the control went during the drag and
    // its window cannot go while the loop still runs inside it).
    void deleteAfterDrag(QObject *window) { m_deleteAfterDrag = window; }

    bool timerActive(int id) const noexcept;
    void stopDragTimers() noexcept;
    // The tick handlers, callable directly.
    void onDragWatchTick();
    void onScrollUpTick();
    void onScrollDownTick();
    void onScrollLeftTick();
    void onScrollRightTick();

    // Drag hooks.
    void startDragItem(LONG hItem) override;
    void BeginDrag(LONG hItem) override;
    // Restarts the watch, stops the scroll timers and starts the one of each edge strip holding
    // the pointer; outside the strips a new hover item is highlighted.
    void dragOverItem(LONG hItem, QPoint client) override;
    // A foreign drag may drop on any item here. This tree's own: not on the source, nor its right
    // chain or anything below (O(depth), no recursion); a copy anywhere else, a move only where the
    // source does not already sit as a first child.
    bool canDrop(LONG hTarget, DWORD effect) override;
    // ItemDragged, then for a move without cancel the source goes under the target.
    void dropOnSelf(LONG hTarget, DWORD effect) override;
    // ItemDraggedTo on the source control, then the source's subtree is copied under the target,
    // which is expanded; a move deletes the source unless some item could not be copied.
    void dropFromTree(XTreeView *source, LONG hTarget, DWORD effect) override;
    bool acceptsDrops() const override { return true; }
    void ResetDropSource() override { m_dragSource = 0; }
    void endDragDetection() override;

private:
    QTimer &timer(int id) noexcept
    {
        return m_timers[static_cast<std::size_t>(id - kDragWatchTimer)];
    }
    void runTimer(int id);

    XTreeDragHost *m_host = nullptr;
    LONG m_dragSource = 0;
    LONG m_hoverItem = 0;
    int m_dragDepth = 0;
    QPointer<QObject> m_deleteAfterDrag;
    std::array<QTimer, 5> m_timers;
};

// The drag delay in the registry store: text or number, the default when missing or negative.
int readDragDelay() noexcept;

} // namespace arbor
