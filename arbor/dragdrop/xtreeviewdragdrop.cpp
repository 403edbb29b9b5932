#include "arbor/dragdrop/xtreeviewdragdrop.h"

#include "arbor/dragdrop/copyitems.h"
#include "arbor/dragdrop/dragarea.h"
#include "arbor/dragdrop/idragdrop.h"
#include "arbor/dragdrop/xtreedraghost.h"
#include "arbor/model/xtreenode.h"
#include "platform/com/ole/dragdrop.h"
#include "platform/registry/registry.h"
#include "platform/ui/input.h"

#include <QFontMetrics>
#include <QLoggingCategory>
#include <QScrollBar>

#include <charconv>

Q_LOGGING_CATEGORY(lcDrag, "arbor.dragdrop", QtWarningMsg)

namespace arbor {

int readDragDelay() noexcept
{
    using namespace platform::registry;
    DWORD number = 0;
    if (readDword(HKEY_CURRENT_USER, XTreeViewDragDrop::kDragDelayKey,
            XTreeViewDragDrop::kDragDelayValue, number) == ERROR_SUCCESS &&
        number <= 0x7FFFFFFF)
        return static_cast<int>(number);
    std::string text;
    if (readString(HKEY_CURRENT_USER, XTreeViewDragDrop::kDragDelayKey,
            XTreeViewDragDrop::kDragDelayValue, text) == ERROR_SUCCESS) {
        int value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec == std::errc() && end == text.data() + text.size() && value >= 0)
            return value;
    }
    return XTreeViewDragDrop::kDefaultDragDelay;
}

XTreeViewDragDrop::XTreeViewDragDrop(QWidget *parent)
    : XTreeView(parent)
{
    setDragDelay(readDragDelay());
    for (int id = kDragWatchTimer; id <= kScrollRightTimer; ++id)
        timer(id).setInterval(id == kDragWatchTimer ? kDragWatchMs : kScrollMs);
    connect(&timer(kDragWatchTimer), &QTimer::timeout, this, &XTreeViewDragDrop::onDragWatchTick);
    connect(&timer(kScrollUpTimer), &QTimer::timeout, this, &XTreeViewDragDrop::onScrollUpTick);
    connect(&timer(kScrollDownTimer), &QTimer::timeout, this, &XTreeViewDragDrop::onScrollDownTick);
    connect(&timer(kScrollLeftTimer), &QTimer::timeout, this, &XTreeViewDragDrop::onScrollLeftTick);
    connect(
        &timer(kScrollRightTimer), &QTimer::timeout, this, &XTreeViewDragDrop::onScrollRightTick);
}

XTreeViewDragDrop::~XTreeViewDragDrop() = default;

DWORD XTreeViewDragDrop::allowedEffects() const noexcept
{
    return m_host ? (m_host->dropEffect() & 7) : 0;
}

bool XTreeViewDragDrop::timerActive(int id) const noexcept
{
    if (id < kDragWatchTimer || id > kScrollRightTimer)
        return false;
    return m_timers[static_cast<std::size_t>(id - kDragWatchTimer)].isActive();
}

void XTreeViewDragDrop::runTimer(int id)
{
    timer(id).start();
}

void XTreeViewDragDrop::stopDragTimers() noexcept
{
    for (QTimer &t : m_timers)
        t.stop();
}

void XTreeViewDragDrop::startDragItem(LONG hItem)
{
    if (allowedEffects() == 0 || designMode())
        return;
    IDragDrop *dd = m_host->dragDrop();
    if (!dd)
        return;
    dd->StartDrag(*this, hItem);
    detectDrag(hItem);
    if (!detectingDrag())
        dd->EndDrag();
}

void XTreeViewDragDrop::endDragDetection()
{
    if (m_host && m_dragDepth == 0) {
        if (IDragDrop *dd = m_host->dragDrop(); dd && dd->sourceView() == this)
            dd->EndDrag();
    }
}

void XTreeViewDragDrop::BeginDrag(LONG hItem)
{
    if (!m_host)
        return;
    const ComPtr<IDragDrop> dd(m_host->dragDrop());
    if (!dd)
        return;
    ++m_dragDepth;
    (void)dd->RunDrag(*this, hItem);
    --m_dragDepth;
    // The control went while the loop ran: its window could not go before now.
    if (m_dragDepth == 0 && m_deleteAfterDrag)
        m_deleteAfterDrag->deleteLater();
}

bool XTreeViewDragDrop::beginDragPicture(LONG hItem, CDragArea &area)
{
    runTimer(kDragWatchTimer);
    QPointer<XTreeViewDragDrop> self(this);
    if (m_host)
        m_host->fireItemDragging(hItem);
    if (!self || !m_host || !model().isValid(hItem))
        return false;
    QSize size = model().measure(hItem);
    size.setWidth(std::max(0, size.width() - kButtonColumn));
    area.Begin(
        size,
        [self, hItem](QPainter &p, const QRect &rect) {
            if (!self)
                return;
            if (XTreeItem *x = self->model().item(hItem)) {
                p.setFont(x->itemFont() ? *x->itemFont() : self->model().appearance().font);
                x->GetNode()->PaintGhost(p, rect, self->model());
            }
        },
        [](QPoint position) {
            if (IDragDrop *active = IDragDrop::active())
                active->pictureMoved(position);
        });
    return true;
}

