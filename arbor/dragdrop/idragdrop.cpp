#include "arbor/dragdrop/idragdrop.h"

#include "arbor/dragdrop/xtreedraghost.h"
#include "arbor/dragdrop/xtreeviewdragdrop.h"
#include "platform/com/boundary.h"
#include "platform/ui/wincalls.h"

#include <algorithm>

namespace arbor {

using platform::com::guarded;
using platform::ui::widgetFromHandle;
using platform::ui::windowHandle;

namespace {

IDragDrop *g_active = nullptr;

// The tree view that the window at a screen point belongs to: the window there or its nearest
// ancestor that answers "WM_XTREEVIEWDRAGDROP". Sets *under to the window at the point.
XTreeView *treeAt(QPoint screen, HWND *under)
{
    *under = WindowFromPoint(POINT { screen.x(), screen.y() });
    for (HWND h = *under; h != 0; h = GetParent(h)) {
        if (const LRESULT answer = SendMessageW(h, XTreeView::msgTreeViewDragDrop(), 0, 0))
            return reinterpret_cast<XTreeView *>(answer);
    }
    return nullptr;
}

} // namespace

// What StartDrag set up, undone by the destructor on every way out.
struct IDragDrop::Registration {
    IDragDrop *owner;
    QPointer<XTreeViewDragDrop> source;
    std::vector<HWND> registered;

