#include "arbor/hosting/ccontrolholder.h"

#include "arbor/hosting/internal/controlkey.h"
#include "platform/com/boundary.h"
#include "platform/com/classfactory.h"
#include "platform/com/creation.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/out_param.h"

namespace arbor {

using namespace platform::com;

namespace {

constexpr std::u16string_view kSource = u"Corvel.Arbor.ControlHolder.1";
constexpr LONG kDefaultSize = 164;

LONG sizeArg(const VARIANT &v) noexcept
{
    const VARIANT *value = &v;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    if (value->vt == VT_ERROR || value->vt == VT_EMPTY)
        return kDefaultSize;
    Variant n;
    return SUCCEEDED(VariantChangeType(&n, value, 0, VT_I4)) ? n.lVal : kDefaultSize;
}

// Whether a control can take the safety the tree's host demands of the tree itself.
bool acceptsSafety(IUnknown *object, DWORD required) noexcept
{
    if (required == 0)
        return true;
    ComPtr<IObjectSafety> safety;
    return SUCCEEDED(object->QueryInterface(IObjectSafety::iid, safety.voidOut())) &&
        safety->SetInterfaceSafetyOptions(IDispatch::iid, required, required) == S_OK;
}

} // namespace

CControlHolder::~CControlHolder()
{
    closeAll();
}

HRESULT CControlHolder::Add(BSTR progid, VARIANT Key, VARIANT nInitialWidth, VARIANT nInitalHeight,
    IControl **pVal) noexcept
{
    if (pVal)
        *pVal = nullptr;
    if (!m_tree || !m_tree->hostWindow())
        return reportError(IControlHolder::iid, kSource,
            u"The control holder has no tree window to host a control in", E_UNEXPECTED);
    return guarded({ IControlHolder::iid, kSource, u"Add" }, [&] {
        const Variant key = hosting::storedKey(Key);
        for (const auto &c : m_controls)
            if (hosting::keysEqual(c->key(), key))
                return reportError(IControlHolder::iid, kSource,
                    u"A hosted control with this key exists already", E_POINTER);
        CLSID clsid {};
        HRESULT hr = CLSIDFromProgID(progid ? progid : u"", &clsid);
        if (FAILED(hr))
            return hr;
        ComPtr<IDispatch> dispatch;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IDispatch::iid, dispatch.voidOut());
        if (FAILED(hr))
            return hr;
        // An untrusted script driving the tree must not reach, through it, a control that is not
        // safe for it.
        const DWORD required = m_tree->enabledSafety() & INTERFACESAFE_FOR_UNTRUSTED_CALLER;
        if (!acceptsSafety(dispatch.Get(), required))
            return reportError(IControlHolder::iid, kSource,
                u"The control is not safe for untrusted callers", E_ACCESSDENIED);
        ComPtr<IOleObject> object;
        ComPtr<IOleInPlaceObject> inPlace;
        if (FAILED(dispatch.As(object)) || FAILED(dispatch.As(inPlace)))
            return S_OK;
        ComPtr<CControlClient> client = CControlClient::make();
        if (!client)
            return S_OK;
        client->setOwner(this);
        if (FAILED(client->createSite(
                object.Get(), key, sizeArg(nInitialWidth), sizeArg(nInitalHeight)))) {
            client->close();
            return S_OK;
        }
        m_controls.push_back(client);
        if (pVal)
            *pVal = client.Detach();
        return S_OK;
    });
}

HRESULT CControlHolder::get_Count(LONG *pVal) noexcept
{
    return giveOut(pVal, static_cast<LONG>(m_controls.size()));
}

CControlClient *CControlHolder::find(const VARIANT &key) const noexcept
{
    if (const auto at = hosting::keyPosition(key, m_controls.size()))
        return m_controls[*at].Get();
    const Variant wanted = hosting::storedKey(key);
    for (const auto &c : m_controls)
        if (hosting::keysEqual(c->key(), wanted))
            return c.Get();
    return nullptr;
}

HRESULT CControlHolder::Remove(VARIANT Key) noexcept
{
    if (CControlClient *client = find(Key))
        removeClient(client);
    return S_OK;
}

HRESULT CControlHolder::get_item(VARIANT Key, IControl **pVal) noexcept
{
    if (!pVal)
        return E_INVALIDARG;
    *pVal = nullptr;
    if (CControlClient *client = find(Key))
        *pVal = ComPtr<IControl>(client).Detach();
    return S_OK;
}

void CControlHolder::removeClient(CControlClient *client) noexcept
{
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i].Get() == client) {
            closeAt(i);
            return;
        }
}

void CControlHolder::closeAt(std::size_t index) noexcept
{
    // Out of the list first: closing runs the control's code, which may call back into us.
    const ComPtr<CControlClient> client = std::move(m_controls[index]);
    m_controls.erase(m_controls.begin() + static_cast<std::ptrdiff_t>(index));
    client->close();
}

void CControlHolder::closeAll() noexcept
{
    while (!m_controls.empty())
        closeAt(m_controls.size() - 1);
}

HRESULT getControlHolderFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CControlHolder>(riid, ppv);
}

} // namespace arbor
