#include "arbor/view/xtreeview.h"

#include "arbor/hosting/windownodes.h"
#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreenode.h"
#include "arbor/view/layoutwalk.h"
#include "arbor/view/xtreecursor.h"
#include "arbor/view/xtreedrag.h"
#include "arbor/view/xtreekeys.h"
#include "arbor/view/xtreepaint.h"
#include "platform/ui/wincalls.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcView, "arbor.view", QtInfoMsg)

namespace arbor {

namespace {

// A scroll position kept inside [0, maximum]; a clamp is worth seeing when a view jumps.
int clampScroll(const char *axis, int position, int maximum)
{
    const int clamped = std::clamp(position, 0, maximum);
    if (clamped != position)
        qCDebug(lcView) << axis << "scroll position" << position << "clamped to" << clamped;
    return clamped;
}

class HitVisitor : public XTreeVisitor {
public:
    HitVisitor(const XTreeModel &model, QPoint point)
        : m_model(model)
        , m_point(point)
    {
    }
    bool visit(const VisitedItem &v) override
    {
        const QRect rect(v.origin, v.node);
        if (!rect.contains(m_point))
            return true;
        item = v.item;
        area = v.item->GetNode()->HitTest(m_model, m_point, rect);
        return false;
    }
    XTreeItem *item = nullptr;
    int area = kHitOutside;

private:
    const XTreeModel &m_model;
    QPoint m_point;
};

} // namespace

XTreeView::XTreeView(QWidget *parent)
    : QWidget(parent)
    , m_hbar(new QScrollBar(Qt::Horizontal, this))
    , m_vbar(new QScrollBar(Qt::Vertical, this))
    , m_drag(new DragDetector(*this))
{
    setObjectName(QStringLiteral("XTreeView"));
    // Every pixel comes from the off-screen image; Qt must not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    for (QScrollBar *bar : { m_hbar, m_vbar }) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        // Steps are applied by hand from the actions, so the bar itself must never move.
        bar->setSingleStep(0);
        bar->setPageStep(0);
    }
    connect(m_vbar, &QScrollBar::actionTriggered, this, &XTreeView::onVerticalAction);
    connect(m_hbar, &QScrollBar::actionTriggered, this, &XTreeView::onHorizontalAction);
    m_model.setItemWindow(this);
    m_model.setLayoutSink(this);
    // Registered now, so the numbers exist before any other window asks.
    (void)msgTreeView();
    (void)msgTreeViewDragDrop();
    (void)msgResetDropSource();
}

XTreeView::~XTreeView()
{
    m_model.setLayoutSink(nullptr);
    m_model.detachHostedWindows();
}

const XTreeLayout &XTreeView::treeLayout()
{
    ensureLayout();
    return m_layout;
}

QRect XTreeView::clientRect() const
{
    QRect r = rect();
    if (!m_vbar->isHidden())
        r.setRight(r.right() - m_vbar->sizeHint().width());
    if (!m_hbar->isHidden())
        r.setBottom(r.bottom() - m_hbar->sizeHint().height());
    return r;
}

void XTreeView::layoutInvalidated()
{
    qCDebug(lcView) << "layout invalidated: an item's size or place changed";
    m_needLayout = true;
    update();
}

void XTreeView::repaintNeeded()
{
    update();
}

void XTreeView::redraw(bool withLayout)
{
    if (withLayout && !m_needLayout) {
        qCDebug(lcView) << "layout invalidated: the control changed the tree or its look";
        m_needLayout = true;
    }
    update();
}

void XTreeView::ensureLayout()
{
    if (!m_needLayout && !m_model.layoutDirty())
        return;
    m_needLayout = false;
    ++m_layoutPasses;
    m_layout.update();
    qCDebug(lcView) << "layout pass" << m_layoutPasses << "content" << m_layout.contentSize();
    updateScrollBars();
}

