// Type information objects over the run-time form, the process-wide table of descriptions and
// embedded libraries, LoadTypeLib and type-library registration.
#include "platform/com/typelib.h"

#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/com/internal/regutil.h"
#include "platform/com/internal/typedata.h"
#include "platform/com/server_module.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <unordered_map>

namespace platform::com::detail {

namespace {

constexpr std::size_t kMaxTypeLibFile = 16u << 20;
constexpr WORD kPointerSize = sizeof(void *);
constexpr WORD kDispatchSlots = 7; // IUnknown and IDispatch members before a dual's own

// ---- run-time form from descriptions ----

ParamData paramFrom(const MemberDesc &m, std::size_t i)
{
    const ParamDesc &pd = m.params[i];
    const VARTYPE sig = m.signature[i];
    ParamData p;
    p.name = pd.name ? pd.name : "";
    if (pd.vt != VT_EMPTY)
        p.vt = (sig & VT_BYREF) ? static_cast<VARTYPE>(VT_BYREF | (pd.vt & ~VT_BYREF)) : pd.vt;
    else
        p.vt = sig;
    USHORT flags = pd.flags;
    if (!(flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL))) {
        if (!(p.vt & VT_BYREF))
            flags |= PARAMFLAG_FIN;
        else if (m.kind == INVOKE_PROPERTYGET && i + 1 == m.paramCount)
            flags |= PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        else
            flags |= PARAMFLAG_FIN | PARAMFLAG_FOUT;
    }
    p.flags = flags;
    p.iid = m.signatureIids[i];
    p.defaultKind = pd.def.kind;
    p.defaultInteger = pd.def.integer;
    p.defaultReal = pd.def.real;
    if (pd.def.text)
        p.defaultText = pd.def.text;
    return p;
}

} // namespace

TypeData typeFromDescription(const InterfaceDesc &desc)
{
    TypeData t;
    t.kind = TKIND_DISPATCH;
    t.guid = desc.iid;
    t.name = desc.name ? desc.name : "";
    t.doc = desc.doc ? desc.doc : "";
    t.flags = desc.flags;
    t.impls.push_back({ kHrefIDispatch, 0 });
    for (const MemberDesc &m : desc.members) {
        FuncData f;
        f.id = m.dispid;
        f.kind = m.kind;
        f.name = m.name ? m.name : "";
        f.doc = m.doc ? m.doc : "";
        f.flags = m.flags;
        f.thunk = m.thunk;
        for (std::size_t i = 0; i < m.paramCount; ++i)
            f.params.push_back(paramFrom(m, i));
        t.funcs.push_back(std::move(f));
    }
    t.buildIndex();
    return t;
}

std::shared_ptr<LibData> libFromDescription(const TypeLibDesc &desc)
{
    auto lib = std::make_shared<LibData>();
    lib->libid = desc.libid;
    lib->major = desc.major;
    lib->minor = desc.minor;
    lib->lcid = desc.lcid;
    lib->name = desc.name ? desc.name : "";
    lib->doc = desc.doc ? desc.doc : "";
    for (const InterfaceDesc *i : desc.interfaces)
        lib->types.push_back(typeFromDescription(*i));
    for (const CoClassDesc *c : desc.coclasses) {
        TypeData t;
        t.kind = TKIND_COCLASS;
        t.guid = c->clsid;
        t.name = c->name ? c->name : "";
        t.doc = c->doc ? c->doc : "";
        t.flags = c->flags;
        for (const ImplDesc &impl : c->interfaces)
            for (std::size_t k = 0; k < desc.interfaces.size(); ++k)
                if (desc.interfaces[k] == impl.iface)
                    t.impls.push_back({ static_cast<HREFTYPE>(k), impl.flags });
        lib->types.push_back(std::move(t));
    }
    for (const EnumDesc *e : desc.enums) {
        TypeData t;
        t.kind = TKIND_ENUM;
        t.name = e->name ? e->name : "";
        t.doc = e->doc ? e->doc : "";
        for (const EnumMember &m : e->members)
            t.constants.emplace_back(m.name ? m.name : "", m.value);
        lib->types.push_back(std::move(t));
    }
    return lib;
}

