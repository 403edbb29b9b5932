#include "arbor/view/xtreedrag.h"

#include "arbor/view/xtreeview.h"

namespace arbor {

DragDetector::DragDetector(XTreeView &view)
    : QObject(&view)
    , m_view(view)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DragDetector::fire);
}

void DragDetector::arm(LONG hItem, int delayMs)
{
    m_item = hItem;
    m_timer.start(std::max(delayMs, 0));
}

void DragDetector::cancel()
{
    const bool was = armed();
    m_item = 0;
    m_timer.stop();
    if (was)
        m_view.endDragDetection();
}

void DragDetector::pointerMoved(QPoint client)
{
    if (armed() && !m_view.clientRect().contains(client))
        fire();
}

void DragDetector::fire()
{
    const LONG h = m_item;
    m_item = 0;
    m_timer.stop();
    if (h != 0 && m_view.model().isValid(h))
        m_view.BeginDrag(h);
    else if (h != 0)
        m_view.endDragDetection();
}

} // namespace arbor