void XTreeView::updateScrollBars()
{
    const QSize content = m_layout.contentSize();
    const int vbarW = m_vbar->sizeHint().width();
    const int hbarH = m_hbar->sizeHint().height();
    bool hasH = !m_hbar->isHidden();
    bool hasV = !m_vbar->isHidden();
    // Adding one bar narrows the client area and may call for the other; two rounds settle it.
    for (int round = 0; round < 2; ++round) {
        const int clientW = width() - (hasV ? vbarW : 0);
        const int clientH = height() - (hasH ? hbarH : 0);
        if (m_autoH)
            hasH = clientW < content.width();
        if (m_autoV)
            hasV = clientH < content.height();
    }
    if (m_autoH) {
        m_hbar->setVisible(hasH);
        if (!hasH)
            m_hpos = 0;
    }
    if (m_autoV) {
        m_vbar->setVisible(hasV);
        if (!hasV) {
            m_vpos = 0;
            m_model.setFirstRoot(m_model.item(m_model.Root(0)));
        }
    }
    placeBars();
    const QRect client = clientRect();
    if (m_autoH && hasH) {
        m_hbar->setRange(0, content.width() - client.width());
        m_hpos = clampScroll("horizontal", m_hpos, m_hbar->maximum());
    }
    if (m_autoV && hasV) {
        m_vbar->setRange(0, content.height());
        m_vpos = clampScroll("vertical", m_vpos, m_vbar->maximum());
    }
    syncBars();
}

void XTreeView::placeBars()
{
    const int vbarW = m_vbar->sizeHint().width();
    const int hbarH = m_hbar->sizeHint().height();
    const bool hasH = !m_hbar->isHidden();
    const bool hasV = !m_vbar->isHidden();
    m_vbar->setGeometry(width() - vbarW, 0, vbarW, height() - (hasH ? hbarH : 0));
    m_hbar->setGeometry(0, height() - hbarH, width() - (hasV ? vbarW : 0), hbarH);
    m_vbar->raise();
    m_hbar->raise();
}

void XTreeView::syncBars()
{
    // Moving a tracking slider reports a move action of its own, which must not scroll again.
    const bool was = m_syncingBars;
    m_syncingBars = true;
    m_hbar->setSliderPosition(m_hpos);
    m_vbar->setSliderPosition(m_vpos);
    m_syncingBars = was;
}

bool XTreeView::ScrollTo(int x, int y)
{
    ensureLayout();
    const QSize content = m_layout.contentSize();
    const QRect client = clientRect();
    x = clampScroll("horizontal", x, std::abs(content.width() - client.width()));
    y = clampScroll("vertical", y, content.height());
    if (x == m_hpos && y == m_vpos)
        return false;
    m_hpos = x;
    m_vpos = y;
    syncBars();
    update();
    return true;
}

void XTreeView::onVerticalAction(int action)
{
    if (m_syncingBars)
        return;
    constexpr int kLine = 4;
    const int page = clientRect().height() / 4 * 4;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        ScrollTo(m_hpos, m_vpos + kLine);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        ScrollTo(m_hpos, m_vpos - kLine);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        ScrollTo(m_hpos, m_vpos + page);
        break;
    case QAbstractSlider::SliderPageStepSub:
        ScrollTo(m_hpos, m_vpos - page);
        break;
    case QAbstractSlider::SliderMove:
        ScrollTo(m_hpos, m_vbar->sliderPosition());
        break;
    case QAbstractSlider::SliderToMinimum:
        ScrollTo(0, 0);
        break;
    default: // the bottom code is ignored
        break;
    }
    syncBars();
}

void XTreeView::onHorizontalAction(int action)
{
    if (m_syncingBars)
        return;
    constexpr int kLine = 4;
    constexpr int kPage = 40;
    constexpr int kEnd = 28;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        ScrollTo(m_hpos + kLine, m_vpos);
        break;
    case QAbstractSlider::SliderSingleStepSub:
        ScrollTo(m_hpos - kLine, m_vpos);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        ScrollTo(m_hpos + kPage, m_vpos);
        break;
    case QAbstractSlider::SliderPageStepSub:
        ScrollTo(m_hpos - kPage, m_vpos);
        break;
    case QAbstractSlider::SliderMove:
        ScrollTo(m_hbar->sliderPosition(), m_vpos);
        break;
    case QAbstractSlider::SliderToMinimum:
        ScrollTo(m_hpos - kEnd, m_vpos);
        break;
    case QAbstractSlider::SliderToMaximum:
        ScrollTo(m_hpos + kEnd, m_vpos);
        break;
    default:
        break;
    }
    syncBars();
}

void XTreeView::setAutoHScroll(bool on)
{
    m_autoH = on;
    redraw(true);
}

