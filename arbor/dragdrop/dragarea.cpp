#include "arbor/dragdrop/dragarea.h"

#include <QPaintEvent>

namespace arbor {

namespace {

class PictureWindow : public QWidget {
public:
    explicit PictureWindow(CDCArea::Paint paint)
        : QWidget(nullptr,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                  Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint)
        , m_paint(std::move(paint))
    {
        setObjectName(QStringLiteral("ArborDragPicture"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    // In window coordinates.
    QRect clip;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const CClipRect clipped(p, clip);
        if (m_paint)
            m_paint(p, rect());
    }

private:
    CDCArea::Paint m_paint;
};

} // namespace

CClipRect::CClipRect(QPainter &painter, const QRect &rect)
    : QRect(rect)
    , m_painter(painter)
{
    m_painter.setClipRect(rect);
}

CClipRect::~CClipRect()
{
    m_painter.setClipping(false);
}

CDCArea::CDCArea(QSize size, Paint paint)
    : m_size(size)
{
    if (size.isEmpty())
        return;
    try {
        auto *window = new PictureWindow(std::move(paint));
        window->resize(size);
        m_window = window;
    } catch (...) {
        m_window = nullptr; // no picture; the drag goes on
    }
}

CDCArea::~CDCArea()
{
    delete m_window.data();
}

void CDCArea::moveTo(QPoint position, const QRect &clip)
{
    m_position = position;
    m_rect = QRect(
        QPoint(position.x() - m_size.width() / 2, position.y() - m_size.height() / 2), m_size);
    auto *window = static_cast<PictureWindow *>(m_window.data());
    if (!window)
        return;
    window->clip = clip.intersected(m_rect).translated(-m_rect.topLeft());
    window->move(m_rect.topLeft());
    if (!window->isVisible())
        window->show();
    window->update();
}

CDragArea::~CDragArea()
{
    End();
}

void CDragArea::Begin(QSize size, Paint paint, Move move)
{
    End();
    m_area = std::make_unique<CDCArea>(size, std::move(paint));
    m_move = std::move(move);
    m_position = QPoint(-1, -1);
    m_active = true;
}

void CDragArea::moveTo(QPoint position, const QRect &clip)
{
    if (!m_active || position == m_position)
        return;
    m_position = position;
    // The callback may end the picture (a handler cancelling the drag).
    if (const Move move = m_move)
        move(position);
    if (m_active && m_area)
        m_area->moveTo(position, clip);
}

void CDragArea::End() noexcept
{
    m_active = false;
    m_area.reset();
    m_move = nullptr;
    m_position = QPoint(-1, -1);
}

} // namespace arbor
