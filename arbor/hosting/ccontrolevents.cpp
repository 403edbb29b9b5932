#include "arbor/hosting/ccontrolevents.h"

#include "arbor/hosting/ccontrolclient.h"
#include "arbor/hosting/ccontrolholder.h"
#include "arbor/hosting/ceventinfo.h"
#include "arbor/hosting/internal/controlkey.h"
#include "platform/com/bstr.h"

#include <QLoggingCategory>

namespace arbor {

using namespace platform::com;

namespace {

Q_LOGGING_CATEGORY(lcEvents, "arbor.hosting", QtWarningMsg)

// The type information of the class's default source interface; null when there is none.
ComPtr<ITypeInfo> defaultSource(IUnknown *control) noexcept
{
    ComPtr<IProvideClassInfo> provide;
    ComPtr<ITypeInfo> classInfo;
    if (FAILED(control->QueryInterface(IProvideClassInfo::iid, provide.voidOut())) ||
        FAILED(provide->GetClassInfo(&classInfo)) || !classInfo)
        return {};
    TYPEATTR *attr = nullptr;
    if (FAILED(classInfo->GetTypeAttr(&attr)) || !attr)
        return {};
    const WORD count = attr->cImplTypes;
    classInfo->ReleaseTypeAttr(attr);
    constexpr INT kWanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> source;
        if (SUCCEEDED(classInfo->GetImplTypeFlags(i, &flags)) && (flags & kWanted) == kWanted &&
            SUCCEEDED(classInfo->GetRefTypeOfImplType(i, &ref)) &&
            SUCCEEDED(classInfo->GetRefTypeInfo(ref, &source)))
            return source;
    }
    return {};
}

} // namespace

bool CControlEventsInfo::build(IUnknown *control) noexcept
{
    m_events.clear();
    m_typeInfo.Reset();
    if (!control)
        return false;
    ComPtr<ITypeInfo> source = defaultSource(control);
    TYPEATTR *attr = nullptr;
    if (!source || FAILED(source->GetTypeAttr(&attr)) || !attr)
        return false;
    // The sink can only answer through IDispatch::Invoke; a vtable-only interface would have the
    // control call slots the sink does not have.
    const bool callable = attr->typekind == TKIND_DISPATCH ||
        (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FDUAL));
    m_iid = attr->guid;
    const WORD funcs = attr->cFuncs;
    source->ReleaseTypeAttr(attr);
    if (!callable) {
        qCDebug(lcEvents) << "source interface is not dispatchable; events not forwarded";
        return false;
    }
    m_typeInfo = source;
    for (UINT i = 0; i < funcs; ++i) {
        FUNCDESC *func = nullptr;
        if (FAILED(source->GetFuncDesc(i, &func)) || !func)
            continue;
        try {
            auto event = std::make_unique<CControlEventInfo>();
            event->id = func->memid;
            event->optionalCount = func->cParamsOpt;
            event->table = this;
            const UINT wanted = static_cast<UINT>(std::max<SHORT>(func->cParams, 0)) + 1;
            std::vector<BSTR> names(wanted, nullptr);
            UINT got = 0;
            if (SUCCEEDED(source->GetNames(func->memid, names.data(), wanted, &got))) {
                got = std::min(got, wanted);
                if (got > 0)
                    event->name = std::u16string(view(names[0]));
                // Every declared parameter gets an entry, so arguments still line up with
                // parameters when the type information names fewer of them.
                for (UINT n = 1; n < wanted; ++n)
                    event->params.push_back(
                        { n < got ? std::u16string(view(names[n])) : std::u16string() });
            }
            for (BSTR name : names)
                SysFreeString(name);
            const DISPID id = event->id;
            m_events[id] = std::move(event);
        } catch (...) {
            // Out of memory: this event is left out.
        }
        source->ReleaseFuncDesc(func);
    }
    return true;
}

const CControlEventInfo *CControlEventsInfo::find(DISPID id) const noexcept
{
    const auto it = m_events.find(id);
    return it == m_events.end() ? nullptr : it->second.get();
}