void XTreeView::setAutoVScroll(bool on)
{
    m_autoV = on;
    redraw(true);
}

void XTreeView::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

XTreeView::Settings XTreeView::settings() const
{
    return { m_model.appearance(), m_picture, m_designLogo, m_picturePosition, m_autoH, m_autoV,
        m_mousePointer, m_mouseIcon };
}

void XTreeView::applySettings(const Settings &s)
{
    m_model.appearance() = s.look;
    m_model.appearance().hasFocus = false;
    setEnabled(s.look.enabled);
    m_picture = s.picture;
    m_designLogo = s.designLogo;
    m_picturePosition = s.picturePosition;
    m_autoH = s.autoH;
    m_autoV = s.autoV;
    m_mousePointer = s.mousePointer;
    m_mouseIcon = s.mouseIcon;
    applyCursor();
    redraw(true);
}

void XTreeView::setDesignLogo(const QImage &logo)
{
    m_designLogo = logo;
    if (designMode())
        update();
}

void XTreeView::setPicturePosition(LONG position)
{
    m_picturePosition = position;
    update();
}

void XTreeView::setDesignMode(bool design)
{
    m_model.appearance().designMode = design;
    if (design)
        m_drag->cancel();
    applyCursor();
    update();
}

void XTreeView::setEvents(XTreeViewEvents *events) noexcept
{
    m_events = events;
    m_model.setEvents(events);
}

void XTreeView::setMousePointer(LONG pointer)
{
    m_mousePointer = pointer;
    applyCursor();
}

void XTreeView::setMouseIcon(std::optional<QCursor> cursor)
{
    m_mouseIcon = std::move(cursor);
    applyCursor();
}

void XTreeView::applyCursor()
{
    if (designMode()) {
        // The container's cursor shows through.
        unsetCursor();
        return;
    }
    if (m_mousePointer == 99 && m_mouseIcon) {
        setCursor(*m_mouseIcon);
        return;
    }
    const std::optional<QCursor> system = systemCursor(m_mousePointer);
    setCursor(system ? *system : QCursor(Qt::ArrowCursor));
}

bool XTreeView::detectingDrag() const noexcept
{
    return m_drag->armed();
}

void XTreeView::detectDrag(LONG hItem)
{
    if (!designMode() && m_model.isValid(hItem))
        m_drag->arm(hItem, m_dragDelay);
}

void XTreeView::cancelDragDetection()
{
    m_drag->cancel();
}

void XTreeView::startDragItem(LONG) { }
void XTreeView::BeginDrag(LONG) { }
void XTreeView::dragOverItem(LONG, QPoint) { }
bool XTreeView::canDrop(LONG, DWORD)
{
    return false;
}
void XTreeView::dropOnSelf(LONG, DWORD) { }
void XTreeView::dropFromTree(XTreeView *, LONG, DWORD) { }

UINT XTreeView::msgTreeView() noexcept
{
    static const UINT message = RegisterWindowMessageA("WM_XTREEVIEW");
    return message;
}

UINT XTreeView::msgTreeViewDragDrop() noexcept
{
    static const UINT message = RegisterWindowMessageA("WM_XTREEVIEWDRAGDROP");
    return message;
}

UINT XTreeView::msgResetDropSource() noexcept
{
    static const UINT message = RegisterWindowMessageA("WM_RESETDROPSOURCE");
    return message;
}

XTreeView *XTreeView::fromWindow(HWND hwnd) noexcept
{
    if (hwnd == 0 || !IsWindow(hwnd))
        return nullptr;
    // Only a tree window answers, and only with its own address; anything else answers 0.
    return reinterpret_cast<XTreeView *>(SendMessageW(hwnd, msgTreeView(), 0, 0));
}

XTreeView *XTreeView::fromWidget(QWidget *widget) noexcept
{
    return widget ? fromWindow(platform::ui::windowHandle(widget)) : nullptr;
}