namespace {

// ---- process-wide table of descriptions and embedded libraries ----

struct Known {
    std::shared_ptr<LibData> lib;
    UINT index = 0;
};

struct DescriptionTable {
    std::mutex mutex;
    std::unordered_map<const void *, Known> types; // InterfaceDesc* or CoClassDesc*
    std::unordered_map<const TypeLibDesc *, std::shared_ptr<LibData>> libs;
    std::map<std::string, std::shared_ptr<LibData>> modules; // real path -> carried library
};

DescriptionTable &table()
{
    static DescriptionTable t;
    return t;
}

// Caller holds the table's mutex.
std::shared_ptr<LibData> libForLocked(const TypeLibDesc &desc)
{
    auto &t = table();
    auto it = t.libs.find(&desc);
    if (it != t.libs.end())
        return it->second;
    auto lib = libFromDescription(desc);
    t.libs.emplace(&desc, lib);
    for (std::size_t i = 0; i < desc.interfaces.size(); ++i)
        t.types.emplace(desc.interfaces[i], Known { lib, static_cast<UINT>(i) });
    for (std::size_t i = 0; i < desc.coclasses.size(); ++i)
        t.types.emplace(
            desc.coclasses[i], Known { lib, static_cast<UINT>(desc.interfaces.size() + i) });
    return lib;
}

Known knownInterface(const InterfaceDesc &desc)
{
    auto &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.types.find(&desc);
    if (it != t.types.end())
        return it->second;
    // Not announced as part of a library: a library of its own.
    auto lib = std::make_shared<LibData>();
    lib->name = desc.name ? desc.name : "";
    lib->types.push_back(typeFromDescription(desc));
    Known k { lib, 0 };
    t.types.emplace(&desc, k);
    return k;
}

const std::shared_ptr<LibData> &stdoleLib()
{
    static const std::shared_ptr<LibData> lib = [] {
        auto l = std::make_shared<LibData>();
        l->libid = guid("{00020430-0000-0000-C000-000000000046}");
        l->major = 2;
        l->name = "stdole";
        TypeData unknown;
        unknown.kind = TKIND_INTERFACE;
        unknown.guid = IUnknown::iid;
        unknown.name = "IUnknown";
        TypeData dispatch;
        dispatch.kind = TKIND_INTERFACE;
        dispatch.guid = IDispatch::iid;
        dispatch.name = "IDispatch";
        dispatch.impls.push_back({ 0, 0 });
        l->types.push_back(std::move(unknown));
        l->types.push_back(std::move(dispatch));
        return l;
    }();
    return lib;
}

// ---- COM objects ----

HRESULT giveString(const std::string &text, BSTR *out) noexcept
{
    if (!out)
        return S_OK;
    return guarded([&] {
        *out = BStr::fromUtf8(text).detach();
        return S_OK;
    });
}

struct FuncBlock {
    FUNCDESC desc;
    ELEMDESC params[kMaxParams];
    TYPEDESC pointees[kMaxParams + 1];
    PARAMDESCEX defaults[kMaxParams];
};
static_assert(std::is_standard_layout_v<FuncBlock>);

struct VarBlock {
    VARDESC desc;
    VARIANT value;
};
static_assert(std::is_standard_layout_v<VarBlock>);

void describeType(VARTYPE vt, TYPEDESC &td, TYPEDESC &pointee)
{
    if (vt & VT_BYREF) {
        td.vt = VT_PTR;
        pointee.vt = vt & ~VT_BYREF;
        td.lptdesc = &pointee;
    } else {
        td.vt = vt;
    }
}

class TypeInfoObject final : public ComObject<TypeInfoObject, ITypeInfo> {
public:
    TypeInfoObject(std::shared_ptr<const LibData> lib, UINT index)
        : m_lib(std::move(lib))
        , m_index(index)
    {
    }

