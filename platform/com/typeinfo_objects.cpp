// The type-information objects: ITypeInfo and ITypeLib over the run-time form of a library.
#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/com/internal/typedata.h"
#include "platform/com/typelib.h"

#include <algorithm>
#include <cstring>

namespace platform::com::detail {

namespace {

constexpr WORD kPointerSize = sizeof(void *);
constexpr WORD kDispatchSlots = 7; // IUnknown and IDispatch members before a dual's own

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

} // namespace

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
