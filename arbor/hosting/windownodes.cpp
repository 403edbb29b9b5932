#include "arbor/hosting/windownodes.h"

#include "arbor/hosting/xwindowshook.h"
#include "arbor/model/nodepaint.h"
#include "arbor/model/xtreemodel.h"
#include "platform/ui/wincalls.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QResizeEvent>

namespace arbor {

namespace {

constexpr DWORD kWsCaption = 0x00C00000u;
constexpr DWORD kWsSysMenu = 0x00080000u;
constexpr DWORD kWsMinimizeBox = 0x00020000u;
constexpr DWORD kWsMaximizeBox = 0x00010000u;
constexpr DWORD kWsClipChildren = 0x02000000u;
constexpr DWORD kWsClipSiblings = 0x04000000u;
constexpr int kMaxCaption = 127;

void addStyle(HWND hwnd, DWORD add, DWORD remove)
{
    const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    (void)SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
}

} // namespace

bool XTreeNode_Window::onHook(HWND, void *context, HookMessage &message, LRESULT *)
{
    auto *node = static_cast<XTreeNode_Window *>(context);
    XTreeModel *model = node->m_model;
    QWidget *widget = node->m_widget.data();
    if (!model || !widget)
        return false;
    switch (message.kind) {
    case HookMessage::Move:
    case HookMessage::Resize:
        // Sizing and moving keep the left and top edges where the tree put them.
        if (node->m_placed && message.geometry.topLeft() != node->m_placedAt)
            message.geometry.moveTopLeft(node->m_placedAt);
        if (message.kind == HookMessage::Resize && widget->isVisible() && node->m_paintDepth == 0)
            node->onHostedResized(*model, static_cast<QResizeEvent *>(message.event)->size());
        break;
    case HookMessage::Activate: {
        if (model->movingWindows())
            break;
        const LONG h = node->item()->handle();
        if (!node->item()->IsSelected()) {
            // A single-selection tree never has two selected items: the others go quietly.
            if (model->appearance().style & ARBORSTYLE_SINGLESEL)
                model->clearSelection();
            model->setFocusItem(h);
            // The handler may remove the item and this node with it: nothing after this.
            model->MarkSelected(h);
        }
        break;
    }
    }
    return false;
}

XTreeNode_Window::~XTreeNode_Window()
{
    detachWidget();
}

void XTreeNode_Window::adopt(XTreeModel &model, QWidget *widget)
{
    m_model = &model;
    m_widget = widget;
    widget->hide();
    if (QWidget *itemWindow = model.itemWindow()) {
        const HWND itemHwnd = platform::ui::windowHandle(itemWindow);
        addStyle(itemHwnd, kWsClipChildren | kWsClipSiblings, 0);
        if (widget->parentWidget() != itemWindow)
            (void)SetParent(m_hwnd, itemHwnd);
    }
    addStyle(
        m_hwnd, kWsClipChildren | kWsClipSiblings, kWsSysMenu | kWsMinimizeBox | kWsMaximizeBox);
    if (!model.appearance().designMode)
        m_watched = XWindowsHook::instance().AddWindow(m_hwnd, &XTreeNode_Window::onHook, this);
    model.addWindowNode(this);
}

bool XTreeNode_Window::AttachWindow(XTreeModel &model, HWND hwnd)
{
    QWidget *widget = platform::ui::widgetFromHandle(hwnd);
    if (!widget)
        return false;
    m_hwnd = hwnd;
    adopt(model, widget);
    return true;
}

void XTreeNode_Window::detachWidget()
{
    if (m_watched)
        XWindowsHook::instance().RemoveWindow(m_hwnd);
    m_watched = false;
    m_placed = false;
    if (m_model)
        m_model->removeWindowNode(this);
    m_model = nullptr;
    if (QWidget *w = m_widget.data()) {
        w->hide();
        w->setParent(nullptr);
    }
    m_widget = nullptr;
}

QSize XTreeNode_Window::Measure(const XTreeModel &, const QFontMetrics &) const
{
    if (!m_widget)
        return { kWindowMargin, kWindowMargin };
    return m_widget->size() + QSize(2 * kWindowMargin, 2 * kWindowMargin);
}

void XTreeNode_Window::PlaceWindow(const QRect &rect)
{
    if (!m_widget)
        return;
    notePlacement({ rect.left() + kWindowMargin, rect.top() + kWindowMargin });
    m_widget->move(rect.left() + kWindowMargin, rect.top() + kWindowMargin);
    if (m_widget->isHidden()) {
        m_widget->setAttribute(Qt::WA_ShowWithoutActivating);
        m_widget->show();
    }
}

void XTreeNode_Window::HideWindow()
{
    if (m_widget)
        m_widget->hide();
}

void XTreeNode_Window::Paint(QPainter &p, const QRect &rect, XTreeModel &model)
{
    if (!HasWindow())
        return;
    ++m_paintDepth;
    PlaceWindow(rect);
    --m_paintDepth;
    const QRect whole = rect.adjusted(-kButtonColumn, 0, 0, 0);
    const XTreeItem *x = item();
    if (x->IsSelected()) {
        p.save();
        p.setPen(toQColor(model.appearance().hasFocus ? kSelectionBlue : kLightGrey));
        p.setBrush(Qt::NoBrush);
        p.drawRect(whole.adjusted(0, 0, -1, -1));
        p.restore();
    }
    if (model.isFocusItem(x))
        drawFocusRect(p, whole);
}

std::string XTreeNode_Window::GetText() const
{
    if (!m_widget)
        return {};
    if ((static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)) & kWsCaption) != kWsCaption)
        return {};
    char buffer[kMaxCaption + 1] = {};
    const int n = GetWindowTextA(m_hwnd, buffer, kMaxCaption + 1);
    return std::string(buffer, static_cast<std::size_t>(std::max(n, 0)));
}