    HRESULT GetTypeAttr(TYPEATTR **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        auto *attr = static_cast<TYPEATTR *>(CoTaskMemAlloc(sizeof(TYPEATTR)));
        if (!attr)
            return E_OUTOFMEMORY;
        *attr = TYPEATTR {};
        const TypeData &t = type();
        attr->guid = t.guid;
        attr->lcid = m_lib->lcid;
        attr->memidConstructor = MEMBERID_NIL;
        attr->memidDestructor = MEMBERID_NIL;
        attr->typekind = t.kind;
        attr->cFuncs = static_cast<WORD>(t.funcs.size());
        attr->cVars = static_cast<WORD>(t.constants.size());
        attr->cImplTypes = static_cast<WORD>(t.impls.size());
        const bool dual = t.flags & TYPEFLAG_FDUAL;
        if (t.kind == TKIND_DISPATCH)
            attr->cbSizeVft =
                static_cast<WORD>((kDispatchSlots + (dual ? t.funcs.size() : 0)) * kPointerSize);
        attr->cbSizeInstance = kPointerSize;
        attr->cbAlignment = kPointerSize;
        attr->wTypeFlags = t.flags;
        attr->wMajorVerNum = m_lib->major;
        attr->wMinorVerNum = m_lib->minor;
        *out = attr;
        return S_OK;
    }
    HRESULT GetTypeComp(ITypeComp **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetFuncDesc(UINT index, FUNCDESC **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        const TypeData &t = type();
        if (index >= t.funcs.size())
            return TYPE_E_ELEMENTNOTFOUND;
        const FuncData &f = t.funcs[index];
        auto block = std::make_unique<FuncBlock>();
        std::memset(block.get(), 0, sizeof(FuncBlock));
        FUNCDESC &d = block->desc;
        d.memid = f.id;
        d.funckind = FUNC_DISPATCH;
        d.invkind = f.kind;
        d.callconv = CC_STDCALL;
        d.wFuncFlags = f.flags;
        const std::size_t visible = f.visibleCount();
        d.cParams = static_cast<SHORT>(visible);
        if (t.flags & TYPEFLAG_FDUAL)
            d.oVft = static_cast<SHORT>((kDispatchSlots + index) * kPointerSize);
        d.lprgelemdescParam = visible ? block->params : nullptr;
        for (std::size_t i = 0; i < visible; ++i) {
            const ParamData &p = f.params[i];
            describeType(p.vt, block->params[i].tdesc, block->pointees[i]);
            block->params[i].paramdesc.wParamFlags = p.flags;
            if (p.flags & PARAMFLAG_FOPT)
                ++d.cParamsOpt;
            if ((p.flags & PARAMFLAG_FHASDEFAULT) && p.defaultKind != DefaultValue::None) {
                PARAMDESCEX &ex = block->defaults[i];
                ex.cBytes = sizeof(PARAMDESCEX);
                VariantInit(&ex.varDefaultValue);
                if (p.defaultKind == DefaultValue::Integer) {
                    ex.varDefaultValue.vt = VT_I4;
                    ex.varDefaultValue.lVal = static_cast<LONG>(p.defaultInteger);
                } else if (p.defaultKind == DefaultValue::Real) {
                    ex.varDefaultValue.vt = VT_R8;
                    ex.varDefaultValue.dblVal = p.defaultReal;
                } else {
                    ex.varDefaultValue.vt = VT_BSTR;
                    ex.varDefaultValue.bstrVal = SysAllocStringLen(
                        p.defaultText.data(), static_cast<UINT>(p.defaultText.size()));
                }
                block->params[i].paramdesc.pparamdescex = &ex;
            }
        }
        if (visible < f.params.size())
            describeType(static_cast<VARTYPE>(f.params.back().vt & ~VT_BYREF), d.elemdescFunc.tdesc,
                block->pointees[kMaxParams]);
        else
            d.elemdescFunc.tdesc.vt = VT_VOID;
        *out = &block.release()->desc;
        return S_OK;
    }
    HRESULT GetVarDesc(UINT index, VARDESC **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        const TypeData &t = type();
        if (index >= t.constants.size())
            return TYPE_E_ELEMENTNOTFOUND;
        auto block = std::make_unique<VarBlock>();
        std::memset(block.get(), 0, sizeof(VarBlock));
        block->desc.memid = static_cast<MEMBERID>(index);
        block->desc.varkind = VAR_CONST;
        block->desc.elemdescVar.tdesc.vt = VT_I4;
        block->value.vt = VT_I4;
        block->value.lVal = t.constants[index].second;
        block->desc.lpvarValue = &block->value;
        *out = &block.release()->desc;
        return S_OK;
    }
    HRESULT GetNames(MEMBERID memid, BSTR *names, UINT maxNames, UINT *count) noexcept override
    {
        if (!names || !count)
            return E_INVALIDARG;
        *count = 0;
        const TypeData &t = type();
        if (t.kind == TKIND_ENUM) {
            if (memid < 0 || static_cast<std::size_t>(memid) >= t.constants.size())
                return TYPE_E_ELEMENTNOTFOUND;
            if (maxNames == 0)
                return S_OK;
            if (FAILED(giveString(t.constants[static_cast<std::size_t>(memid)].first, &names[0])))
                return E_OUTOFMEMORY;
            *count = 1;
            return S_OK;
        }
        const auto it = t.byId.find(memid);
        if (it == t.byId.end())
            return TYPE_E_ELEMENTNOTFOUND;
        // Prefer the entry with the most parameters (a put names its value, a get does not).
        const FuncData *best = nullptr;
        for (int i : it->second) {
            const FuncData &f = t.funcs[static_cast<std::size_t>(i)];
            if (!best || f.kind == INVOKE_FUNC ||
                (best->kind != INVOKE_FUNC && f.kind == INVOKE_PROPERTYGET))
                best = &f;
        }
        if (maxNames == 0)
            return S_OK;
        if (FAILED(giveString(best->name, &names[0])))
            return E_OUTOFMEMORY;
        UINT n = 1;
        for (std::size_t p = 0; p < best->visibleCount() && n < maxNames; ++p, ++n)
            if (FAILED(giveString(best->params[p].name, &names[n])))
                return E_OUTOFMEMORY;
        *count = n;
        return S_OK;
    }
    HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE *out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        const TypeData &t = type();
        if (index >= t.impls.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *out = t.impls[index].href;
        return S_OK;
    }
    HRESULT GetImplTypeFlags(UINT index, INT *out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        const TypeData &t = type();
        if (index >= t.impls.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *out = t.kind == TKIND_COCLASS ? t.impls[index].flags : 0;
        return S_OK;
    }
    HRESULT GetIDsOfNames(LPOLESTR *names, UINT count, MEMBERID *ids) noexcept override
    {
        return getIdsOfNames(type(), names, count, ids);
    }
    HRESULT Invoke(void *instance, MEMBERID id, WORD flags, DISPPARAMS *params, VARIANT *result,
        EXCEPINFO *excep, UINT *argErr) noexcept override
    {
        if (!instance)
            return E_INVALIDARG;
        return invoke(type(), instance, static_cast<IUnknown *>(instance), id, flags, params,
            result, excep, argErr);
    }
    HRESULT GetDocumentation(
        MEMBERID memid, BSTR *name, BSTR *doc, DWORD *helpContext, BSTR *helpFile) noexcept override
    {
        const TypeData &t = type();
        const std::string *n = &t.name, *d = &t.doc;
        static const std::string none;
        if (memid != MEMBERID_NIL && t.kind == TKIND_ENUM) {
            if (memid < 0 || static_cast<std::size_t>(memid) >= t.constants.size())
                return TYPE_E_ELEMENTNOTFOUND;
            n = &t.constants[static_cast<std::size_t>(memid)].first;
            d = &none;
        } else if (memid != MEMBERID_NIL) {
            const auto it = t.byId.find(memid);
            if (it == t.byId.end())
                return TYPE_E_ELEMENTNOTFOUND;
            const FuncData &f = t.funcs[static_cast<std::size_t>(it->second.front())];
            n = &f.name;
            d = &f.doc;
        }
        if (helpContext)
            *helpContext = 0;
        if (FAILED(giveString(*n, name)) || FAILED(giveString(*d, doc)) ||
            FAILED(giveString(m_lib->helpFile, helpFile)))
            return E_OUTOFMEMORY;
        return S_OK;
    }
    HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR *, BSTR *, WORD *) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT GetRefTypeInfo(HREFTYPE href, ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        if (href == kHrefIUnknown || href == kHrefIDispatch)
            return makeTypeInfo(stdoleLib(), href == kHrefIUnknown ? 0 : 1, out);
        if (href >= m_lib->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        return makeTypeInfo(m_lib, href, out);
    }
    HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        if (type().kind != TKIND_COCLASS)
            return E_NOTIMPL;
        return CoCreateInstance(type().guid, outer, CLSCTX_INPROC_SERVER, riid, out);
    }
    HRESULT GetMops(MEMBERID, BSTR *out) noexcept override
    {
        if (out)
            *out = nullptr;
        return S_OK;
    }
    HRESULT GetContainingTypeLib(ITypeLib **lib, UINT *index) noexcept override
    {
        if (index)
            *index = m_index;
        if (!lib)
            return S_OK;
        return makeTypeLib(m_lib, lib);
    }
    void ReleaseTypeAttr(TYPEATTR *attr) noexcept override { CoTaskMemFree(attr); }
    void ReleaseFuncDesc(FUNCDESC *desc) noexcept override
    {
        if (!desc)
            return;
        std::unique_ptr<FuncBlock> block(reinterpret_cast<FuncBlock *>(desc));
        for (PARAMDESCEX &ex : block->defaults)
            (void)VariantClear(&ex.varDefaultValue);
    }
    void ReleaseVarDesc(VARDESC *desc) noexcept override
    {
        std::unique_ptr<VarBlock> block(reinterpret_cast<VarBlock *>(desc));
    }

private:
    const TypeData &type() const { return m_lib->types[m_index]; }
    std::shared_ptr<const LibData> m_lib;
    UINT m_index;
};

class TypeLibObject final : public ComObject<TypeLibObject, ITypeLib> {
public:
    explicit TypeLibObject(std::shared_ptr<const LibData> lib)
        : m_lib(std::move(lib))
    {
    }

