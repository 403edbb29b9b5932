// XTreeFrame, the control's own window: it draws the border and holds the item window (XTreeView)
// over the rectangle the current border style leaves inside it. Every change of its size moves the
// item window to the new inset rectangle; focus given to the frame goes on to the item window.
#pragma once

#include "arbor/view/xtreeborder.h"
#include "arbor/view/xtreeview.h"

#include <QWidget>

#include <functional>

namespace arbor {

class XTreeFrame : public QWidget {
    Q_OBJECT
public:
    // view: the item window to hold (a subclass with more abilities); the frame becomes its
    // parent. Null makes a plain one.
    explicit XTreeFrame(QWidget *parent = nullptr, XTreeView *view = nullptr);
    ~XTreeFrame() override;
    Q_DISABLE_COPY_MOVE(XTreeFrame)

    // The item window; it lives exactly as long as the frame.
    XTreeView &view() const noexcept { return *m_view; }

    LONG borderStyle() const noexcept { return m_borderStyle; }
    // Moves the item window to the inset rectangle of style and repaints. A value outside 0..6 is
    // refused: false, nothing changes.
    bool setBorderStyle(LONG style);

    // Called first thing when the frame is destroyed, while the item window still stands.
    void setAboutToGo(std::function<void(XTreeFrame &)> handler)
    {
        m_aboutToGo = std::move(handler);
    }

    // Where the item window goes for the current style, in frame coordinates.
    QRect itemWindowRect() const { return borderInside(rect(), m_borderStyle); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeItemWindow();

    XTreeView *m_view;
    std::function<void(XTreeFrame &)> m_aboutToGo;
    LONG m_borderStyle = kDefaultBorderStyle;
    // Moving the item window can send a resize back through a host's layout; a nested call is
    // dropped instead of recursing.
    int m_placing = 0;
};

} // namespace arbor
