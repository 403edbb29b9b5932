// Automation from one description per interface. A component writes its interface once as a C++
// struct (the vtable) and once as a constexpr table that names each member's DISPID, kind,
// parameter names, optional parameters and defaults, pointing at the C++ member. Parameter types
// and in/out directions come from the member's signature, so the two cannot disagree. From that
// table the layer derives GetIDsOfNames, Invoke, ITypeInfo/ITypeLib, IProvideClassInfo, the
// registered type library and the .tlb file:
//
//   inline constexpr platform::com::MemberDesc kWidgetMembers[] = {
//       propGet<&IWidget::get_Name>(1, "Name"),
//       propPut<&IWidget::put_Name>(1, "Name", arg("value")),
//       method<&IWidget::Compute>(2, "Compute", arg("a"), opt("b", 10), arg("total"),
//       retval("pVal")),
//   };
//   inline constexpr platform::com::InterfaceDesc kWidgetDesc { "IWidget", IWidget::iid,
//   kWidgetMembers };
//
// Event interfaces (dispinterfaces) have no C++ members: their entries name the parameter types.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/errorinfo.h"
#include "platform/com/typeinfo.h"

#include <cstddef>
#include <span>
#include <type_traits>

namespace platform::com {

inline constexpr std::size_t kMaxParams = 12;

struct DefaultValue {
    enum Kind : BYTE { None, Integer, Real, Text } kind = None;
    LONGLONG integer = 0;
    double real = 0;
    const char16_t *text = nullptr;
};

struct ParamDesc {
    const char *name = nullptr;
    USHORT flags = 0; // PARAMFLAG_*; in/out/retval are derived from the signature when 0
    VARTYPE vt = VT_EMPTY; // VT_EMPTY: the type of the C++ parameter (pointed-to type for pointers)
    DefaultValue def {};
};

constexpr ParamDesc arg(const char *name, VARTYPE vt = VT_EMPTY)
{
    return { name, 0, vt, {} };
}
// An optional parameter with a default (taken when the caller leaves it out).
constexpr ParamDesc opt(const char *name, LONGLONG value, VARTYPE vt = VT_EMPTY)
{
    return { name, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, vt,
        { DefaultValue::Integer, value, 0, nullptr } };
}
constexpr ParamDesc optReal(const char *name, double value)
{
    return { name, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, VT_EMPTY,
        { DefaultValue::Real, 0, value, nullptr } };
}
constexpr ParamDesc optText(const char *name, const char16_t *value)
{
    return { name, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, VT_EMPTY,
        { DefaultValue::Text, 0, 0, value } };
}
// An optional parameter without a default: a VARIANT receives VT_ERROR/DISP_E_PARAMNOTFOUND.
constexpr ParamDesc opt(const char *name)
{
    return { name, PARAMFLAG_FIN | PARAMFLAG_FOPT, VT_EMPTY, {} };
}
// Pointer parameters: `vt` names the pointed-to type when the C++ type does not (VARIANT_BOOL*).
constexpr ParamDesc inOut(const char *name, VARTYPE vt = VT_EMPTY)
{
    return { name, PARAMFLAG_FIN | PARAMFLAG_FOUT, vt, {} };
}
constexpr ParamDesc out(const char *name, VARTYPE vt = VT_EMPTY)
{
    return { name, PARAMFLAG_FOUT, vt, {} };
}
constexpr ParamDesc optOut(const char *name, VARTYPE vt = VT_EMPTY)
{
    return { name, PARAMFLAG_FOUT | PARAMFLAG_FOPT, vt, {} };
}
constexpr ParamDesc retval(const char *name, VARTYPE vt = VT_EMPTY)
{
    return { name, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, vt, {} };
}

// Converted arguments in declaration order, one slot per C++ parameter (retval included).
using InvokeThunk = HRESULT (*)(void *iface, VARIANT *args) noexcept;

struct MemberDesc {
    DISPID dispid = 0;
    INVOKEKIND kind = INVOKE_FUNC;
    const char *name = nullptr;
    ParamDesc params[kMaxParams] {};
    USHORT paramCount = 0;
    WORD flags = 0; // FUNCFLAG_*
    VARTYPE signature[kMaxParams] {}; // from the C++ member; VT_BYREF marks a pointer
    const IID *signatureIids[kMaxParams] {}; // interface pointers other than IUnknown/IDispatch
    InvokeThunk thunk = nullptr;
    const char *doc = nullptr;