    UINT GetTypeInfoCount() noexcept override { return static_cast<UINT>(m_lib->types.size()); }
    HRESULT GetTypeInfo(UINT index, ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        if (index >= m_lib->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        return makeTypeInfo(m_lib, index, out);
    }
    HRESULT GetTypeInfoType(UINT index, TYPEKIND *out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        if (index >= m_lib->types.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *out = m_lib->types[index].kind;
        return S_OK;
    }
    HRESULT GetTypeInfoOfGuid(REFGUID g, ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        for (std::size_t i = 0; i < m_lib->types.size(); ++i)
            if (m_lib->types[i].guid == g)
                return makeTypeInfo(m_lib, static_cast<UINT>(i), out);
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT GetLibAttr(TLIBATTR **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        auto *attr = static_cast<TLIBATTR *>(CoTaskMemAlloc(sizeof(TLIBATTR)));
        if (!attr)
            return E_OUTOFMEMORY;
        attr->guid = m_lib->libid;
        attr->lcid = m_lib->lcid;
        attr->syskind = m_lib->syskind;
        attr->wMajorVerNum = m_lib->major;
        attr->wMinorVerNum = m_lib->minor;
        attr->wLibFlags = m_lib->flags;
        *out = attr;
        return S_OK;
    }
    HRESULT GetTypeComp(ITypeComp **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetDocumentation(
        INT index, BSTR *name, BSTR *doc, DWORD *helpContext, BSTR *helpFile) noexcept override
    {
        if (index < -1 || index >= static_cast<INT>(m_lib->types.size()))
            return TYPE_E_ELEMENTNOTFOUND;
        const std::string &n =
            index < 0 ? m_lib->name : m_lib->types[static_cast<std::size_t>(index)].name;
        const std::string &d =
            index < 0 ? m_lib->doc : m_lib->types[static_cast<std::size_t>(index)].doc;
        if (helpContext)
            *helpContext = 0;
        if (FAILED(giveString(n, name)) || FAILED(giveString(d, doc)) ||
            FAILED(giveString(m_lib->helpFile, helpFile)))
            return E_OUTOFMEMORY;
        return S_OK;
    }
    HRESULT IsName(LPOLESTR name, ULONG, BOOL *found) noexcept override
    {
        if (!name || !found)
            return E_INVALIDARG;
        return guarded([&] {
            const std::string wanted = lowerAscii(utf16ToUtf8(name));
            *found = FALSE;
            for (const TypeData &t : m_lib->types)
                if (lowerAscii(t.name) == wanted || t.byName.count(wanted))
                    *found = TRUE;
            return S_OK;
        });
    }
    HRESULT FindName(LPOLESTR, ULONG, ITypeInfo **, MEMBERID *, USHORT *found) noexcept override
    {
        if (found)
            *found = 0;
        return E_NOTIMPL;
    }
    void ReleaseTLibAttr(TLIBATTR *attr) noexcept override { CoTaskMemFree(attr); }

    const std::shared_ptr<const LibData> &data() const { return m_lib; }

private:
    std::shared_ptr<const LibData> m_lib;
};

// ---- loading ----

constexpr char kMagic[8] = { 'B', 'L', 'K', 'T', 'L', 'B', '\r', '\n' };

HRESULT loadLibData(const std::string &path, std::shared_ptr<const LibData> &out) noexcept
{
    return guarded([&] {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return TYPE_E_CANTLOADLIBRARY;
        char head[sizeof kMagic] = {};
        in.read(head, sizeof head);
        if (in.gcount() == sizeof head && std::memcmp(head, kMagic, sizeof kMagic) == 0) {
            in.seekg(0, std::ios::end);
            const auto size = static_cast<std::size_t>(in.tellg());
            if (size > kMaxTypeLibFile)
                return TYPE_E_INVDATAREAD;
            std::string bytes(size, '\0');
            in.seekg(0);
            in.read(bytes.data(), static_cast<std::streamsize>(size));
            auto lib = parseTypeLib(bytes);
            if (!lib)
                return TYPE_E_INVDATAREAD;
            out = std::move(lib);
            return S_OK;
        }
        // Otherwise a component library that carries its type library.
        std::string real;
        if (FAILED(loadServerLibrary(path, &real)))
            return TYPE_E_CANTLOADLIBRARY;
        auto &t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.modules.find(real);
        if (it == t.modules.end())
            return TYPE_E_CANTLOADLIBRARY;
        out = it->second;
        return S_OK;
    });
}

std::string versionKey(WORD major, WORD minor)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x.%x", major, minor);
    return buffer;
}

std::string lcidKey(LCID lcid)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", lcid);
    return buffer;
}

const char *platformKey(SYSKIND kind)
{
    switch (kind) {
    case SYS_WIN16:
        return "win16";
    case SYS_WIN32:
        return "win32";
    case SYS_MAC:
        return "mac";
    default:
        return "win64";
    }
}

std::string parentFolder(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

const TypeData &typeDataOf(const InterfaceDesc &desc) noexcept
{
    // The table keeps every library alive for the life of the process, so the reference stays
    // valid.
    const Known k = knownInterface(desc);
    return k.lib->types[k.index];
}

HRESULT makeTypeLib(std::shared_ptr<const LibData> lib, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    auto object = TypeLibObject::make(std::move(lib));
    if (!object)
        return E_OUTOFMEMORY;
    *out = object.Detach();
    return S_OK;
}

HRESULT makeTypeInfo(std::shared_ptr<const LibData> lib, UINT index, ITypeInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    auto object = TypeInfoObject::make(std::move(lib), index);
    if (!object)
        return E_OUTOFMEMORY;
    *out = object.Detach();
    return S_OK;
}

} // namespace platform::com::detail

namespace platform::com {

using namespace detail;

HRESULT typeInfoOf(const InterfaceDesc &desc, ITypeInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        const Known k = knownInterface(desc);
        return makeTypeInfo(k.lib, k.index, out);
    });
}

HRESULT typeInfoOf(const CoClassDesc &desc, ITypeInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    Known k;
    {
        auto &t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.types.find(&desc);
        if (it == t.types.end())
            return TYPE_E_ELEMENTNOTFOUND; // a class is only known through its library
        k = it->second;
    }
    return makeTypeInfo(k.lib, k.index, out);
}

HRESULT typeLibOf(const TypeLibDesc &desc, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        std::shared_ptr<LibData> lib;
        {
            std::lock_guard lock(table().mutex);
            lib = libForLocked(desc);
        }
        return makeTypeLib(lib, out);
    });
}

EmbeddedTypeLib::EmbeddedTypeLib(const TypeLibDesc &desc) noexcept
{
    try {
        const std::string module = modulePathOf(&desc);
        auto &t = table();
        std::lock_guard lock(t.mutex);
        auto lib = libForLocked(desc);
        if (!module.empty())
            t.modules[module] = lib;
    } catch (...) {
        // Without the table entry LoadTypeLib of the module fails; the objects still work.
    }
}

HRESULT exportTypeLib(const std::string &library, const std::string &output) noexcept
{
    std::shared_ptr<const LibData> lib;
    HRESULT hr = loadLibData(library, lib);
    if (FAILED(hr))
        return hr;
    return guarded([&] {
        const std::string bytes = serializeTypeLib(*lib);
        const std::string temp = output + ".part";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out.flush())
                return TYPE_E_IOERROR;
        }
        if (std::rename(temp.c_str(), output.c_str()) != 0)
            return TYPE_E_IOERROR;
        return S_OK;
    });
}