CControlEvents::~CControlEvents()
{
    disconnect();
}

bool CControlEvents::connect(IUnknown *control) noexcept
{
    if (!build(control))
        return false;
    m_sink = CControlEvents_IDispatch::make(this, m_iid);
    if (!m_sink || FAILED(m_link.connect(control, m_iid, static_cast<IDispatch *>(m_sink.Get())))) {
        disconnect();
        return false;
    }
    return true;
}

void CControlEvents::disconnect() noexcept
{
    if (m_sink)
        m_sink->detach();
    m_link.reset();
    m_sink.Reset();
    m_events.clear();
    m_typeInfo.Reset();
}

ComPtr<CEventInfo> CControlEvents::describe(
    const CControlEventInfo &event, std::u16string_view owner, const DISPPARAMS *args) noexcept
{
    try {
        std::vector<ComPtr<CEventParamInfo>> params;
        const std::size_t count = event.params.size();
        if (args && args->cArgs == count && args->cNamedArgs <= args->cArgs &&
            (args->cArgs == 0 || args->rgvarg)) {
            // rgvarg holds the named arguments first (rgdispidNamedArgs gives each one's
            // parameter), then the positional ones last-first.
            const std::size_t named = args->cNamedArgs;
            const std::size_t positional = count - named;
            std::vector<const VARIANT *> byParam(count, nullptr);
            for (std::size_t i = 0; i < positional; ++i)
                byParam[i] = &args->rgvarg[count - 1 - i];
            bool mapped = named == 0 || args->rgdispidNamedArgs;
            for (std::size_t j = 0; mapped && j < named; ++j) {
                const DISPID p = args->rgdispidNamedArgs[j];
                if (p < 0 || static_cast<std::size_t>(p) >= count || byParam[std::size_t(p)])
                    mapped = false;
                else
                    byParam[std::size_t(p)] = &args->rgvarg[j];
            }
            for (std::size_t i = 0; mapped && i < count; ++i) {
                auto param = CEventParamInfo::make(event.params[i].name, *byParam[i]);
                if (!param)
                    return {};
                params.push_back(std::move(param));
            }
            if (!mapped)
                params.clear();
        }
        auto collection = CEventsParamInfo::make(std::move(params));
        if (!collection)
            return {};
        return CEventInfo::make(event.name, event.id, owner, std::move(collection));
    } catch (...) {
        return {};
    }
}

HRESULT CControlEvents_IDispatch::QueryInterface(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    if (riid == IUnknown::iid || riid == IDispatch::iid || riid == m_source) {
        *ppv = static_cast<IDispatch *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT CControlEvents_IDispatch::GetTypeInfoCount(UINT *count) noexcept
{
    if (count)
        *count = 0;
    return S_OK;
}

HRESULT CControlEvents_IDispatch::GetTypeInfo(UINT, LCID, ITypeInfo **out) noexcept
{
    if (out)
        *out = nullptr;
    return S_OK;
}

HRESULT CControlEvents_IDispatch::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) noexcept
{
    return S_OK;
}

HRESULT CControlEvents_IDispatch::Invoke(
    DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *, UINT *) noexcept
{
    if (!m_owner)
        return S_OK;
    const CControlEventInfo *event = m_owner->find(id);
    const ComPtr<CControlClient> client(m_owner->client());
    CControlHolder *holder = client ? client->owner() : nullptr;
    XHostingTree *tree = holder ? holder->tree() : nullptr;
    if (!event || !tree)
        return S_OK;
    const BStr owner = hosting::keyText(client->key());
    const ComPtr<CEventInfo> info = CControlEvents::describe(*event, owner.view(), params);
    if (!info)
        return S_OK;
    // The handler may remove the item and so close the control, or release the tree: the
    // client and the description are ours until we return, and nothing else is touched after.
    const ComPtr<CControlEvents_IDispatch> self(this);
    client->beginEvent();
    tree->fireControlEvent(info.Get());
    info->freeze();
    client->endEvent();
    return S_OK;
}

} // namespace arbor