void XTreeNode_Window::ShowHosted(bool show)
{
    if (!show)
        HideWindow();
    else if (m_widget)
        m_widget->show();
}

void XTreeNode_Window::onHostedResized(XTreeModel &model, const QSize &)
{
    model.invalidateItem(item());
}

XTreeNode_Control::~XTreeNode_Control()
{
    XHostedControl *control = m_control;
    m_control = nullptr;
    detachWidget();
    if (control)
        control->release();
}

bool XTreeNode_Control::AttachControl(XTreeModel &model, XHostedControl *control)
{
    if (!control)
        return false;
    m_control = control;
    m_hwnd = control->window();
    if (QWidget *widget = platform::ui::widgetFromHandle(m_hwnd))
        adopt(model, widget);
    return true;
}

QSize XTreeNode_Control::Measure(const XTreeModel &, const QFontMetrics &) const
{
    if (!m_control)
        return { kWindowMargin, kWindowMargin };
    const SIZE s = m_control->size();
    return { int(s.cx) + 2 * kWindowMargin, int(s.cy) + 2 * kWindowMargin };
}

void XTreeNode_Control::PlaceWindow(const QRect &rect)
{
    if (!m_control)
        return;
    notePlacement({ rect.left() + kWindowMargin, rect.top() + kWindowMargin });
    m_control->setPosition(rect.left() + kWindowMargin, rect.top() + kWindowMargin);
    m_control->setVisible(true);
}

void XTreeNode_Control::HideWindow()
{
    if (m_control)
        m_control->setVisible(false);
}

void XTreeNode_Control::ShowHosted(bool show)
{
    if (m_control)
        m_control->setVisible(show);
}

void XTreeNode_Control::onHostedResized(XTreeModel &model, const QSize &size)
{
    if (m_control)
        m_control->setSize(
            std::max(size.width(), kMinControlSize), std::max(size.height(), kMinControlSize));
    model.invalidateItem(item());
}

} // namespace arbor