HRESULT loadTypeLibFromMemory(std::string_view bytes, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        auto lib = parseTypeLib(bytes);
        if (!lib)
            return TYPE_E_INVDATAREAD;
        return makeTypeLib(std::move(lib), out);
    });
}

HRESULT registerEmbeddedTypeLib(const TypeLibDesc &desc, const std::string &modulePath) noexcept
{
    ComPtr<ITypeLib> lib;
    HRESULT hr = typeLibOf(desc, &lib);
    if (FAILED(hr))
        return hr;
    return guarded([&] {
        const std::u16string path = utf8ToUtf16(modulePath);
        const std::u16string folder = utf8ToUtf16(parentFolder(modulePath));
        return RegisterTypeLib(lib.Get(), path.c_str(), folder.c_str());
    });
}

HRESULT unregisterEmbeddedTypeLib(const TypeLibDesc &desc) noexcept
{
    return UnRegisterTypeLib(desc.libid, desc.major, desc.minor, desc.lcid, SYS_WIN64);
}

} // namespace platform::com

using namespace platform::com;
using namespace platform::com::detail;

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib **out) noexcept
{
    return LoadTypeLibEx(file, REGKIND_NONE, out);
}

HRESULT LoadTypeLibEx(LPCOLESTR file, REGKIND regkind, ITypeLib **out) noexcept
{
    if (!file || !out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        const std::string path = utf16ToUtf8(file);
        std::shared_ptr<const LibData> lib;
        HRESULT hr = loadLibData(path, lib);
        if (FAILED(hr))
            return hr;
        ComPtr<ITypeLib> object;
        hr = makeTypeLib(lib, &object);
        if (FAILED(hr))
            return hr;
        if (regkind == REGKIND_REGISTER) {
            const std::u16string folder = utf8ToUtf16(parentFolder(path));
            hr = RegisterTypeLib(object.Get(), file, folder.c_str());
            if (FAILED(hr))
                return hr;
        }
        *out = object.Detach();
        return S_OK;
    });
}