bool XTreeView::event(QEvent *e)
{
    if (e->type() == QEvent::StyleChange)
        ++m_layoutPasses;
    if (e->type() == platform::ui::WindowMessageEvent::eventType()) {
        auto *msg = static_cast<platform::ui::WindowMessageEvent *>(e);
        if (msg->message() == msgTreeView()) {
            msg->setResult(reinterpret_cast<LRESULT>(this));
            return true;
        }
        if (msg->message() == msgTreeViewDragDrop()) {
            msg->setResult(acceptsDrops()
                    ? SendMessageW(platform::ui::windowHandle(this), msgTreeView(), 0, 0)
                    : 0);
            return true;
        }
        if (msg->message() == msgResetDropSource()) {
            ResetDropSource();
            msg->setResult(0);
            return true;
        }
    }
    return QWidget::event(e);
}

void XTreeView::mousePressEvent(QMouseEvent *e)
{
    // Another button or a second press ends a detection in progress without a drag.
    m_drag->cancel();
    handleMousePress(*this, *e);
    e->accept();
}

void XTreeView::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        m_drag->cancel();
    handleMouseRelease(*this, *e);
    e->accept();
}

void XTreeView::mouseDoubleClickEvent(QMouseEvent *e)
{
    // Not a press: the second press of a double click raises no MouseDown and clicks nothing.
    m_drag->cancel();
    handleMouseDoubleClick(*this, *e);
    e->accept();
}

void XTreeView::mouseMoveEvent(QMouseEvent *e)
{
    handleMouseMove(*this, *e);
    if (m_drag->armed() && (e->buttons() & Qt::LeftButton))
        m_drag->pointerMoved(e->position().toPoint());
    e->accept();
}

void XTreeView::wheelEvent(QWheelEvent *e)
{
    // The wheel does not scroll the tree; the container may use it.
    e->ignore();
}

void XTreeView::keyPressEvent(QKeyEvent *e)
{
    if (!hasFocus()) {
        e->ignore();
        return;
    }
    if (e->key() == Qt::Key_Escape)
        m_drag->cancel();
    handleKeyPress(*this, *e);
    e->accept();
}

void XTreeView::keyReleaseEvent(QKeyEvent *e)
{
    if (!hasFocus()) {
        e->ignore();
        return;
    }
    handleKeyRelease(*this, *e);
    e->accept();
}

void XTreeView::setDropTarget(const XTreeItem *x)
{
    if (x != m_dropTarget) {
        m_dropTarget = x;
        update();
    }
}

XTreeView::ClientKey XTreeView::clientKey() const
{
    return { size(), m_hbar->isHidden(), m_vbar->isHidden() };
}

void XTreeView::gatherShownItems()
{
    class Gather : public XTreeVisitor {
    public:
        explicit Gather(std::vector<ShownItem> &out)
            : m_out(out)
        {
        }
        bool visit(const VisitedItem &v) override
        {
            m_out.push_back({ v.item, QRect(v.origin, v.node) });
            return true;
        }

    private:
        std::vector<ShownItem> &m_out;
    };
    m_shown.clear();
    m_shownHeight = clientRect().height();
    Gather gather(m_shown);
    walkBand(m_layout, { -m_hpos, -m_vpos }, 0, m_shownHeight - 1, gather);
    m_shownLayered = true;
    for (std::size_t i = 1; i < m_shown.size() && m_shownLayered; ++i)
        m_shownLayered = m_shown[i].rect.top() > m_shown[i - 1].rect.bottom();
    m_shownPass = m_layoutPasses;
    m_shownScroll = { m_hpos, m_vpos };
    m_shownKey = clientKey();
}

XTreeItem *XTreeView::hitTest(QPoint client, int *area)
{
    ensureLayout();
    if (m_shownPass != m_layoutPasses || m_shownScroll != QPoint(m_hpos, m_vpos) ||
        !(m_shownKey == clientKey()))
        gatherShownItems();
    XTreeItem *found = nullptr;
    QRect rect;
    if (client.y() >= 0 && client.y() < m_shownHeight) {
        if (m_shownLayered && !m_shown.empty()) {
            // Rows mostly share one height: start where that puts the point and step from there.
            const int y = client.y();
            const int top = m_shown.front().rect.top();
            const int span = m_shown.back().rect.bottom() + 1 - top;
            const auto n = static_cast<qint64>(m_shown.size());
            qint64 i = span > 0 ? std::clamp<qint64>((qint64(y) - top) * n / span, 0, n - 1) : 0;
            while (i > 0 && m_shown[std::size_t(i)].rect.top() > y)
                --i;
            while (i + 1 < n && m_shown[std::size_t(i + 1)].rect.top() <= y)
                ++i;
            if (const ShownItem &s = m_shown[std::size_t(i)]; s.rect.contains(client)) {
                found = s.item;
                rect = s.rect;
            }
        } else {
            for (const ShownItem &s : m_shown) {
                if (s.rect.contains(client)) {
                    found = s.item;
                    rect = s.rect;
                    break;
                }
            }
        }
        if (area)
            *area = found ? found->GetNode()->HitTest(m_model, client, rect) : kHitOutside;
        return found;
    }
    HitVisitor hit(m_model, client);
    walkBand(m_layout, { -m_hpos, -m_vpos }, client.y(), client.y(), hit);
    if (area)
        *area = hit.area;
    return hit.item;
}