    ~Registration()
    {
        for (HWND h : registered) {
            if (registeredDropTarget(h) == static_cast<IDropTarget *>(owner))
                (void)RevokeDragDrop(h);
        }
        if (source) {
            source->setDragSource(0);
            source->endDrag();
        }
    }
};

IDragDrop::IDragDrop(XTreeDragHost *host) noexcept
    : m_host(host)
{
}

IDragDrop::~IDragDrop()
{
    EndDrag();
    if (g_active == this)
        g_active = nullptr;
}

void IDragDrop::detach() noexcept
{
    m_host = nullptr;
    // Detection without a loop ends now; a running loop cancels at its next round.
    if (g_active != this)
        EndDrag();
}

IDragDrop *IDragDrop::active() noexcept
{
    return g_active;
}

void IDragDrop::AddDropTarget(HWND hwnd, HWND own)
{
    if (hwnd != own && IsWindow(hwnd))
        m_targets.push_back(hwnd);
}

void IDragDrop::RemoveDropTarget(HWND hwnd) noexcept
{
    if (const auto it = std::find(m_targets.begin(), m_targets.end(), hwnd); it != m_targets.end())
        m_targets.erase(it);
}

void IDragDrop::StartDrag(XTreeViewDragDrop &view, LONG hItem)
{
    EndDrag();
    auto reg = std::make_unique<Registration>();
    reg->owner = this;
    reg->source = &view;
    view.setDragSource(hItem);
    m_source = &view;
    m_sourceItem = hItem;
    const HWND own = windowHandle(&view);
    if (SUCCEEDED(RegisterDragDrop(own, this)))
        reg->registered.push_back(own);
    // A copy: a window answering the reset may change the list.
    const std::vector<HWND> targets = m_targets;
    for (HWND h : targets) {
        if (!IsWindow(h))
            continue;
        (void)SendMessageW(h, XTreeView::msgResetDropSource(), 0, 0);
        if (SUCCEEDED(RegisterDragDrop(h, this)))
            reg->registered.push_back(h);
    }
    m_registration = std::move(reg);
}

void IDragDrop::EndDrag() noexcept
{
    m_area.End();
    if (auto *hover = qobject_cast<XTreeViewDragDrop *>(m_hoverTree.data()))
        hover->leaveDrag();
    m_hoverTree = nullptr;
    m_hoverItem = 0;
    m_registration.reset();
    m_source = nullptr;
    m_sourceItem = 0;
}

HRESULT IDragDrop::RunDrag(XTreeViewDragDrop &view, LONG hItem)
{
    const ComPtr<IDragDrop> keep(this);
    HRESULT hr = DRAGDROP_S_CANCEL;
    if (m_registration && m_source == &view && m_sourceItem == hItem && g_active == nullptr) {
        g_active = this;
        m_firstQuery = true;
        m_leftDown = false;
        m_lastPoint = QPoint(-1, -1);
        m_lastEffect = DROPEFFECT_NONE;
        m_resultEffect = DROPEFFECT_NONE;
        m_allowed = view.allowedEffects();
        if (view.beginDragPicture(hItem, m_area) && sourceAlive())
            hr = DoDragDrop(nullptr, this, m_allowed | DROPEFFECT_SCROLL, &m_resultEffect);
        g_active = nullptr;
    }
    EndDrag();
    return hr;
}

bool IDragDrop::sourceAlive() const noexcept
{
    return m_host && m_source && m_source->dragHost() == m_host &&
        m_source->model().isValid(m_sourceItem);
}

void IDragDrop::revalidate() noexcept
{
    if (m_hoverTree && m_hoverItem != 0 && !m_hoverTree->model().isValid(m_hoverItem))
        m_hoverItem = 0;
    if (!m_hoverTree)
        m_hoverItem = 0;
}

DWORD IDragDrop::effectFromKeys(DWORD keys, DWORD allowed) noexcept
{
    const bool ctrl = keys & MK_CONTROL;
    const bool shift = keys & MK_SHIFT;
    if (ctrl && shift)
        return DROPEFFECT_LINK;
    if (ctrl)
        return DROPEFFECT_COPY;
    if (shift)
        return DROPEFFECT_MOVE;
    for (const DWORD e : { DROPEFFECT_MOVE, DROPEFFECT_COPY, DROPEFFECT_LINK }) {
        if (allowed & e)
            return e;
    }
    return DROPEFFECT_NONE;
}

HRESULT IDragDrop::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) noexcept
{
    // The source tree, its control or the dragged item went away (a handler, a host timer).
    if (!sourceAlive() || fEscapePressed) {
        m_area.End();
        return DRAGDROP_S_CANCEL;
    }
    const bool left = grfKeyState & MK_LBUTTON;
    if (m_firstQuery) {
        m_firstQuery = false;
        // Up already: the release was missed, so there is nothing to drop with.
        if (!left) {
            m_area.End();
            return DRAGDROP_S_CANCEL;
        }
        m_leftDown = true;
        return S_OK;
    }
    if (m_leftDown && !left)
        return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT IDragDrop::GiveFeedback(DWORD) noexcept
{
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

HRESULT IDragDrop::DragEnter(IDataObject *, DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept
{
    if (!pdwEffect)
        return E_INVALIDARG;
    const QPoint point(pt.x, pt.y);
    DWORD effect = effectFromKeys(grfKeyState, m_allowed);
    const HRESULT hr = guarded([&] {
        if (point != m_lastPoint) {
            dragOverProcessing(point, effect, false);
            m_lastPoint = point;
        } else {
            effect = m_lastEffect;
        }
        return S_OK;
    });
    if (FAILED(hr))
        effect = DROPEFFECT_NONE;
    m_lastEffect = effect;
    *pdwEffect = effect;
    return hr;
}

HRESULT IDragDrop::DragOver(DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept
{
    if (!pdwEffect)
        return E_INVALIDARG;
    const QPoint point(pt.x, pt.y);
    DWORD effect = effectFromKeys(grfKeyState, m_allowed);
    const HRESULT hr = guarded([&] {
        dragOverProcessing(point, effect, false);
        return S_OK;
    });
    if (FAILED(hr))
        effect = DROPEFFECT_NONE;
    m_lastEffect = effect;
    m_lastPoint = point;
    *pdwEffect = effect;
    return hr;
}

HRESULT IDragDrop::DragLeave() noexcept
{
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = guarded([&] {
        dragOverProcessing(m_lastPoint, effect, true);
        return S_OK;
    });
    m_lastEffect = DROPEFFECT_NONE;
    return hr;
}

HRESULT IDragDrop::Drop(IDataObject *, DWORD, POINTL pt, DWORD *pdwEffect) noexcept
{
    // The effect of the last drag-over decides, and it is what the caller hears back.
    const DWORD effect = m_lastEffect;
    const HRESULT hr = guarded([&] {
        dropProcessing(QPoint(pt.x, pt.y), effect);
        return S_OK;
    });
    m_lastPoint = QPoint(-1, -1);
    if (pdwEffect)
        *pdwEffect = effect;
    return hr;
}

void IDragDrop::setHoverTree(XTreeView *tree) noexcept
{
    // Leaving a tree stops its scroll timers and takes its highlight away.
    if (m_hoverTree && m_hoverTree != tree) {
        if (auto *old = qobject_cast<XTreeViewDragDrop *>(m_hoverTree.data()))
            old->leaveDrag();
    }
    m_hoverTree = tree;
}

void IDragDrop::dragOverProcessing(QPoint screen, DWORD &effect, bool leave)
{
    m_hoverItem = 0;
    HWND under = 0;
    XTreeView *tree = leave ? nullptr : treeAt(screen, &under);
    setHoverTree(tree);
    if (tree) {
        const XTreeItem *x = tree->hitTest(tree->mapFromGlobal(screen));
        m_hoverItem = x ? x->handle() : 0;
        if (!tree->canDrop(m_hoverItem, effect))
            effect = DROPEFFECT_NONE;
    } else {
        effect = DROPEFFECT_NONE; // a listed window that is no tree takes nothing
    }
    if (leave)
        return;
    QRect clip;
    if (QWidget *w = widgetFromHandle(under))
        clip = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    if (m_area.active())
        m_area.moveTo(screen, clip);
    else
        pictureMoved(screen);
}

void IDragDrop::pictureMoved(QPoint position)
{
    revalidate();
    if (XTreeView *tree = m_hoverTree)
        tree->dragOverItem(m_hoverItem, tree->mapFromGlobal(position));
}

void IDragDrop::dropProcessing(QPoint screen, DWORD effect)
{
    m_area.End();
    const ComPtr<IDragDrop> keep(this);
    QPointer<XTreeViewDragDrop> source = m_source;
    HWND under = 0;
    XTreeView *tree = treeAt(screen, &under);
    if (!tree || !source)
        return;
    const XTreeItem *x = tree->hitTest(tree->mapFromGlobal(screen));
    const LONG target = x ? x->handle() : 0;
    if (tree == source.data())
        tree->dropOnSelf(target, effect);
    else
        tree->dropFromTree(source, target, effect);
}

} // namespace arbor