void XTreeViewDragDrop::dragOverItem(LONG hItem, QPoint client)
{
    runTimer(kDragWatchTimer);
    for (int id = kScrollUpTimer; id <= kScrollRightTimer; ++id)
        timer(id).stop();
    const QRect c = clientRect();
    const struct {
        QRect strip;
        int id;
    } strips[] = {
        { QRect(c.left(), c.top(), c.width(), kScrollStrip), kScrollUpTimer },
        { QRect(c.left(), c.bottom() - kScrollStrip + 1, c.width(), kScrollStrip),
            kScrollDownTimer },
        { QRect(c.left(), c.top(), kScrollStrip, c.height()), kScrollLeftTimer },
        { QRect(c.right() - kScrollStrip + 1, c.top(), kScrollStrip, c.height()),
            kScrollRightTimer },
    };
    bool inStrip = false;
    for (const auto &s : strips) {
        if (s.strip.contains(client)) {
            runTimer(s.id);
            inStrip = true;
        }
    }
    if (!inStrip && hItem != m_hoverItem) {
        m_hoverItem = hItem;
        setDropTarget(model().item(hItem));
    }
}

void XTreeViewDragDrop::leaveDrag()
{
    stopDragTimers();
    m_hoverItem = 0;
    setDropTarget(nullptr);
}

void XTreeViewDragDrop::endDrag()
{
    leaveDrag();
}

void XTreeViewDragDrop::onDragWatchTick()
{
    IDragDrop *active = IDragDrop::active();
    if (active)
        active->revalidate();
    const platform::ui::InputState &in = platform::ui::input();
    if (QRect(mapToGlobal(QPoint(0, 0)), size()).contains(in.cursorPos()))
        return;
    update();
    if (!(in.mouseButtons() & Qt::LeftButton)) {
        if (active)
            active->dragArea().End();
        stopDragTimers();
    }
}

void XTreeViewDragDrop::onScrollUpTick()
{
    verticalBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

void XTreeViewDragDrop::onScrollDownTick()
{
    verticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void XTreeViewDragDrop::onScrollLeftTick()
{
    horizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

void XTreeViewDragDrop::onScrollRightTick()
{
    horizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

bool XTreeViewDragDrop::canDrop(LONG hTarget, DWORD effect)
{
    if (m_dragSource == 0)
        return model().isValid(hTarget);
    const XTreeItem *source = model().item(m_dragSource);
    const XTreeItem *target = model().item(hTarget);
    if (!source || !target || target->IsInSubtreeOf(source))
        return false;
    if (effect & DROPEFFECT_COPY)
        return true;
    return (effect & DROPEFFECT_MOVE) && (source->GetLeft() || source->GetParent() != target);
}

void XTreeViewDragDrop::dropOnSelf(LONG hTarget, DWORD effect)
{
    stopDragTimers();
    const LONG source = m_dragSource;
    QPointer<XTreeViewDragDrop> self(this);
    if (effect != DROPEFFECT_NONE && canDrop(hTarget, effect)) {
        const bool cancel =
            m_host && m_host->fireItemDragged(source, hTarget, static_cast<LONG>(effect));
        if (!self)
            return;
        qCDebug(lcDrag) << "drop on own tree" << source << "->" << hTarget << effect << cancel;
        // The handler may have moved or removed either item: the model refuses what no longer fits.
        if (!cancel && (effect & DROPEFFECT_MOVE))
            (void)model().ChangeParentItem(source, hTarget);
    }
    m_dragSource = 0;
    redraw(true);
}

void XTreeViewDragDrop::dropFromTree(XTreeView *sourceView, LONG hTarget, DWORD effect)
{
    stopDragTimers();
    QPointer<XTreeViewDragDrop> self(this);
    QPointer<XTreeViewDragDrop> source(qobject_cast<XTreeViewDragDrop *>(sourceView));
    if (effect == DROPEFFECT_NONE || !source || !source->m_host || !m_host)
        return;
    const LONG hSource = source->dragSource();
    if (!model().isValid(hTarget) || !source->model().isValid(hSource))
        return;
    // The target tree must not go while its interface is handed to the source's handler.
    const ComPtr<IArbor> targetTree(m_host->arbor());
    const bool cancel = source->m_host->fireItemDraggedTo(
        hSource, targetTree.Get(), hTarget, static_cast<LONG>(effect));
    qCDebug(lcDrag) << "drop from another tree" << hSource << "->" << hTarget << effect << cancel;
    if (cancel || !self || !source || !m_host || !source->m_host)
        return;
    const CopyResult copied =
        CopyItems(source->model(), hSource, *targetTree.Get(), model(), hTarget, true);
    if (copied.copy != 0)
        (void)targetTree->put_ExpandItem(hTarget, VARIANT_TRUE);
    // A move that left anything behind keeps the source, so nothing is lost.
    if ((effect & DROPEFFECT_MOVE) && copied.complete && source && source->m_host &&
        source->model().isValid(hSource)) {
        const ComPtr<IArbor> sourceTree(source->m_host->arbor());
        (void)sourceTree->RemoveItemRec(hSource);
    }
    if (self)
        redraw(true);
}

} // namespace arbor
