// The picture of the dragged item that follows the pointer. It is a frameless top-level window
// that lets all input through, so the window under the pointer is still found below it; the item's
// node paints itself into it. No screen pixels are read or saved: the window system restores what
// the picture covered.
#pragma once

#include <QPainter>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>

namespace arbor {

// A rectangle that, while it exists, is the clip of a painter; the clip goes with it.
class CClipRect : public QRect {
public:
    CClipRect(QPainter &painter, const QRect &rect);
    ~CClipRect();
    Q_DISABLE_COPY_MOVE(CClipRect)

private:
    QPainter &m_painter;
};

// The surface the picture is drawn on: the picture window, its size and where it stands.
class CDCArea {
public:
    using Paint = std::function<void(QPainter &, const QRect &)>;
    // Null window when none could be made (the drag then goes on without a picture).
    CDCArea(QSize size, Paint paint);
    ~CDCArea();
    Q_DISABLE_COPY_MOVE(CDCArea)

    bool valid() const noexcept { return m_window != nullptr; }
    QSize size() const noexcept { return m_size; }
    // Screen point the picture is centred on; (-1, -1) before the first move.
    QPoint position() const noexcept { return m_position; }
    // The picture rectangle on the screen: left = x - width / 2, top = y - height / 2.
    QRect rect() const noexcept { return m_rect; }
    // Moves the picture and repaints it, showing only the part inside clip (screen rectangle;
    // empty shows nothing).
    void moveTo(QPoint position, const QRect &clip);
    QWidget *window() const noexcept { return m_window; }

private:
    QSize m_size;
    QPoint m_position { -1, -1 };
    QRect m_rect;
    QPointer<QWidget> m_window;
};

class CDragArea {
public:
    using Paint = CDCArea::Paint;
    // Runs before the picture is drawn at a new place; it may scroll the tree below.
    using Move = std::function<void(QPoint position)>;

    CDragArea() = default;
    ~CDragArea();
    Q_DISABLE_COPY_MOVE(CDragArea)

    // Ends any picture in progress and starts one of the given size. The area is active even
    // when no window could be made: moves still reach the move callback.
    void Begin(QSize size, Paint paint, Move move);
    // Nothing when inactive or at the same position. Otherwise the move callback runs, then the
    // picture is shown centred on position, clipped to clip (the window under the pointer).
    void moveTo(QPoint position, const QRect &clip);
    void End() noexcept;
    bool active() const noexcept { return m_active; }
    // The surface, null while inactive.
    const CDCArea *area() const noexcept { return m_area.get(); }

private:
    bool m_active = false;
    std::unique_ptr<CDCArea> m_area;
    Move m_move;
    QPoint m_position { -1, -1 };
};

} // namespace arbor