    constexpr MemberDesc hidden() const { return withFlags(FUNCFLAG_FHIDDEN); }
    constexpr MemberDesc restricted() const { return withFlags(FUNCFLAG_FRESTRICTED); }
    constexpr MemberDesc withFlags(WORD f) const
    {
        MemberDesc m = *this;
        m.flags |= f;
        return m;
    }
    constexpr MemberDesc help(const char *text) const
    {
        MemberDesc m = *this;
        m.doc = text;
        return m;
    }
};

struct InterfaceDesc {
    const char *name;
    IID iid;
    std::span<const MemberDesc> members;
    WORD flags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    const char *doc = nullptr;
};
// The flags of an event interface (a dispinterface).
inline constexpr WORD kDispInterfaceFlags = TYPEFLAG_FDISPATCHABLE;

struct ImplDesc {
    const InterfaceDesc *iface;
    INT flags; // IMPLTYPEFLAG_*
};

struct CoClassDesc {
    const char *name;
    CLSID clsid;
    std::span<const ImplDesc> interfaces;
    WORD flags = TYPEFLAG_FCANCREATE;
    const char *doc = nullptr;
};

// An enumeration of a type library: named 32-bit constants (ITypeInfo::GetVarDesc reads them,
// with the member's position as its MEMBERID).
struct EnumMember {
    const char *name;
    LONG value;
};
struct EnumDesc {
    const char *name;
    std::span<const EnumMember> members;
    const char *doc = nullptr;
};

struct TypeLibDesc {
    const char *name;
    GUID libid;
    WORD major;
    WORD minor;
    std::span<const InterfaceDesc *const> interfaces;
    std::span<const CoClassDesc *const> coclasses;
    const char *doc = nullptr;
    LCID lcid = 0;
    std::span<const EnumDesc *const> enums = {}; // after the interfaces and classes
};

namespace detail {

template <class T> struct ArgType {
    static constexpr bool isInterface =
        std::is_pointer_v<T> && std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>;
};

template <class T> constexpr VARTYPE vtOf()
{
    if constexpr (std::is_same_v<T, BSTR>)
        return VT_BSTR;
    else if constexpr (std::is_same_v<T, VARIANT>)
        return VT_VARIANT;
    else if constexpr (std::is_same_v<T, LONG>)
        return VT_I4;
    else if constexpr (std::is_same_v<T, SHORT>)
        return VT_I2;
    else if constexpr (std::is_same_v<T, USHORT>)
        return VT_UI2;
    else if constexpr (std::is_same_v<T, BYTE>)
        return VT_UI1;
    else if constexpr (std::is_same_v<T, CHAR> || std::is_same_v<T, signed char>)
        return VT_I1;
    else if constexpr (std::is_same_v<T, ULONG>)
        return VT_UI4;
    else if constexpr (std::is_same_v<T, LONGLONG>)
        return VT_I8;
    else if constexpr (std::is_same_v<T, ULONGLONG>)
        return VT_UI8;
    else if constexpr (std::is_same_v<T, float>)
        return VT_R4;
    else if constexpr (std::is_same_v<T, double>)
        return VT_R8;
    else if constexpr (std::is_same_v<T, CY>)
        return VT_CY;
    else if constexpr (ArgType<T>::isInterface)
        return std::is_base_of_v<IDispatch, std::remove_pointer_t<T>> ? VT_DISPATCH : VT_UNKNOWN;
    else if constexpr (std::is_pointer_v<T>)
        return static_cast<VARTYPE>(VT_BYREF | vtOf<std::remove_pointer_t<T>>());
    else
        static_assert(sizeof(T) == 0, "no automation type for this parameter");
}

template <class T> constexpr const IID *iidOf()
{
    using Bare = std::remove_pointer_t<std::remove_pointer_t<T>>;
    if constexpr (std::is_base_of_v<IUnknown, Bare> && !std::is_same_v<Bare, IUnknown> &&
        !std::is_same_v<Bare, IDispatch>)
        return &Bare::iid;
    else
        return nullptr;
}

// Reads one converted slot as the C++ parameter type.
template <class T> T fromSlot(VARIANT &slot) noexcept
{
    if constexpr (std::is_same_v<T, BSTR>)
        return slot.bstrVal;
    else if constexpr (std::is_same_v<T, VARIANT>)
        return slot;
    else if constexpr (ArgType<T>::isInterface)
        return reinterpret_cast<T>(slot.punkVal);
    else if constexpr (std::is_pointer_v<T>)
        return static_cast<T>(slot.byref);
    else if constexpr (std::is_same_v<T, CY>)
        return slot.cyVal;
    else {
        T value;
        static_assert(sizeof(T) <= sizeof(LONGLONG));
        __builtin_memcpy(&value, &slot.llVal, sizeof(T));
        return value;
    }
}

template <class F> struct Signature;

template <class I, class... Args> struct Signature<HRESULT (I::*)(Args...) noexcept> {
    using Interface = I;
    static constexpr std::size_t count = sizeof...(Args);
    static constexpr VARTYPE vts[count + 1] = { vtOf<Args>()..., VT_EMPTY };
    static constexpr const IID *iids[count + 1] = { iidOf<Args>()..., nullptr };

    template <auto M, std::size_t... N>
    static HRESULT call(I *self, VARIANT *args, std::index_sequence<N...>) noexcept
    {
        return (self->*M)(fromSlot<Args>(args[N])...);
    }
};

template <class I, class... Args>
struct Signature<HRESULT (I::*)(Args...)> : Signature<HRESULT (I::*)(Args...) noexcept> {
};

template <auto M> HRESULT thunk(void *iface, VARIANT *args) noexcept
{
    using S = Signature<decltype(M)>;
    return S::template call<M>(
        static_cast<typename S::Interface *>(iface), args, std::make_index_sequence<S::count>());
}

template <auto M, class... P>
constexpr MemberDesc describe(DISPID id, INVOKEKIND kind, const char *name, P... params)
{
    using S = Signature<decltype(M)>;
    static_assert(S::count <= kMaxParams, "too many parameters");
    static_assert(sizeof...(P) == 0 || sizeof...(P) == S::count,
        "name every parameter of the member, or none for a getter or putter");
    MemberDesc m;
    m.dispid = id;
    m.kind = kind;
    m.name = name;
    m.paramCount = static_cast<USHORT>(S::count);
    const ParamDesc given[] = { params..., ParamDesc {} };
    for (std::size_t i = 0; i < S::count; ++i) {
        m.params[i] = sizeof...(P)
            ? given[i]
            : ParamDesc { kind == INVOKE_PROPERTYGET ? "pVal" : "newVal", 0, VT_EMPTY, {} };
        m.signature[i] = S::vts[i];
        m.signatureIids[i] = S::iids[i];
    }
    m.thunk = &thunk<M>;
    return m;
}

} // namespace detail

template <auto M, class... P> constexpr MemberDesc method(DISPID id, const char *name, P... params)
{
    return detail::describe<M>(id, INVOKE_FUNC, name, params...);
}
template <auto M, class... P> constexpr MemberDesc propGet(DISPID id, const char *name, P... params)
{
    return detail::describe<M>(id, INVOKE_PROPERTYGET, name, params...);
}
template <auto M, class... P> constexpr MemberDesc propPut(DISPID id, const char *name, P... params)
{
    return detail::describe<M>(id, INVOKE_PROPERTYPUT, name, params...);
}
template <auto M, class... P>
constexpr MemberDesc propPutRef(DISPID id, const char *name, P... params)
{
    return detail::describe<M>(id, INVOKE_PROPERTYPUTREF, name, params...);
}

// A member of an event interface: parameter types are given with arg(name, vt); a by-reference
// parameter is VT_BYREF | vt.
template <class... P> constexpr MemberDesc event(DISPID id, const char *name, P... params)
{
    MemberDesc m;
    m.dispid = id;
    m.kind = INVOKE_FUNC;
    m.name = name;
    const ParamDesc given[] = { params..., ParamDesc {} };
    static_assert(sizeof...(P) <= kMaxParams);
    m.paramCount = static_cast<USHORT>(sizeof...(P));
    for (std::size_t i = 0; i < sizeof...(P); ++i) {
        m.params[i] = given[i];
        m.signature[i] = given[i].vt;
    }
    return m;
}

namespace detail {
struct TypeData;
// The run-time form of a description, built once and kept for the life of the process.
const TypeData &typeDataOf(const InterfaceDesc &desc) noexcept;
HRESULT getIdsOfNames(const TypeData &type, LPOLESTR *names, UINT count, DISPID *ids) noexcept;
HRESULT invoke(const TypeData &type, void *iface, IUnknown *errorSource, DISPID id, WORD flags,
    DISPPARAMS *params, VARIANT *result, EXCEPINFO *excep, UINT *argErr) noexcept;
} // namespace detail

// The type information derived from a description. Descriptions that belong to a library should
// be announced with BIDLARK_EMBED_TYPELIB first, so that their type infos report that library.
[[nodiscard]] HRESULT typeInfoOf(const InterfaceDesc &desc, ITypeInfo **out) noexcept;
[[nodiscard]] HRESULT typeInfoOf(const CoClassDesc &desc, ITypeInfo **out) noexcept;
[[nodiscard]] HRESULT typeLibOf(const TypeLibDesc &desc, ITypeLib **out) noexcept;

// IDispatch of a dual interface I, from its description: derive the object from DualImpl<I, Desc>
// in place of I (ComObject<Widget, DualImpl<IWidget, kWidgetDesc>, ...>).
template <class I, const InterfaceDesc &Desc> class DualImpl : public I {
public:
    [[nodiscard]] HRESULT GetTypeInfoCount(UINT *count) noexcept override
    {
        if (!count)
            return E_INVALIDARG;
        *count = 1;
        return S_OK;
    }
    [[nodiscard]] HRESULT GetTypeInfo(UINT index, LCID, ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_INVALIDARG;
        *out = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return typeInfoOf(Desc, out);
    }
    // Unknown names give DISP_E_UNKNOWNNAME with DISPID_UNKNOWN in their slots; names after the
    // first are the member's parameter names and map to their positions.
    [[nodiscard]] HRESULT GetIDsOfNames(
        REFIID riid, LPOLESTR *names, UINT count, LCID, DISPID *ids) noexcept override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        return detail::getIdsOfNames(type(), names, count, ids);
    }
    // Arguments arrive last-first and are converted with VariantChangeType; left-out optional
    // parameters (or VT_ERROR/DISP_E_PARAMNOTFOUND) take their defaults; by-reference arguments
    // are written back. On failure *result is VT_EMPTY; *argErr is set only for
    // DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW and DISP_E_PARAMNOTFOUND; a failing member gives
    // DISP_E_EXCEPTION with EXCEPINFO.scode set, and source and description taken from the
    // thread's error object when the object's ISupportErrorInfo supports this interface.
    [[nodiscard]] HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS *params,
        VARIANT *result, EXCEPINFO *excep, UINT *argErr) noexcept override
    {
        if (riid != IID_NULL)
            return DISP_E_UNKNOWNINTERFACE;
        I *self = this;
        return detail::invoke(type(), self, self, id, flags, params, result, excep, argErr);
    }

private:
    static const detail::TypeData &type() noexcept
    {
        static const detail::TypeData &t = detail::typeDataOf(Desc);
        return t;
    }
};

// IProvideClassInfo from a coclass description.
template <const CoClassDesc &Desc> struct ProvideClassInfoImpl : IProvideClassInfo {
    [[nodiscard]] HRESULT GetClassInfo(ITypeInfo **out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return typeInfoOf(Desc, out);
    }
};

// Announces that this module carries type library `desc`: LoadTypeLib of the module's path finds
// it, and the type infos of its interfaces report it as their library. Use once per library at
// namespace scope in a component's source file.
struct EmbeddedTypeLib {
    explicit EmbeddedTypeLib(const TypeLibDesc &desc) noexcept;
};
#define BIDLARK_COM_CONCAT2(a, b) a##b
#define BIDLARK_COM_CONCAT(a, b) BIDLARK_COM_CONCAT2(a, b)
#define BIDLARK_EMBED_TYPELIB(desc)                                                                \
    static const ::platform::com::EmbeddedTypeLib BIDLARK_COM_CONCAT(                              \
        bidlarkEmbeddedTypeLib, __LINE__)                                                          \
    {                                                                                              \
        desc                                                                                       \
    }

} // namespace platform::com
