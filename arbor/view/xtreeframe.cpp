#include "arbor/view/xtreeframe.h"

#include <QPainter>

namespace arbor {

XTreeFrame::XTreeFrame(QWidget *parent, XTreeView *view)
    : QWidget(parent)
    , m_view(view ? view : new XTreeView(this))
{
    m_view->setParent(this);
    setObjectName(QStringLiteral("XTreeFrame"));
    // The item window covers the inside and the border paints every pixel around it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // Focus given to the control lands in the item window, unless it is already inside.
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_view);
    placeItemWindow();
    m_view->show();
}

// The item window is a child and goes with the frame; destroying it removes every item.
XTreeFrame::~XTreeFrame()
{
    if (const auto handler = std::move(m_aboutToGo))
        handler(*this);
}

bool XTreeFrame::setBorderStyle(LONG style)
{
    if (!isBorderStyle(style))
        return false;
    if (style != m_borderStyle) {
        m_borderStyle = style;
        placeItemWindow();
        update();
    }
    return true;
}

void XTreeFrame::placeItemWindow()
{
    if (m_placing > 0)
        return;
    ++m_placing;
    const QRect inside = itemWindowRect();
    m_view->setGeometry(inside.isValid() ? inside : QRect(inside.topLeft(), QSize(0, 0)));
    --m_placing;
}

void XTreeFrame::resizeEvent(QResizeEvent *)
{
    placeItemWindow();
}

void XTreeFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintBorder(p, rect(), m_borderStyle, BorderColours::system());
}

} // namespace arbor