HRESULT LoadRegTypeLib(REFGUID rguid, WORD major, WORD minor, LCID lcid, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        // The registered minor versions of the same major version from the one asked for up,
        // tried highest first; the first with a path for the locale (or the neutral one) wins.
        const std::string libKey = "TypeLib\\" + guidToString(rguid);
        std::vector<WORD> minors;
        for (const std::string &name : detail::subkeyNames(HKEY_CLASSES_ROOT, libKey)) {
            unsigned long a = 0, b = 0;
            char dot = 0, rest = 0;
            if (std::sscanf(name.c_str(), "%lx%c%lx%c", &a, &dot, &b, &rest) == 3 && dot == '.' &&
                a == major && b >= minor && b <= 0xFFFF)
                minors.push_back(static_cast<WORD>(b));
        }
        std::sort(minors.rbegin(), minors.rend());
        // Registration files a library under its own platform's key; any of them will do here.
        std::string path;
        for (const WORD candidate : minors) {
            const std::string base = libKey + "\\" + versionKey(major, candidate) + "\\";
            for (LCID tryLcid : { lcid, LCID(0) }) {
                for (const char *platformName : { "win64", "win32", "win16", "mac" }) {
                    if (platform::registry::readString(HKEY_CLASSES_ROOT,
                            base + lcidKey(tryLcid) + "\\" + platformName, "",
                            path) == ERROR_SUCCESS)
                        break;
                    path.clear();
                }
                if (!path.empty())
                    break;
            }
            if (!path.empty())
                break;
        }
        if (path.empty())
            return TYPE_E_LIBNOTREGISTERED;
        const std::u16string wide = utf8ToUtf16(path);
        return LoadTypeLib(wide.c_str(), out);
    });
}

