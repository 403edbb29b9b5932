#include "arbor/view/xtreeinput.h"

#include "arbor/model/xtreenode.h"
#include "arbor/view/xtreeselection.h"
#include "arbor/view/xtreeview.h"

#include <QMouseEvent>
#include <QPointer>

namespace arbor {

namespace {

// What a left press does at run time once MouseDown is out: the click on the area under the
// point, then drag detection for any item hit.
void leftClickAt(XTreeView &view, QPoint point, bool ctrl)
{
    XTreeModel &m = view.model();
    int area = kHitOutside;
    XTreeItem *x = view.hitTest(point, &area);
    if (!x) {
        // Empty space: no focus item any more, but the selection stays.
        m.setFocusItem(0);
        view.redraw(false);
        return;
    }
    const LONG h = x->handle();
    switch (area) {
    case kHitItem:
        if (!ctrl)
            m.clearSelection();
        m.setFocusItem(h);
        if (!x->IsSelected())
            SelectItem(view, h);
        else if (ctrl)
            DeselectItem(view, h);
        view.redraw(false);
        break;
    case kHitButton:
        m.Expand(h, !x->IsExpanded());
        ClearSelection(view, false);
        view.redraw(true);
        break;
    case kHitBox:
        if (x->GetNode()->OnClick(m, kHitBox))
            view.redraw(false);
        break;
    default:
        break;
    }
    // Any handler above may have removed the item.
    if (m.isValid(h))
        view.startDragItem(h);
}

} // namespace

SHORT shiftState(Qt::KeyboardModifiers modifiers) noexcept
{
    SHORT s = 0;
    if (modifiers & Qt::ShiftModifier)
        s |= 1;
    if (modifiers & Qt::ControlModifier)
        s |= 2;
    if (modifiers & Qt::AltModifier)
        s |= 4;
    return s;
}

SHORT buttonState(Qt::MouseButtons buttons) noexcept
{
    if (buttons & Qt::LeftButton)
        return 1;
    if (buttons & Qt::RightButton)
        return 2;
    return 0;
}

void handleMousePress(XTreeView &view, const QMouseEvent &event)
{
    const QPoint p = event.position().toPoint();
    const SHORT shift = shiftState(event.modifiers());
    if (event.button() != Qt::LeftButton && event.button() != Qt::RightButton)
        return;
    // A handler may destroy the control, and the window with it.
    QPointer<XTreeView> alive(&view);
    if (event.button() == Qt::LeftButton)
        view.setFocus(Qt::MouseFocusReason);
    if (XTreeViewEvents *ev = view.events())
        ev->MouseDown(buttonState(event.buttons()), shift, p.x(), p.y());
    if (!alive || event.button() != Qt::LeftButton || view.designMode())
        return;
    leftClickAt(view, p, event.modifiers() & Qt::ControlModifier);
}

void handleMouseRelease(XTreeView &view, const QMouseEvent &event)
{
    const QPoint p = event.position().toPoint();
    const SHORT shift = shiftState(event.modifiers());
    QPointer<XTreeView> alive(&view);
    if (event.button() == Qt::LeftButton) {
        if (XTreeViewEvents *ev = view.events())
            ev->MouseUp(1, shift, p.x(), p.y());
        if (XTreeViewEvents *ev = alive ? view.events() : nullptr)
            ev->Click();
    } else if (event.button() == Qt::RightButton) {
        if (XTreeViewEvents *ev = view.events())
            ev->MouseUp(2, shift, p.x(), p.y());
        if (XTreeViewEvents *ev = alive ? view.events() : nullptr)
            ev->RightClick(p.x(), p.y());
    }
}

void handleMouseDoubleClick(XTreeView &view, const QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton)
        return;
    QPointer<XTreeView> alive(&view);
    if (!view.designMode()) {
        int area = kHitOutside;
        const XTreeItem *x = view.hitTest(event.position().toPoint(), &area);
        if (x && (area == kHitItem || area == kHitBox)) {
            if (XTreeViewEvents *ev = view.events())
                ev->ItemDblClk(x->handle());
        }
    }
    if (XTreeViewEvents *ev = alive ? view.events() : nullptr)
        ev->DblClick();
}

void handleMouseMove(XTreeView &view, const QMouseEvent &event)
{
    const QPoint p = event.position().toPoint();
    if (XTreeViewEvents *ev = view.events())
        ev->MouseMove(buttonState(event.buttons()), shiftState(event.modifiers()), p.x(), p.y());
}

} // namespace arbor
