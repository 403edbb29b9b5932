#include "arbor/control/cxtreeview_drag.h"

#include "arbor/control/cxtreeview.h"
#include "arbor/dragdrop/xtreeviewdragdrop.h"

namespace arbor {

using platform::com::Variant;
namespace e = eventid;

namespace {

// A VARIANT_BOOL the handler writes through.
Variant cancelFlag(VARIANT_BOOL *flag) noexcept
{
    Variant v;
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = flag;
    return v;
}

} // namespace

CXTreeViewDragHost::CXTreeViewDragHost(CXTreeView &control) noexcept
    : m_control(&control)
    , m_dragDrop(IDragDrop::make(this))
{
}

CXTreeViewDragHost::~CXTreeViewDragHost()
{
    detach();
}

void CXTreeViewDragHost::detach() noexcept
{
    m_control = nullptr;
    if (m_dragDrop)
        m_dragDrop->detach();
}

DWORD CXTreeViewDragHost::dropEffect() const noexcept
{
    return m_control ? static_cast<DWORD>(m_control->dropEffect()) : 0;
}

IArbor *CXTreeViewDragHost::arbor() noexcept
{
    return m_control;
}

void CXTreeViewDragHost::fireItemDragging(LONG hItem) noexcept
{
    if (!m_control)
        return;
    Variant arg = Variant::i4(hItem);
    m_control->fireEvent(e::ItemDragging, &arg, 1, true);
}

bool CXTreeViewDragHost::fireItemDragged(LONG hSource, LONG hTarget, LONG effect) noexcept
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    if (m_control) {
        Variant args[] = { Variant::i4(hSource), Variant::i4(hTarget), Variant::i4(effect),
            cancelFlag(&cancel) };
        m_control->fireEvent(e::ItemDragged, args, 4, true);
    }
    return cancel != VARIANT_FALSE;
}

bool CXTreeViewDragHost::fireItemDraggedTo(
    LONG hSource, IArbor *targetTree, LONG hTarget, LONG effect) noexcept
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    if (m_control) {
        Variant args[] = { Variant::i4(hSource), Variant::dispatch(targetTree),
            Variant::i4(hTarget), Variant::i4(effect), cancelFlag(&cancel) };
        m_control->fireEvent(e::ItemDraggedTo, args, 5, true);
    }
    return cancel != VARIANT_FALSE;
}

XTreeViewDragDrop &CXTreeView::dragView() noexcept
{
    // The control always builds its item window with drag support.
    return static_cast<XTreeViewDragDrop &>(view());
}

HRESULT CXTreeView::AddDropTarget(LONG hWnd) noexcept
{
    return guardedMember(u"AddDropTarget", [&]() -> HRESULT {
        if (IDragDrop *dd = m_drag->dragDrop())
            dd->AddDropTarget(hWnd, platform::ui::windowHandle(&view()));
        return S_OK;
    });
}

HRESULT CXTreeView::RemoveDropTarget(LONG hWnd) noexcept
{
    if (IDragDrop *dd = m_drag->dragDrop())
        dd->RemoveDropTarget(hWnd);
    return S_OK;
}

} // namespace arbor
