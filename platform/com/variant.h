// VARIANT: the tagged value of automation, with the Windows VT_ codes and the conversions OLE
// makes between them. Integers, floats, currency, dates, booleans (True = -1), strings, interface
// pointers and references to any of them.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;
using DATE = double;
using FLOAT = float;
using DOUBLE = double;
using CHAR = char;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Currency: a 64-bit integer scaled by 10 000.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
};

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_RECORD = 36,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0fff,
};

struct IDispatch;
struct VARIANT;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown *punkVal;
        IDispatch *pdispVal;
        BYTE *pbVal;
        SHORT *piVal;
        LONG *plVal;
        LONGLONG *pllVal;
        FLOAT *pfltVal;
        DOUBLE *pdblVal;
        VARIANT_BOOL *pboolVal;
        SCODE *pscode;
        CY *pcyVal;
        DATE *pdate;
        BSTR *pbstrVal;
        IUnknown **ppunkVal;
        IDispatch **ppdispVal;
        VARIANT *pvarVal;
        void *byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR *pcVal;
        USHORT *puiVal;
        ULONG *pulVal;
        ULONGLONG *pullVal;
        INT *pintVal;
        UINT *puintVal;
        // Keeps the Windows size (two pointers of payload) for code that copies VARIANTs raw.
        struct {
            void *pvRecord;
            void *pRecInfo;
        } recordVal;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT *;

#define V_VT(v) ((v)->vt)
#define V_I4(v) ((v)->lVal)
#define V_BSTR(v) ((v)->bstrVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_ERROR(v) ((v)->scode)
#define V_ISBYREF(v) (((v)->vt & VT_BYREF) != 0)

// Flags of VariantChangeType.
inline constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
inline constexpr USHORT VARIANT_ALPHABOOL = 0x02;
inline constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
inline constexpr USHORT VARIANT_LOCALBOOL = 0x10;

// Sets VT_EMPTY without looking at the old contents.
void VariantInit(VARIANT *v) noexcept;
// Frees what the variant owns (string, interface reference) and sets VT_EMPTY. By-reference
// variants own nothing. DISP_E_BADVARTYPE for a type this layer does not know (then unchanged).
[[nodiscard]] HRESULT VariantClear(VARIANT *v) noexcept;
// dest = deep copy of src (dest is cleared first; dest == src is a no-op).
[[nodiscard]] HRESULT VariantCopy(VARIANT *dest, const VARIANT *src) noexcept;
// As VariantCopy, but a by-reference src is replaced by a copy of the value it refers to.
[[nodiscard]] HRESULT VariantCopyInd(VARIANT *dest, const VARIANT *src) noexcept;
// Converts src into dest as type vt (dest may equal src). A numeric string converts to a number,
// anything else gives DISP_E_TYPEMISMATCH; a value outside the target's range gives
// DISP_E_OVERFLOW; floating values round to the nearest integer, halves to even. Objects convert
// to scalars through their DISPID_VALUE member unless VARIANT_NOVALUEPROP is set. On failure dest
// is left as it was (or unchanged when dest == src).
[[nodiscard]] HRESULT VariantChangeType(
    VARIANT *dest, const VARIANT *src, USHORT flags, VARTYPE vt) noexcept;
[[nodiscard]] HRESULT VariantChangeTypeEx(
    VARIANT *dest, const VARIANT *src, LCID lcid, USHORT flags, VARTYPE vt) noexcept;

namespace platform::com {

// Owns one VARIANT: cleared on destruction. Converts implicitly to VARIANT* for calls.
class Variant : public VARIANT {
public:
    Variant() noexcept { VariantInit(this); }
    Variant(const Variant &other) noexcept
        : Variant()
    {
        (void)VariantCopy(this, &other);
    }
    Variant(const VARIANT &other) noexcept
        : Variant()
    {
        (void)VariantCopy(this, &other);
    }
    Variant &operator=(const Variant &other) noexcept
    {
        (void)VariantCopy(this, &other);
        return *this;
    }
    Variant(Variant &&other) noexcept
        : VARIANT(other)
    {
        VariantInit(&other);
    }
    Variant &operator=(Variant &&other) noexcept
    {
        if (this != &other) {
            (void)VariantClear(this);
            static_cast<VARIANT &>(*this) = other;
            VariantInit(&other);
        }
        return *this;
    }
    ~Variant() { (void)VariantClear(this); }

    static Variant i4(LONG value) noexcept
    {
        Variant v;
        v.vt = VT_I4;
        v.lVal = value;
        return v;
    }
    static Variant i2(SHORT value) noexcept
    {
        Variant v;
        v.vt = VT_I2;
        v.iVal = value;
        return v;
    }
    static Variant r8(double value) noexcept
    {
        Variant v;
        v.vt = VT_R8;
        v.dblVal = value;
        return v;
    }
    static Variant boolean(bool value) noexcept
    {
        Variant v;
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    static Variant str(std::u16string_view text) noexcept
    {
        Variant v;
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return v;
    }
    static Variant error(SCODE code) noexcept
    {
        Variant v;
        v.vt = VT_ERROR;
        v.scode = code;
        return v;
    }
    // The "argument left out" marker of automation calls.
    static Variant missing() noexcept { return error(static_cast<SCODE>(0x80020004)); }
    static Variant dispatch(IDispatch *p) noexcept;
    static Variant unknown(IUnknown *p) noexcept;
    // Takes ownership of a raw VARIANT's contents.
    static Variant attach(VARIANT &raw) noexcept
    {
        Variant v;
        static_cast<VARIANT &>(v) = raw;
        VariantInit(&raw);
        return v;
    }
    VARIANT detach() noexcept
    {
        VARIANT raw = *this;
        VariantInit(this);
        return raw;
    }
    void clear() noexcept { (void)VariantClear(this); }

    bool isMissing() const noexcept
    {
        return vt == VT_ERROR && scode == static_cast<SCODE>(0x80020004);
    }
};

} // namespace platform::com
