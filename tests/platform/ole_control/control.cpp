// The test control's object and the component library's entry points.
#include "tests/platform/ole_control/control.h"

#include "platform/com/classfactory.h"
#include "platform/com/registrar.h"
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>

using namespace platform::com;

namespace testcontrol {
namespace {

constexpr SIZEL kDefaultExtent { 2646, 794 }; // 100 x 30 pixels at 96 dpi

// Saved properties: u32 caption length in UTF-16 units (at most 1024), the caption, i32 value.
template <DWORD Misc>
class TestControl final
    : public ComObject<TestControl<Misc>, DualImpl<ITestControl, kControlDesc>, IOleObject,
          IOleInPlaceObject, IOleControl, IViewObject, IPersistStreamInit,
          ConnectionPointContainerImpl, ProvideClassInfoImpl<kControlClass>,
          ObjectSafetyImpl<TestControl<Misc>>> {
public:
    TestControl() noexcept { m_events = this->addPoint(DIID__ITestControlEvents); }
    ~TestControl() override { delete m_widget.data(); }

    // ITestControl
    HRESULT get_Caption(BSTR *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_caption.copy();
        return S_OK;
    }
    HRESULT put_Caption(BSTR newVal) noexcept override
    {
        m_caption = BStr(view(newVal));
        if (m_widget)
            m_widget->setText(QString::fromStdU16String(std::u16string(m_caption.view())));
        return S_OK;
    }
    HRESULT get_Value(LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_value;
        return S_OK;
    }
    HRESULT Bump(LONG by, LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        m_value += by;
        *pVal = m_value;
        Variant value = Variant::i4(m_value);
        m_events->fire(kChanged, &value, 1);
        return S_OK;
    }
    HRESULT get_hWnd(LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = platform::ui::windowHandle(m_widget.data());
        return S_OK;
    }
    HRESULT get_SeenUserMode(LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_seenUserMode;
        return S_OK;
    }
    HRESULT get_SiteAtInit(LONG *pVal) noexcept override
    {
        if (!pVal)
            return E_POINTER;
        *pVal = m_siteAtInit;
        return S_OK;
    }

    // IPersistStreamInit
    HRESULT GetClassID(CLSID *out) noexcept override { return GetUserClassID(out); }
    HRESULT IsDirty() noexcept override { return S_FALSE; }
    HRESULT InitNew() noexcept override
    {
        m_siteAtInit = m_clientSite ? 1 : 0;
        return S_OK;
    }
    HRESULT Load(IStream *stream) noexcept override
    {
        if (!stream)
            return E_POINTER;
        m_siteAtInit = m_clientSite ? 1 : 0;
        DWORD length = 0;
        ULONG got = 0;
        if (FAILED(stream->Read(&length, 4, &got)) || got != 4 || length > 1024)
            return E_FAIL;
        std::u16string caption(length, u'\0');
        LONG value = 0;
        if (FAILED(stream->Read(caption.data(), length * 2, &got)) || got != length * 2 ||
            FAILED(stream->Read(&value, 4, &got)) || got != 4)
            return E_FAIL;
        m_caption = BStr(caption);
        m_value = value;
        return S_OK;
    }
    HRESULT Save(IStream *stream, BOOL) noexcept override
    {
        if (!stream)
            return E_POINTER;
        const DWORD length = m_caption.length();
        ULONG put = 0;
        if (FAILED(stream->Write(&length, 4, &put)) ||
            FAILED(stream->Write(m_caption.get(), length * 2, &put)) ||
            FAILED(stream->Write(&m_value, 4, &put)))
            return STG_E_WRITEFAULT;
        return S_OK;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER *size) noexcept override
    {
        if (!size)
            return E_POINTER;
        size->QuadPart = 8 + 2 * m_caption.length();
        return S_OK;
    }

    // IOleObject
    HRESULT SetClientSite(IOleClientSite *site) noexcept override
    {
        m_clientSite = site;
        readAmbients();
        return S_OK;
    }
    HRESULT GetClientSite(IOleClientSite **out) noexcept override
    {
        return m_clientSite.CopyTo(out);
    }
    HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
    HRESULT Close(DWORD) noexcept override
    {
        (void)InPlaceDeactivate();
        return S_OK;
    }
    HRESULT SetMoniker(DWORD, IMoniker *) noexcept override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT InitFromData(IDataObject *, BOOL, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT GetClipboardData(DWORD, IDataObject **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DoVerb(
        LONG verb, LPMSG, IOleClientSite *active, LONG, HWND parent, LPCRECT pos) noexcept override
    {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: {
            const HRESULT hr = activate(active, parent, pos);
            if (FAILED(hr))
                return hr;
            m_widget->show();
            if (verb == OLEIVERB_UIACTIVATE) {
                (void)m_inPlaceSite->OnUIActivate();
                m_widget->setFocus();
            }
            return S_OK;
        }
        case OLEIVERB_HIDE:
            if (m_widget)
                m_widget->hide();
            return S_OK;
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
        }
    }
    HRESULT EnumVerbs(IEnumOLEVERB **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    HRESULT Update() noexcept override { return S_OK; }
    HRESULT IsUpToDate() noexcept override { return S_OK; }
    HRESULT GetUserClassID(CLSID *out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = Misc == kMiscStatus ? CLSID_TestControl : CLSID_TestControlLateSite;
        return S_OK;
    }
    HRESULT GetUserType(DWORD, LPOLESTR *out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SetExtent(DWORD aspect, SIZEL *size) noexcept override
    {
        if (!size)
            return E_POINTER;
        if (aspect != DVASPECT_CONTENT)
            return E_INVALIDARG;
        m_extent = *size;
        return S_OK;
    }
    HRESULT GetExtent(DWORD aspect, SIZEL *size) noexcept override
    {
        if (!size)
            return E_POINTER;
        if (aspect != DVASPECT_CONTENT)
            return E_INVALIDARG;
        *size = m_extent;
        return S_OK;
    }
    HRESULT Advise(IAdviseSink *, DWORD *) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT Unadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumAdvise(IEnumSTATDATA **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT GetMiscStatus(DWORD, DWORD *status) noexcept override
    {
        if (!status)
            return E_POINTER;
        *status = Misc;
        return S_OK;
    }
    HRESULT SetColorScheme(LOGPALETTE *) noexcept override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    HRESULT GetWindow(HWND *out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = platform::ui::windowHandle(m_widget.data());
        return *out ? S_OK : E_FAIL;
    }
    HRESULT ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT InPlaceDeactivate() noexcept override
    {
        if (!m_inPlaceSite)
            return S_OK;
        delete m_widget.data();
        const ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
        m_inPlaceSite = nullptr;
        (void)site->OnInPlaceDeactivate();
        return S_OK;
    }
    HRESULT UIDeactivate() noexcept override { return S_OK; }
    HRESULT SetObjectRects(LPCRECT pos, LPCRECT) noexcept override
    {
        if (!pos)
            return E_POINTER;
        m_rect = *pos;
        if (m_widget)
            m_widget->setGeometry(
                pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top);
        return S_OK;
    }
    HRESULT ReactivateAndUndo() noexcept override { return E_NOTIMPL; }

    // IOleControl
    HRESULT GetControlInfo(CONTROLINFO *) noexcept override { return E_NOTIMPL; }
    HRESULT OnMnemonic(MSG *) noexcept override { return E_NOTIMPL; }
    HRESULT OnAmbientPropertyChange(DISPID) noexcept override
    {
        readAmbients();
        return S_OK;
    }
    HRESULT FreezeEvents(BOOL) noexcept override { return S_OK; }

    // IViewObject: the caption in a frame, for containers that draw the control themselves.
    HRESULT Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC painter,
        const RECTL *bounds, const RECTL *, BOOL (*)(ULONG_PTR), ULONG_PTR) noexcept override
    {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!painter || !bounds)
            return E_INVALIDARG;
        const QRect r(
            bounds->left, bounds->top, bounds->right - bounds->left, bounds->bottom - bounds->top);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
        painter->drawText(
            r, Qt::AlignCenter, QString::fromStdU16String(std::u16string(m_caption.view())));
        return S_OK;
    }
    HRESULT GetColorSet(
        DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return S_FALSE;
    }
    HRESULT Freeze(DWORD, LONG, void *, DWORD *) noexcept override { return E_NOTIMPL; }
    HRESULT Unfreeze(DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT SetAdvise(DWORD, DWORD, IAdviseSink *) noexcept override { return E_NOTIMPL; }
    HRESULT GetAdvise(DWORD *, DWORD *, IAdviseSink **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }

private:
    static constexpr HRESULT DV_E_DVASPECT = hr(0x8004006B);

    HRESULT activate(IOleClientSite *active, HWND parentHint, LPCRECT pos) noexcept
    {
        if (m_inPlaceSite) {
            if (pos)
                (void)SetObjectRects(pos, pos);
            return S_OK;
        }
        // A verb without a site or rectangle uses the ones given before.
        ComPtr<IOleClientSite> site = active ? ComPtr<IOleClientSite>(active) : m_clientSite;
        ComPtr<IOleInPlaceSite> inPlace;
        if (!site || FAILED(site.As(inPlace)))
            return E_UNEXPECTED;
        if (inPlace->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        HRESULT hr = inPlace->OnInPlaceActivate();
        if (FAILED(hr))
            return hr;
        m_inPlaceSite = inPlace;
        HWND parent = 0;
        if (FAILED(inPlace->GetWindow(&parent)) || !parent)
            parent = parentHint;
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT posRect = m_rect, clipRect = m_rect;
        OLEINPLACEFRAMEINFO info { sizeof(OLEINPLACEFRAMEINFO), FALSE, 0, nullptr, 0 };
        if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &posRect, &clipRect, &info)))
            m_rect = posRect;
        if (pos)
            m_rect = *pos;
        QWidget *parentWidget = platform::ui::widgetFromHandle(parent);
        if (!parentWidget) {
            (void)InPlaceDeactivate();
            return E_FAIL;
        }
        m_widget = new QPushButton(
            QString::fromStdU16String(std::u16string(m_caption.view())), parentWidget);
        QObject::connect(m_widget.data(), &QPushButton::clicked,
            [this] { m_events->fire(kClicked, nullptr, 0); });
        (void)SetObjectRects(&m_rect, &m_rect);
        return S_OK;
    }

    void readAmbients() noexcept
    {
        m_seenUserMode = 1;
        ComPtr<IDispatch> ambient;
        if (!m_clientSite || FAILED(m_clientSite.As(ambient)))
            return;
        Variant result;
        if (SUCCEEDED(invokeByDispid(ambient.Get(), DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET,
                nullptr, 0, &result)) &&
            result.vt == VT_BOOL)
            m_seenUserMode = result.boolVal;
    }

    BStr m_caption = BStr(u"Test");
    LONG m_value = 0;
    LONG m_seenUserMode = 1;
    LONG m_siteAtInit = -1;
    SIZEL m_extent = kDefaultExtent;
    RECT m_rect { 0, 0, 100, 30 };
    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    QPointer<QPushButton> m_widget;
    ConnectionPoint *m_events = nullptr;
};

constexpr const char *kRegistryScript = R"(
HKCR
{
    Test.OleControl.1 = s 'TestControl Class'
    {
        CLSID = s '{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03}'
    }
    Test.OleControl = s 'TestControl Class'
    {
        CurVer = s 'Test.OleControl.1'
    }
    NoRemove CLSID
    {
        ForceRemove {5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03} = s 'TestControl Class'
        {
            ProgID = s 'Test.OleControl.1'
            VersionIndependentProgID = s 'Test.OleControl'
            Programmable
            Control
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            MiscStatus = s '0'
            {
                '1' = s '131473'
            }
            'TypeLib' = s '{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A04}'
            Version = s '1.0'
        }
        ForceRemove {5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A05} = s 'TestControl Late Site Class'
        {
            ProgID = s 'Test.OleControlLateSite.1'
            Control
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            MiscStatus = s '0'
            {
                '1' = s '401'
            }
        }
    }
    Test.OleControlLateSite.1 = s 'TestControl Late Site Class'
    {
        CLSID = s '{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A05}'
    }
}
)";

const ClassEntry kClasses[] = {
    { &CLSID_TestControl, &getClassFactory<TestControl<kMiscStatus>> },
    { &CLSID_TestControlLateSite, &getClassFactory<TestControl<kLateSiteMiscStatus>> },
};

std::string modulePath()
{
    return modulePathOf(reinterpret_cast<const void *>(&kClasses));
}

} // namespace
} // namespace testcontrol

using testcontrol::kControlLib;
BIDLARK_EMBED_TYPELIB(kControlLib);

BIDLARK_COM_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void **ppv)
{
    return getClassObject(
        testcontrol::kClasses, std::size(testcontrol::kClasses), clsid, riid, ppv);
}

BIDLARK_COM_EXPORT HRESULT DllCanUnloadNow()
{
    return moduleCanUnloadNow();
}

BIDLARK_COM_EXPORT HRESULT DllRegisterServer()
{
    Registrar registrar;
    registrar.addReplacement("MODULE", testcontrol::modulePath());
    const HRESULT hr = registrar.registerScript(testcontrol::kRegistryScript);
    if (FAILED(hr))
        return hr;
    return registerEmbeddedTypeLib(kControlLib, testcontrol::modulePath());
}

BIDLARK_COM_EXPORT HRESULT DllUnregisterServer()
{
    Registrar registrar;
    registrar.addReplacement("MODULE", testcontrol::modulePath());
    (void)registrar.unregisterScript(testcontrol::kRegistryScript);
    (void)unregisterEmbeddedTypeLib(kControlLib);
    return S_OK;
}