std::optional<QPoint> XTreeView::itemOrigin(const XTreeItem *x)
{
    ensureLayout();
    auto origin = m_layout.contentOrigin(x);
    if (origin)
        *origin -= QPoint(m_hpos, m_vpos);
    return origin;
}

void XTreeView::placeHostedWindows()
{
    // Only items that hold a window are looked at, so a tree without any pays nothing here; the
    // paint visitor places the visible ones again with the rest of their row.
    for (XTreeNode_Window *node : m_model.windowNodes()) {
        XTreeItem *x = node->item();
        const auto origin = itemOrigin(x);
        if (!origin)
            continue;
        const QSize size = m_layout.nodeSize(x);
        node->PlaceWindow(QRect(QPoint(origin->x() + kButtonColumn, origin->y()),
            QPoint(origin->x() + size.width() - 1, origin->y() + size.height() - 1)));
    }
}

void XTreeView::paintInto(QPainter &p, QSize client)
{
    XTreeAppearance &look = m_model.appearance();
    look.hasFocus = hasFocus();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(look.font);
    p.fillRect(QRect(QPoint(0, 0), client), toQColor(look.backColor));
    // At design time the logo stands in for a missing background picture.
    const QImage &picture = m_picture.isNull() && look.designMode ? m_designLogo : m_picture;
    if (!picture.isNull())
        p.drawImage(picturePlace(m_picturePosition, client, picture.size()), picture);

    const QSize content = m_layout.contentSize();
    const int gridRight = m_hpos + std::max(content.width(), client.width());
    PaintVisitor painter(p, m_model, gridRight, m_dropTarget);
    walkBand(m_layout, { -m_hpos, -m_vpos }, 0, client.height() - 1, painter);
    if (look.style & ARBORSTYLE_GRIDLINES) {
        const int spacing = QFontMetrics(look.font).height() + 3;
        paintGridBelow(p, content.height() - m_vpos, spacing, client.width(), client.height());
    }
}

QImage XTreeView::renderClient()
{
    ensureLayout();
    const QSize client = clientRect().size();
    QImage image(client, QImage::Format_RGB32);
    QPainter p(&image);
    ++m_paintDepth;
    paintInto(p, client);
    --m_paintDepth;
    return image;
}

void XTreeView::paintEvent(QPaintEvent *)
{
    ensureLayout();
    ++m_paintDepth;
    if (!m_model.windowNodes().empty())
        placeHostedWindows();
    const QRect client = clientRect();
    QImage image(client.size(), QImage::Format_RGB32);
    QPainter window(this);
    if (image.isNull()) {
        // Without memory for the image, draw straight onto the window.
        paintInto(window, client.size());
    } else {
        QPainter p(&image);
        paintInto(p, client.size());
        p.end();
        window.drawImage(client.topLeft(), image);
    }
    // The square where the two bars meet belongs to no bar: it shows the face colour.
    if (!m_hbar->isHidden() && !m_vbar->isHidden())
        window.fillRect(QRect(m_hbar->geometry().right() + 1, m_vbar->geometry().bottom() + 1,
                            width() - m_hbar->geometry().right() - 1,
                            height() - m_vbar->geometry().bottom() - 1),
            palette().color(QPalette::Button));
    --m_paintDepth;
}

void XTreeView::resizeEvent(QResizeEvent *)
{
    placeBars();
    redraw(true);
}

void XTreeView::focusInEvent(QFocusEvent *)
{
    update();
}

void XTreeView::focusOutEvent(QFocusEvent *)
{
    m_drag->cancel();
    if (m_paintDepth == 0)
        update();
}

} // namespace arbor
