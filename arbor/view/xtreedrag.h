// Drag detection without a modal loop: a press on an item arms it, and the ordinary event loop
// decides. The pointer leaving the client area or the button resting past the drag delay starts
// the drag; the button coming up, the other button or Escape ends detection without one.
#pragma once

#include "platform/wintypes.h"

#include <QObject>
#include <QTimer>

namespace arbor {

class XTreeView;

class DragDetector : public QObject {
    Q_OBJECT
public:
    // On success the view's BeginDrag hook gets the armed item; every other outcome of an armed
    // detection (cancel, an item gone) reaches its endDragDetection hook.
    explicit DragDetector(XTreeView &view);
    Q_DISABLE_COPY_MOVE(DragDetector)

    void arm(LONG hItem, int delayMs);
    void cancel();
    bool armed() const noexcept { return m_item != 0; }
    // A move of the held pointer: outside the client area the drag starts.
    void pointerMoved(QPoint client);

private:
    void fire();

    XTreeView &m_view;
    LONG m_item = 0;
    QTimer m_timer;
};

} // namespace arbor
