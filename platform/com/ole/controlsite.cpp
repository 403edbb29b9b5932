#include "platform/com/ole/internal/controlsite.h"

#include "platform/com/ole/controlhost.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/ole/stdfont.h"

#include <QPalette>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace platform::com {
namespace {

struct AmbientName {
    std::u16string_view name;
    DISPID id;
};
constexpr AmbientName kAmbientNames[] = {
    { u"BackColor", DISPID_AMBIENT_BACKCOLOR },
    { u"DisplayName", DISPID_AMBIENT_DISPLAYNAME },
    { u"ForeColor", DISPID_AMBIENT_FORECOLOR },
    { u"LocaleID", DISPID_AMBIENT_LOCALEID },
    { u"MessageReflect", DISPID_AMBIENT_MESSAGEREFLECT },
    { u"UserMode", DISPID_AMBIENT_USERMODE },
    { u"UIDead", DISPID_AMBIENT_UIDEAD },
    { u"ShowGrabHandles", DISPID_AMBIENT_SHOWGRABHANDLES },
    { u"ShowHatching", DISPID_AMBIENT_SHOWHATCHING },
    { u"SupportsMnemonics", DISPID_AMBIENT_SUPPORTSMNEMONICS },
    { u"AutoClip", DISPID_AMBIENT_AUTOCLIP },
    { u"Appearance", DISPID_AMBIENT_APPEARANCE },
    { u"Font", DISPID_AMBIENT_FONT },
};

bool equalsNoCase(std::u16string_view a, const OLECHAR *b) noexcept
{
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (!b[i])
            return false;
        auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return b[i] == 0;
}

OLE_COLOR oleColor(const QColor &c) noexcept
{
    return RGB(
        static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}

} // namespace

HRESULT ControlSite::GetWindow(HWND *phwnd) noexcept
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_host ? platform::ui::windowHandle(m_host) : 0;
    return m_host ? S_OK : E_FAIL;
}

HRESULT ControlSite::GetMoniker(DWORD, DWORD, IMoniker **ppmk) noexcept
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlSite::GetContainer(IOleContainer **ppContainer) noexcept
{
    if (!ppContainer)
        return E_POINTER;
    *ppContainer = nullptr;
    return E_NOINTERFACE;
}

HRESULT ControlSite::OnShowWindow(BOOL fShow) noexcept
{
    if (m_host)
        m_host->m_shown = fShow != FALSE;
    return S_OK;
}

HRESULT ControlSite::CanInPlaceActivate() noexcept
{
    return m_host ? S_OK : S_FALSE;
}

HRESULT ControlSite::OnInPlaceActivate() noexcept
{
    if (!m_host)
        return E_UNEXPECTED;
    m_host->m_inPlaceActive = true;
    if (m_host->m_object)
        (void)m_host->m_object.As(m_host->m_inPlace);
    return S_OK;
}

HRESULT ControlSite::OnInPlaceDeactivate() noexcept
{
    if (m_host) {
        m_host->m_inPlaceActive = false;
        m_host->m_inPlace.Reset();
    }
    return S_OK;
}