HRESULT RegisterTypeLib(ITypeLib *lib, LPCOLESTR fullPath, LPCOLESTR helpDir) noexcept
{
    if (!lib || !fullPath)
        return E_INVALIDARG;
    return guarded([&] {
        TLIBATTR *attr = nullptr;
        HRESULT hr = lib->GetLibAttr(&attr);
        if (FAILED(hr))
            return hr;
        const TLIBATTR a = *attr;
        lib->ReleaseTLibAttr(attr);
        BStr name, doc;
        (void)lib->GetDocumentation(-1, name.out(), doc.out(), nullptr, nullptr);
        const std::string libid = guidToString(a.guid);
        const std::string version = versionKey(a.wMajorVerNum, a.wMinorVerNum);
        const std::string base = "TypeLib\\" + libid + "\\" + version;
        auto write = [](const std::string &path, const std::string &value,
                         const std::string &text) {
            return platform::registry::writeString(HKEY_CLASSES_ROOT, path, value, text) ==
                ERROR_SUCCESS;
        };
        bool ok = write(base, "", doc.empty() ? name.toUtf8() : doc.toUtf8()) &&
            write(base + "\\FLAGS", "", std::to_string(a.wLibFlags & ~LIBFLAG_FHASDISKIMAGE)) &&
            write(base + "\\HELPDIR", "", helpDir ? utf16ToUtf8(helpDir) : std::string()) &&
            write(base + "\\" + lcidKey(a.lcid) + "\\" + platformKey(a.syskind), "",
                utf16ToUtf8(fullPath));
        for (UINT i = 0; ok && i < lib->GetTypeInfoCount(); ++i) {
            ComPtr<ITypeInfo> info;
            if (FAILED(lib->GetTypeInfo(i, &info)))
                continue;
            TYPEATTR *ta = nullptr;
            if (FAILED(info->GetTypeAttr(&ta)))
                continue;
            const bool dispatch = ta->typekind == TKIND_DISPATCH;
            const bool automation =
                ta->typekind == TKIND_INTERFACE && (ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
            const GUID iid = ta->guid;
            const bool dual = ta->wTypeFlags & TYPEFLAG_FDUAL;
            info->ReleaseTypeAttr(ta);
            if (!dispatch && !automation)
                continue;
            BStr typeName;
            (void)info->GetDocumentation(MEMBERID_NIL, typeName.out(), nullptr, nullptr, nullptr);
            const std::string key = "Interface\\" + guidToString(iid);
            // Dispatch-only interfaces use the dispatch marshaler, dual and custom ones the
            // universal one.
            const std::string proxy = (dispatch && !dual)
                ? "{00020420-0000-0000-C000-000000000046}"
                : "{00020424-0000-0000-C000-000000000046}";
            ok = write(key, "", typeName.toUtf8()) && write(key + "\\ProxyStubClsid", "", proxy) &&
                write(key + "\\ProxyStubClsid32", "", proxy) &&
                write(key + "\\TypeLib", "", libid) && write(key + "\\TypeLib", "Version", version);
        }
        return ok ? S_OK : TYPE_E_REGISTRYACCESS;
    });
}

HRESULT UnRegisterTypeLib(
    REFGUID libID, WORD major, WORD minor, LCID lcid, SYSKIND syskind) noexcept
{
    return guarded([&] {
        const std::string libid = guidToString(libID);
        const std::string version = versionKey(major, minor);
        const std::string libKey = "TypeLib\\" + libid;
        const std::string base = libKey + "\\" + version;
        const std::string lcidPath = base + "\\" + lcidKey(lcid);
        if (!keyExists(HKEY_CLASSES_ROOT, lcidPath + "\\" + platformKey(syskind)))
            return TYPE_E_REGISTRYACCESS;
        (void)deleteTree(HKEY_CLASSES_ROOT, lcidPath + "\\" + platformKey(syskind));
        if (subkeyNames(HKEY_CLASSES_ROOT, lcidPath).empty())
            (void)deleteTree(HKEY_CLASSES_ROOT, lcidPath);

        bool otherLocales = false;
        for (const std::string &child : subkeyNames(HKEY_CLASSES_ROOT, base)) {
            const std::string l = lowerAscii(child);
            if (l != "flags" && l != "helpdir")
                otherLocales = true;
        }
        if (otherLocales)
            return S_OK; // the interfaces still belong to the remaining registration
        for (const std::string &iid : subkeyNames(HKEY_CLASSES_ROOT, "Interface")) {
            const std::string key = "Interface\\" + iid;
            std::string owner, ownerVersion;
            if (platform::registry::readString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "", owner) ==
                    ERROR_SUCCESS &&
                lowerAscii(owner) == lowerAscii(libid) &&
                platform::registry::readString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "Version",
                    ownerVersion) == ERROR_SUCCESS &&
                ownerVersion == version)
                (void)deleteTree(HKEY_CLASSES_ROOT, key);
        }
        (void)deleteTree(HKEY_CLASSES_ROOT, base);
        if (subkeyNames(HKEY_CLASSES_ROOT, libKey).empty())
            (void)deleteTree(HKEY_CLASSES_ROOT, libKey);
        return S_OK;
    });
}
