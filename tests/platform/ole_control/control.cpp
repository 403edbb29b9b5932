// The test control's object and the component library's entry points.
#include "tests/platform/ole_control/control.h"

#include "platform/com/classfactory.h"
#include "platform/com/ole/inplace.h"
#include "platform/com/registrar.h"
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

using namespace platform::com;

namespace testcontrol {
namespace {

State &state()
{
    static State s;
    return s;
}

void record(std::string call)
{
    state().calls.push_back(std::move(call));
}

// An out parameter's value, or E_POINTER without one.
template <class T, class V> HRESULT give(T *out, V value) noexcept
{
    if (!out)
        return E_POINTER;
    *out = value;
    return S_OK;
}

// A member this control does not offer: the out pointer cleared, `hr` returned.
template <class T> HRESULT none(T **out, HRESULT hr = E_NOTIMPL) noexcept
{
    if (out)
        *out = nullptr;
    return hr;
}

// Class information that tells less than the truth: the dispinterfaces it leads to read as
// vtable-only interfaces, and their names are cut short, as some real controls describe theirs.
class SkewedTypeInfo final : public ComObject<SkewedTypeInfo, ITypeInfo> {
public:
    explicit SkewedTypeInfo(ComPtr<ITypeInfo> inner) noexcept
        : m_inner(std::move(inner))
    {
    }
    HRESULT GetTypeAttr(TYPEATTR **out) noexcept override
    {
        const HRESULT hr = m_inner->GetTypeAttr(out);
        if (SUCCEEDED(hr) && state().switches.vtableSource && (*out)->typekind == TKIND_DISPATCH) {
            (*out)->typekind = TKIND_INTERFACE;
            (*out)->wTypeFlags &= static_cast<WORD>(~TYPEFLAG_FDUAL);
        }
        return hr;
    }
    HRESULT GetNames(MEMBERID id, BSTR *names, UINT max, UINT *count) noexcept override
    {
        const UINT kept = state().switches.namesKept;
        return m_inner->GetNames(id, names, kept ? std::min(kept, max) : max, count);
    }
    HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo **out) noexcept override
    {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = m_inner->GetRefTypeInfo(ref, &info);
        if (FAILED(hr))
            return hr;
        *out = SkewedTypeInfo::make(info).Detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT GetFuncDesc(UINT i, FUNCDESC **out) noexcept override
    {
        return m_inner->GetFuncDesc(i, out);
    }
    HRESULT GetRefTypeOfImplType(UINT i, HREFTYPE *out) noexcept override
    {
        return m_inner->GetRefTypeOfImplType(i, out);
    }
    HRESULT GetImplTypeFlags(UINT i, INT *out) noexcept override
    {
        return m_inner->GetImplTypeFlags(i, out);
    }
    // What a host reads of class information ends above; the rest is not offered.
    HRESULT GetTypeComp(ITypeComp **out) noexcept override { return none(out); }
    HRESULT GetVarDesc(UINT, VARDESC **out) noexcept override { return none(out); }
    HRESULT GetIDsOfNames(LPOLESTR *, UINT, MEMBERID *) noexcept override { return E_NOTIMPL; }
    HRESULT Invoke(
        void *, MEMBERID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *, UINT *) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT GetDocumentation(MEMBERID, BSTR *, BSTR *, DWORD *, BSTR *) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR *, BSTR *, WORD *) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void **out) noexcept override
    {
        return none(out);
    }
    HRESULT CreateInstance(IUnknown *, REFIID, void **out) noexcept override { return none(out); }
    HRESULT GetMops(MEMBERID, BSTR *out) noexcept override { return none(out); }
    HRESULT GetContainingTypeLib(ITypeLib **lib, UINT *) noexcept override { return none(lib); }
    void ReleaseTypeAttr(TYPEATTR *a) noexcept override { m_inner->ReleaseTypeAttr(a); }
    void ReleaseFuncDesc(FUNCDESC *f) noexcept override { m_inner->ReleaseFuncDesc(f); }
    void ReleaseVarDesc(VARDESC *) noexcept override { }

private:
    ComPtr<ITypeInfo> m_inner;
};