HRESULT ControlSite::GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
    LPRECT lprcPosRect, LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept
{
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
        return E_POINTER;
    *ppFrame = nullptr;
    *ppDoc = nullptr;
    if (!m_host)
        return E_UNEXPECTED;
    *ppFrame = static_cast<IOleInPlaceFrame *>(this);
    AddRef();
    *lprcPosRect = m_host->controlRect();
    *lprcClipRect = *lprcPosRect;
    if (lpFrameInfo) {
        lpFrameInfo->fMDIApp = FALSE;
        lpFrameInfo->hwndFrame = platform::ui::windowHandle(m_host->window());
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT ControlSite::OnPosRectChange(LPCRECT lprcPosRect) noexcept
{
    if (!lprcPosRect)
        return E_POINTER;
    // The host's layout decides the rectangle: the control gets it back.
    if (m_host)
        m_host->placeControl();
    return S_OK;
}

HRESULT ControlSite::GetExtendedControl(IDispatch **ppDisp) noexcept
{
    if (!ppDisp)
        return E_POINTER;
    *ppDisp = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlSite::TransformCoords(POINTL *himetric, POINTF *container, DWORD flags) noexcept
{
    if (!himetric || !container)
        return E_POINTER;
    const int dx = screenDpiX(), dy = screenDpiY();
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(himetricToPixels(himetric->x, dx));
        container->y = static_cast<float>(himetricToPixels(himetric->y, dy));
    } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        himetric->x = pixelsToHimetric(static_cast<LONG>(std::lround(container->x)), dx);
        himetric->y = pixelsToHimetric(static_cast<LONG>(std::lround(container->y)), dy);
    } else {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT ControlSite::GetTypeInfoCount(UINT *pctinfo) noexcept
{
    if (!pctinfo)
        return E_INVALIDARG;
    *pctinfo = 0;
    return S_OK;
}

HRESULT ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo **ppTInfo) noexcept
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT ControlSite::GetIDsOfNames(
    REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids) noexcept
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && names[0])
            for (const AmbientName &a : kAmbientNames)
                if (equalsNoCase(a.name, names[0]))
                    ids[0] = a.id;
        if (ids[i] == DISPID_UNKNOWN)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT ControlSite::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
    VARIANT *result, EXCEPINFO *, UINT *) noexcept
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    Variant value;
    const QWidget *host = m_host;
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        value = Variant::boolean(!m_host || m_host->userMode());
        break;
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        value = Variant::boolean(false);
        break;
    case DISPID_AMBIENT_UIDEAD:
        value = Variant::boolean(host && !host->isEnabled());
        break;
    case DISPID_AMBIENT_AUTOCLIP:
        value = Variant::boolean(true);
        break;
    case DISPID_AMBIENT_APPEARANCE:
        value = Variant::i2(1); // three-dimensional
        break;
    case DISPID_AMBIENT_LOCALEID:
        value = Variant::i4(static_cast<LONG>(LOCALE_USER_DEFAULT));
        break;
    case DISPID_AMBIENT_BACKCOLOR:
    case DISPID_AMBIENT_FORECOLOR: {
        const QPalette pal = host ? host->palette() : QPalette();
        const QColor c =
            pal.color(id == DISPID_AMBIENT_BACKCOLOR ? QPalette::Window : QPalette::WindowText);
        value = Variant::i4(static_cast<LONG>(oleColor(c)));
        break;
    }
    case DISPID_AMBIENT_DISPLAYNAME:
        value = Variant::str(m_host ? m_host->displayName().toStdU16String() : std::u16string());
        break;
    case DISPID_AMBIENT_FONT: {
        // A new font object of the host's font; the control keeps or copies it as it likes.
        const QFont f = host ? host->font() : QFont();
        const std::u16string family = f.family().toStdU16String();
        FONTDESC desc {};
        desc.cbSizeofstruct = sizeof desc;
        desc.lpstrName = const_cast<LPOLESTR>(family.c_str());
        desc.cySize.int64 = static_cast<LONGLONG>(
            std::llround((f.pointSizeF() > 0 ? f.pointSizeF() : 8.0) * 10000));
        desc.sWeight = static_cast<SHORT>(std::clamp(static_cast<int>(f.weight()), 1, 1000));
        desc.fItalic = f.italic();
        desc.fUnderline = f.underline();
        desc.fStrikethrough = f.strikeOut();
        ComPtr<IFontDisp> font;
        if (FAILED(OleCreateFontIndirect(&desc, IID_PPV_ARGS(&font))))
            return E_OUTOFMEMORY;
        value = Variant::dispatch(font.Get());
        break;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result) {
        (void)VariantClear(result);
        *result = value.detach();
    }
    return S_OK;
}

} // namespace platform::com
