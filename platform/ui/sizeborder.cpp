#include "platform/ui/sizeborder.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace platform::ui {
namespace {

constexpr const char *kFilterName = "_bidlark_size_border";

class SizeBorder final : public QObject {
public:
    explicit SizeBorder(QWidget *owner)
        : QObject(owner)
        , m_owner(owner)
    {
        setObjectName(QLatin1String(kFilterName));
        m_hadMouseTracking = owner->hasMouseTracking();
        owner->setMouseTracking(true);
        owner->installEventFilter(this);
    }
    ~SizeBorder() override
    {
        m_owner->setMouseTracking(m_hadMouseTracking);
        if (m_cursorSet)
            m_owner->unsetCursor();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto *e = static_cast<QMouseEvent *>(event);
            const Qt::Edges edges = edgesAt(e->position().toPoint());
            if (e->button() != Qt::LeftButton || !edges)
                return false;
            m_dragEdges = edges;
            m_pressGlobal = e->globalPosition().toPoint();
            m_pressSize = m_owner->size();
            return true;
        }
        case QEvent::MouseMove: {
            auto *e = static_cast<QMouseEvent *>(event);
            if (m_dragEdges) {
                const QPoint delta = e->globalPosition().toPoint() - m_pressGlobal;
                QSize size = m_pressSize;
                if (m_dragEdges & Qt::RightEdge)
                    size.setWidth(std::max(1, size.width() + delta.x()));
                if (m_dragEdges & Qt::BottomEdge)
                    size.setHeight(std::max(1, size.height() + delta.y()));
                m_owner->resize(size);
                return true;
            }
            updateCursor(edgesAt(e->position().toPoint()));
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (!m_dragEdges)
                return false;
            m_dragEdges = {};
            return true;
        case QEvent::Leave:
            if (!m_dragEdges)
                updateCursor({});
            return false;
        default:
            return false;
        }
    }

private:
    Qt::Edges edgesAt(QPoint p) const
    {
        Qt::Edges edges;
        if (p.x() >= m_owner->width() - kSizeBorderWidth && p.x() < m_owner->width())
            edges |= Qt::RightEdge;
        if (p.y() >= m_owner->height() - kSizeBorderWidth && p.y() < m_owner->height())
            edges |= Qt::BottomEdge;
        return edges;
    }
    void updateCursor(Qt::Edges edges)
    {
        if (edges == (Qt::RightEdge | Qt::BottomEdge))
            m_owner->setCursor(Qt::SizeFDiagCursor);
        else if (edges & Qt::RightEdge)
            m_owner->setCursor(Qt::SizeHorCursor);
        else if (edges & Qt::BottomEdge)
            m_owner->setCursor(Qt::SizeVerCursor);
        else if (m_cursorSet)
            m_owner->unsetCursor();
        m_cursorSet = edges != Qt::Edges();
    }

    QWidget *m_owner;
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    QSize m_pressSize;
    bool m_hadMouseTracking = false;
    bool m_cursorSet = false;
};

SizeBorder *borderOf(const QWidget *widget)
{
    // Found by name: the class has no meta-object of its own for findChild to match.
    return static_cast<SizeBorder *>(
        widget->findChild<QObject *>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly));
}

} // namespace

bool hasSizeBorder(const QWidget *widget)
{
    return widget && borderOf(widget);
}

void setSizeBorder(QWidget *widget, bool on)
{
    if (!widget || hasSizeBorder(widget) == on)
        return;
    if (on)
        new SizeBorder(widget); // owned by the widget
    else
        delete borderOf(widget);
}

} // namespace platform::ui
