// The control as an OLE control: a container sites it, activates it in place (its window becomes a
// child of the container's window) and deactivates it again. The window and its items outlive
// activation: deactivating hands the window back as a hidden top-level window, so a host keeps
// its items across a deactivation.
#include "arbor/control/cxtreeview.h"

#include "platform/com/bstr.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/ole/inplace.h"
#include "platform/com/out_param.h"
#include "platform/registry/registry.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace arbor {

using namespace platform::com;

namespace {

constexpr HRESULT DV_E_DVASPECT = hr(0x8004006B);
// Forms of IOleObject::GetUserType.
constexpr DWORD kUserTypeFull = 1;
constexpr DWORD kUserTypeShort = 2;
constexpr DWORD kUserTypeAppName = 3;
// The one verb the registration lists ("Verb\\0" = "&Properties...,0,2"): the primary verb.
constexpr LONG kVerbProperties = OLEIVERB_PRIMARY;

template <class T> HRESULT noObject(T **out) noexcept
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

} // namespace

HRESULT CXTreeView::SetClientSite(IOleClientSite *site) noexcept
{
    m_clientSite = site;
    readAmbients();
    return S_OK;
}

HRESULT CXTreeView::GetClientSite(IOleClientSite **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = m_clientSite.Get();
    if (*out)
        (*out)->AddRef();
    return S_OK;
}

HRESULT CXTreeView::Close(DWORD) noexcept
{
    (void)InPlaceDeactivate();
    return S_OK;
}

HRESULT CXTreeView::GetMoniker(DWORD, DWORD, IMoniker **out) noexcept
{
    return noObject(out);
}

HRESULT CXTreeView::GetClipboardData(DWORD, IDataObject **out) noexcept
{
    return noObject(out);
}

HRESULT CXTreeView::EnumVerbs(IEnumOLEVERB **out) noexcept
{
    if (out)
        *out = nullptr;
    return OLEOBJ_E_NOVERBS;
}

