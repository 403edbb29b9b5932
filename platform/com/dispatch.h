// IDispatch and the argument block of automation calls.
#pragma once

#include "platform/com/variant.h"

using DISPID = LONG;
using MEMBERID = DISPID;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;
inline constexpr DISPID DISPID_NEWENUM = -4;
inline constexpr DISPID DISPID_EVALUATE = -5;
inline constexpr DISPID DISPID_CONSTRUCTOR = -6;
inline constexpr DISPID DISPID_DESTRUCTOR = -7;

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr LCID LOCALE_NEUTRAL = 0;

// Arguments arrive last-first in rgvarg; the first cNamedArgs of them are named by
// rgdispidNamedArgs (a parameter position, or DISPID_PROPERTYPUT for the value of a put).
struct DISPPARAMS {
    VARIANTARG *rgvarg;
    DISPID *rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void *pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO *);
    SCODE scode;
};

struct ITypeInfo;

struct IDispatch : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00020400-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT GetTypeInfoCount(UINT *pctinfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfo(
        UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetIDsOfNames(
        REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId) noexcept = 0;
    [[nodiscard]] virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
        DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
        UINT *puArgErr) noexcept = 0;

protected:
    ~IDispatch() = default;
};
inline constexpr IID IID_IDispatch = IDispatch::iid;
using LPDISPATCH = IDispatch *;

// Frees the strings of an EXCEPINFO and zeroes it.
void clearExcepInfo(EXCEPINFO *info) noexcept;

namespace platform::com {

// Calls a member by DISPID with arguments given first-to-last (they are reversed into rgvarg).
// For DISPATCH_PROPERTYPUT(REF) the last argument is the value and is named DISPID_PROPERTYPUT.
[[nodiscard]] HRESULT invokeByDispid(IDispatch *target, DISPID id, WORD flags, VARIANT *args,
    UINT count, VARIANT *result, EXCEPINFO *excep = nullptr, UINT *argErr = nullptr) noexcept;
// Looks the name up with GetIDsOfNames first.
[[nodiscard]] HRESULT invokeByName(IDispatch *target, std::u16string_view name, WORD flags,
    VARIANT *args, UINT count, VARIANT *result, EXCEPINFO *excep = nullptr) noexcept;

} // namespace platform::com