// Saved properties: u32 caption length in UTF-16 units (at most 1024), the caption, i32 value.
template <DWORD Misc>
class TestControl final
    : public ComObject<TestControl<Misc>, DualImpl<ITestControl, kControlDesc>, IOleObject,
          IOleInPlaceObject, IOleControl, IViewObject, IPersistStreamInit,
          ConnectionPointContainerImpl, IProvideClassInfo, ObjectSafetyImpl<TestControl<Misc>>> {
public:
    using Base = ComObject<TestControl<Misc>, DualImpl<ITestControl, kControlDesc>, IOleObject,
        IOleInPlaceObject, IOleControl, IViewObject, IPersistStreamInit,
        ConnectionPointContainerImpl, IProvideClassInfo, ObjectSafetyImpl<TestControl<Misc>>>;

    TestControl() noexcept
        : m_switches(state().switches)
    {
        m_events = this->addPoint(DIID__ITestControlEvents);
        ++state().liveObjects;
    }
    ~TestControl() override
    {
        delete m_widget.data();
        --state().liveObjects;
    }

    HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override
    {
        if (ppv &&
            ((riid == IProvideClassInfo::iid && m_switches.noClassInfo) ||
                (riid == IObjectSafety::iid && m_switches.unsafe))) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return Base::QueryInterface(riid, ppv);
    }

    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint **out) noexcept override
    {
        record("FindConnectionPoint");
        return ConnectionPointContainerImpl::FindConnectionPoint(riid, out);
    }

    // IProvideClassInfo
    HRESULT GetClassInfo(ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        ComPtr<ITypeInfo> info;
        const HRESULT hr = typeInfoOf(kControlClass, &info);
        if (FAILED(hr))
            return hr;
        *out = SkewedTypeInfo::make(info).Detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT Fire(LONG kind, VARIANT *pVal) noexcept override
    {
        if (pVal)
            VariantInit(pVal);
        // Arguments last-first, as a caller of Invoke lays them out.
        VARIANT_BOOL cancel = VARIANT_FALSE;
        Variant three[] = { Variant::boolean(true), Variant::str(u"seven"), Variant::i4(7) };
        // Named, in the reverse of the positional layout: first parameter first.
        Variant namedValues[] = { Variant::i4(7), Variant::str(u"seven"), Variant::boolean(true) };
        DISPID namedThree[] = { 0, 1, 2 };
        Variant one[] = { Variant::i4(1) };
        VARIANT byRef;
        byRef.vt = VT_BYREF | VT_BOOL;
        byRef.pboolVal = &cancel;
        DISPID id = kThree;
        DISPPARAMS params { three, nullptr, 3, 0 };
        switch (kind) {
        case FireThree:
            break;
        case FireThreeNamed:
            params = { namedValues, namedThree, 3, 3 };
            break;
        case FireOptionalLeftOut:
            id = kOptional;
            params = { one, nullptr, 1, 0 };
            break;
        case FireCancel:
            id = kCancel;
            params = { &byRef, nullptr, 1, 0 };
            break;
        case FireUndeclared:
            id = kUndeclared;
            params = { one, nullptr, 1, 0 };
            break;
        default:
            return E_INVALIDARG;
        }
        // Named arguments need a hand-made call: each sink through its IDispatch.
        ComPtr<IEnumConnections> sinks;
        if (SUCCEEDED(m_events->EnumConnections(&sinks))) {
            CONNECTDATA data {};
            ULONG got = 0;
            while (sinks->Next(1, &data, &got) == S_OK && got == 1) {
                ComPtr<IUnknown> unknown;
                unknown.Attach(data.pUnk);
                ComPtr<IDispatch> sink;
                if (SUCCEEDED(unknown.As(sink)))
                    (void)sink->Invoke(
                        id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
            }
        }
        if (pVal && kind == FireCancel) {
            pVal->vt = VT_BOOL;
            pVal->boolVal = cancel;
        }
        return S_OK;
    }

    // ITestControl
    HRESULT get_Caption(BSTR *pVal) noexcept override
    {
        return pVal ? give(pVal, m_caption.copy()) : E_POINTER;
    }
    HRESULT put_Caption(BSTR newVal) noexcept override
    {
        m_caption = BStr(view(newVal));
        if (m_widget)
            m_widget->setText(QString::fromStdU16String(std::u16string(m_caption.view())));
        return S_OK;
    }
    HRESULT get_Value(LONG *pVal) noexcept override { return give(pVal, m_value); }
    HRESULT get_hWnd(LONG *pVal) noexcept override
    {
        return give(pVal, platform::ui::windowHandle(m_widget.data()));
    }
    HRESULT get_SeenUserMode(LONG *pVal) noexcept override { return give(pVal, m_seenUserMode); }
    HRESULT get_SiteAtInit(LONG *pVal) noexcept override { return give(pVal, m_siteAtInit); }

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
    // Hosts here only load properties; saving is not offered.
    HRESULT Save(IStream *, BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT GetSizeMax(ULARGE_INTEGER *) noexcept override { return E_NOTIMPL; }

    // IOleObject
    HRESULT SetClientSite(IOleClientSite *site) noexcept override
    {
        record(site ? "SetClientSite(site)" : "SetClientSite(null)");
        m_clientSite = site;
        readAmbients();
        return S_OK;
    }
    HRESULT GetClientSite(IOleClientSite **out) noexcept override
    {
        return m_clientSite.CopyTo(out);
    }
    HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
    HRESULT Close(DWORD option) noexcept override
    {
        record("Close(" + std::to_string(option) + ")");
        (void)InPlaceDeactivate();
        return S_OK;
    }
    HRESULT SetMoniker(DWORD, IMoniker *) noexcept override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker **out) noexcept override { return none(out); }
    HRESULT InitFromData(IDataObject *, BOOL, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT GetClipboardData(DWORD, IDataObject **out) noexcept override { return none(out); }
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
            if (m_widget)
                m_widget->show();
            if (verb == OLEIVERB_UIACTIVATE) {
                (void)m_inPlaceSite->OnUIActivate();
                if (m_widget)
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
    HRESULT EnumVerbs(IEnumOLEVERB **out) noexcept override { return none(out, OLEOBJ_E_NOVERBS); }
    HRESULT Update() noexcept override { return S_OK; }
    HRESULT IsUpToDate() noexcept override { return S_OK; }
    HRESULT GetUserClassID(CLSID *out) noexcept override
    {
        return give(out, Misc == kMiscStatus ? CLSID_TestControl : CLSID_TestControlLateSite);
    }
    HRESULT GetUserType(DWORD, LPOLESTR *out) noexcept override { return none(out); }
    // The window follows the rectangles it is given; the extent it is told is not kept.
    HRESULT SetExtent(DWORD, SIZEL *) noexcept override { return S_OK; }
    HRESULT GetExtent(DWORD, SIZEL *) noexcept override { return E_NOTIMPL; }
    HRESULT Advise(IAdviseSink *, DWORD *) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT Unadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumAdvise(IEnumSTATDATA **out) noexcept override
    {
        return none(out, OLE_E_ADVISENOTSUPPORTED);
    }
    HRESULT GetMiscStatus(DWORD, DWORD *status) noexcept override
    {
        return give(status, m_switches.overrideMisc ? m_switches.misc : Misc);
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
        return none(out, S_FALSE);
    }
    HRESULT Freeze(DWORD, LONG, void *, DWORD *) noexcept override { return E_NOTIMPL; }
    HRESULT Unfreeze(DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT SetAdvise(DWORD, DWORD, IAdviseSink *) noexcept override { return E_NOTIMPL; }
    HRESULT GetAdvise(DWORD *, DWORD *, IAdviseSink **out) noexcept override { return none(out); }

private:
    static constexpr HRESULT DV_E_DVASPECT = hr(0x8004006B);

    HRESULT activate(IOleClientSite *active, HWND parentHint, LPCRECT pos) noexcept
    {
        QWidget *parentWidget = nullptr;
        const HRESULT hr = activateInPlace(
            active, m_clientSite.Get(), parentHint, pos, m_inPlaceSite, m_rect, &parentWidget);
        if (FAILED(hr))
            return hr;
        if (parentWidget && !m_switches.noWindow) {
            m_widget = new QPushButton(
                QString::fromStdU16String(std::u16string(m_caption.view())), parentWidget);
            QObject::connect(m_widget.data(), &QPushButton::clicked,
                [this] { m_events->fire(kClicked, nullptr, 0); });
        }
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
    RECT m_rect { 0, 0, 100, 30 };
    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    QPointer<QPushButton> m_widget;
    ConnectionPoint *m_events = nullptr;
    const Switches m_switches;
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
            Control
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            MiscStatus = s '0'
            {
                '1' = s '131473'
            }
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

BIDLARK_COM_EXPORT testcontrol::State *TestControlState()
{
    return &testcontrol::state();
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