HRESULT CXTreeView::EnumAdvise(IEnumSTATDATA **out) noexcept
{
    if (out)
        *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT CXTreeView::GetAdvise(DWORD *, DWORD *, IAdviseSink **out) noexcept
{
    return noObject(out);
}

HRESULT CXTreeView::GetControlInfo(CONTROLINFO *info) noexcept
{
    if (!info)
        return E_POINTER;
    // The control has no mnemonics: keys reach it only while it has the focus.
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT CXTreeView::GetUserClassID(CLSID *out) noexcept
{
    return giveOut(out, CLSID_Arbor);
}

HRESULT CXTreeView::GetUserType(DWORD form, LPOLESTR *out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    // The full name and the application name are the class's registered name; the short one is
    // its version-independent ProgID, the word a host's menus use.
    const char *subkey = nullptr;
    switch (form) {
    case kUserTypeFull:
    case kUserTypeAppName:
        subkey = "";
        break;
    case kUserTypeShort:
        subkey = "\\VersionIndependentProgID";
        break;
    default:
        return E_INVALIDARG;
    }
    return guardedMember(u"GetUserType", [&]() -> HRESULT {
        std::string text;
        const std::string path = "CLSID\\" + guidToString(CLSID_Arbor) + subkey;
        if (platform::registry::readString(HKEY_CLASSES_ROOT, path, "", text) != ERROR_SUCCESS ||
            text.empty())
            return REGDB_E_CLASSNOTREG;
        const std::u16string name = utf8ToUtf16(text);
        auto *copy = static_cast<LPOLESTR>(CoTaskMemAlloc((name.size() + 1) * sizeof(OLECHAR)));
        if (!copy)
            return E_OUTOFMEMORY;
        std::copy(name.begin(), name.end(), copy);
        copy[name.size()] = 0;
        *out = copy;
        return S_OK;
    });
}

HRESULT CXTreeView::SetExtent(DWORD aspect, SIZEL *size) noexcept
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_INVALIDARG;
    m_extent = *size;
    m_dirty = true;
    if (!m_inPlaceSite)
        frame().resize(
            himetricToPixels(size->cx, screenDpiX()), himetricToPixels(size->cy, screenDpiY()));
    return S_OK;
}

HRESULT CXTreeView::GetExtent(DWORD aspect, SIZEL *size) noexcept
{
    if (!size)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return E_INVALIDARG;
    *size = m_extent;
    return S_OK;
}

HRESULT CXTreeView::GetMiscStatus(DWORD, DWORD *status) noexcept
{
    return giveOut(status, kMiscStatus);
}

HRESULT CXTreeView::DoVerb(
    LONG verb, LPMSG, IOleClientSite *active, LONG, HWND parent, LPCRECT pos) noexcept
{
    switch (verb) {
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
        const HRESULT hr = activate(active, parent, pos);
        if (FAILED(hr))
            return hr;
        frame().show();
        if (verb == OLEIVERB_UIACTIVATE) {
            (void)m_inPlaceSite->OnUIActivate();
            view().setFocus();
        }
        return S_OK;
    }
    case OLEIVERB_HIDE:
        frame().hide();
        return S_OK;
    case kVerbProperties:
    case OLEIVERB_PROPERTIES:
        // Owned by the container's window when there is one, so the frame stays above it.
        if (!parent && frame().parentWidget())
            parent = platform::ui::windowHandle(frame().parentWidget());
        return showProperties(parent);
    default:
        return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT CXTreeView::activate(IOleClientSite *active, HWND parentHint, LPCRECT pos) noexcept
{
    QWidget *container = nullptr;
    const HRESULT hr = activateInPlace(
        active, m_clientSite.Get(), parentHint, pos, m_inPlaceSite, m_rect, &container);
    if (FAILED(hr))
        return hr;
    if (container)
        frame().setParent(container);
    (void)SetObjectRects(&m_rect, &m_rect);
    return S_OK;
}

HRESULT CXTreeView::InPlaceDeactivate() noexcept
{
    if (!m_inPlaceSite)
        return S_OK;
    // The window carries the items: it goes back to being a hidden window of its own rather than
    // dying with the container's.
    frame().hide();
    frame().setParent(nullptr);
    const ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    m_inPlaceSite = nullptr;
    (void)site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT CXTreeView::GetWindow(HWND *out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = m_inPlaceSite ? platform::ui::windowHandle(&frame()) : 0;
    return *out ? S_OK : E_FAIL;
}

HRESULT CXTreeView::SetObjectRects(LPCRECT pos, LPCRECT) noexcept
{
    if (!pos)
        return E_POINTER;
    m_rect = *pos;
    const LONG cx = pos->right - pos->left;
    const LONG cy = pos->bottom - pos->top;
    frame().setGeometry(pos->left, pos->top, cx, cy);
    m_extent = { pixelsToHimetric(cx, screenDpiX()), pixelsToHimetric(cy, screenDpiY()) };
    return S_OK;
}

HRESULT CXTreeView::OnAmbientPropertyChange(DISPID) noexcept
{
    readAmbients();
    return S_OK;
}

HRESULT CXTreeView::FreezeEvents(BOOL freeze) noexcept
{
    if (freeze)
        ++m_frozen;
    else if (m_frozen > 0)
        --m_frozen;
    return S_OK;
}

void CXTreeView::readAmbients() noexcept
{
    ComPtr<IDispatch> ambient;
    if (!m_clientSite || FAILED(m_clientSite.As(ambient)))
        return;
    Variant result;
    if (SUCCEEDED(invokeByDispid(
            ambient.Get(), DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET, nullptr, 0, &result)) &&
        result.vt == VT_BOOL) {
        const bool design = result.boolVal == VARIANT_FALSE;
        if (design)
            loadDesignLogo();
        view().setDesignMode(design);
    }
}

void CXTreeView::loadDesignLogo() noexcept
{
    // Read from the module's resources the first time a container shows the control in design.
    if (m_logo.GetPicture() || !m_logo.loadResource("arbor", "241", "LOGO"))
        return;
    QPixmap pixmap;
    if (SUCCEEDED(pictureToPixmap(m_logo.GetPicture(), &pixmap)))
        view().setDesignLogo(pixmap.toImage());
}

HRESULT CXTreeView::Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC painter,
    const RECTL *bounds, const RECTL *, BOOL (*)(ULONG_PTR), ULONG_PTR) noexcept
{
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!painter || !bounds)
        return E_INVALIDARG;
    const QRect target(
        bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top);
    if (target.isEmpty())
        return E_INVALIDARG;
    return guardedMember(u"Draw", [&]() -> HRESULT {
        if (frame().size() != target.size() && !m_inPlaceSite)
            frame().resize(target.size());
        painter->drawPixmap(target, frame().grab());
        return S_OK;
    });
}

HRESULT CXTreeView::GetColorSet(
    DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **out) noexcept
{
    if (out)
        *out = nullptr;
    return S_FALSE;
}

} // namespace arbor
