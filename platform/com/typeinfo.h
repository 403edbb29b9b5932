// Type information: ITypeInfo, ITypeLib and their descriptor structures, in the Windows layout and
// vtable order. Members a host of this tree never needs answer E_NOTIMPL.
#pragma once

#include "platform/com/dispatch.h"

using HREFTYPE = DWORD;

enum TYPEKIND {
    TKIND_ENUM = 0,
    TKIND_RECORD,
    TKIND_MODULE,
    TKIND_INTERFACE,
    TKIND_DISPATCH,
    TKIND_COCLASS,
    TKIND_ALIAS,
    TKIND_UNION,
    TKIND_MAX
};
enum FUNCKIND { FUNC_VIRTUAL = 0, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND {
    INVOKE_FUNC = 1,
    INVOKE_PROPERTYGET = 2,
    INVOKE_PROPERTYPUT = 4,
    INVOKE_PROPERTYPUTREF = 8
};
enum CALLCONV { CC_FASTCALL = 0, CC_CDECL = 1, CC_STDCALL = 4 };
enum SYSKIND { SYS_WIN16 = 0, SYS_WIN32, SYS_MAC, SYS_WIN64 };
enum DESCKIND { DESCKIND_NONE = 0, DESCKIND_FUNCDESC, DESCKIND_VARDESC, DESCKIND_TYPECOMP };
enum REGKIND { REGKIND_DEFAULT = 0, REGKIND_REGISTER, REGKIND_NONE };

inline constexpr WORD TYPEFLAG_FAPPOBJECT = 0x1;
inline constexpr WORD TYPEFLAG_FCANCREATE = 0x2;
inline constexpr WORD TYPEFLAG_FLICENSED = 0x4;
inline constexpr WORD TYPEFLAG_FHIDDEN = 0x10;
inline constexpr WORD TYPEFLAG_FCONTROL = 0x20;
inline constexpr WORD TYPEFLAG_FDUAL = 0x40;
inline constexpr WORD TYPEFLAG_FNONEXTENSIBLE = 0x80;
inline constexpr WORD TYPEFLAG_FOLEAUTOMATION = 0x100;
inline constexpr WORD TYPEFLAG_FRESTRICTED = 0x200;
inline constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;

inline constexpr WORD FUNCFLAG_FRESTRICTED = 0x1;
inline constexpr WORD FUNCFLAG_FSOURCE = 0x2;
inline constexpr WORD FUNCFLAG_FBINDABLE = 0x4;
inline constexpr WORD FUNCFLAG_FDISPLAYBIND = 0x10;
inline constexpr WORD FUNCFLAG_FDEFAULTBIND = 0x20;
inline constexpr WORD FUNCFLAG_FHIDDEN = 0x40;
inline constexpr WORD FUNCFLAG_FUIDEFAULT = 0x200;
inline constexpr WORD FUNCFLAG_FNONBROWSABLE = 0x400;

inline constexpr USHORT PARAMFLAG_NONE = 0;
inline constexpr USHORT PARAMFLAG_FIN = 0x1;
inline constexpr USHORT PARAMFLAG_FOUT = 0x2;
inline constexpr USHORT PARAMFLAG_FLCID = 0x4;
inline constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
inline constexpr USHORT PARAMFLAG_FOPT = 0x10;
inline constexpr USHORT PARAMFLAG_FHASDEFAULT = 0x20;

inline constexpr INT IMPLTYPEFLAG_FDEFAULT = 0x1;
inline constexpr INT IMPLTYPEFLAG_FSOURCE = 0x2;
inline constexpr INT IMPLTYPEFLAG_FRESTRICTED = 0x4;
inline constexpr INT IMPLTYPEFLAG_FDEFAULTVTABLE = 0x8;

inline constexpr USHORT LIBFLAG_FRESTRICTED = 0x1;
inline constexpr USHORT LIBFLAG_FCONTROL = 0x2;
inline constexpr USHORT LIBFLAG_FHIDDEN = 0x4;
inline constexpr USHORT LIBFLAG_FHASDISKIMAGE = 0x8;

inline constexpr MEMBERID MEMBERID_NIL = DISPID_UNKNOWN;

struct ARRAYDESC;
struct TYPEDESC {
    union {
        TYPEDESC *lptdesc;
        ARRAYDESC *lpadesc;
        HREFTYPE hreftype;
    };
    VARTYPE vt;
};

struct PARAMDESCEX {
    ULONG cBytes;
    VARIANTARG varDefaultValue;
};

struct PARAMDESC {
    PARAMDESCEX *pparamdescex;
    USHORT wParamFlags;
};

struct IDLDESC {
    ULONG_PTR dwReserved;
    USHORT wIDLFlags;
};

struct ELEMDESC {
    TYPEDESC tdesc;
    union {
        IDLDESC idldesc;
        PARAMDESC paramdesc;
    };
};

struct TYPEATTR {
    GUID guid;
    LCID lcid;
    DWORD dwReserved;
    MEMBERID memidConstructor;
    MEMBERID memidDestructor;
    LPOLESTR lpstrSchema;
    ULONG cbSizeInstance;
    TYPEKIND typekind;
    WORD cFuncs;
    WORD cVars;
    WORD cImplTypes;
    WORD cbSizeVft;
    WORD cbAlignment;
    WORD wTypeFlags;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    TYPEDESC tdescAlias;
    IDLDESC idldescType;
};

struct FUNCDESC {
    MEMBERID memid;
    SCODE *lprgscode;
    ELEMDESC *lprgelemdescParam;
    FUNCKIND funckind;
    INVOKEKIND invkind;
    CALLCONV callconv;
    SHORT cParams;
    SHORT cParamsOpt;
    SHORT oVft;
    SHORT cScodes;
    ELEMDESC elemdescFunc;
    WORD wFuncFlags;
};

enum VARKIND { VAR_PERINSTANCE = 0, VAR_STATIC, VAR_CONST, VAR_DISPATCH };

struct VARDESC {
    MEMBERID memid;
    LPOLESTR lpstrSchema;
    union {
        ULONG oInst;
        VARIANT *lpvarValue;
    };
    ELEMDESC elemdescVar;
    WORD wVarFlags;
    VARKIND varkind;
};

struct TLIBATTR {
    GUID guid;
    LCID lcid;
    SYSKIND syskind;
    WORD wMajorVerNum;
    WORD wMinorVerNum;
    WORD wLibFlags;
};

struct ITypeLib;
struct ITypeComp;

struct ITypeInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00020401-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT GetTypeAttr(TYPEATTR **ppTypeAttr) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeComp(ITypeComp **ppTComp) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetFuncDesc(UINT index, FUNCDESC **ppFuncDesc) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetVarDesc(UINT index, VARDESC **ppVarDesc) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetNames(
        MEMBERID memid, BSTR *rgBstrNames, UINT cMaxNames, UINT *pcNames) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE *pRefType) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetImplTypeFlags(UINT index, INT *pImplTypeFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetIDsOfNames(
        LPOLESTR *rgszNames, UINT cNames, MEMBERID *pMemId) noexcept = 0;
    [[nodiscard]] virtual HRESULT Invoke(void *pvInstance, MEMBERID memid, WORD wFlags,
        DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
        UINT *puArgErr) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetDocumentation(MEMBERID memid, BSTR *pBstrName,
        BSTR *pBstrDocString, DWORD *pdwHelpContext, BSTR *pBstrHelpFile) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetDllEntry(MEMBERID memid, INVOKEKIND invKind,
        BSTR *pBstrDllName, BSTR *pBstrName, WORD *pwOrdinal) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetRefTypeInfo(
        HREFTYPE hRefType, ITypeInfo **ppTInfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddressOfMember(
        MEMBERID memid, INVOKEKIND invKind, void **ppv) noexcept = 0;
    [[nodiscard]] virtual HRESULT CreateInstance(
        IUnknown *pUnkOuter, REFIID riid, void **ppvObj) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetMops(MEMBERID memid, BSTR *pBstrMops) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetContainingTypeLib(
        ITypeLib **ppTLib, UINT *pIndex) noexcept = 0;
    virtual void ReleaseTypeAttr(TYPEATTR *pTypeAttr) noexcept = 0;
    virtual void ReleaseFuncDesc(FUNCDESC *pFuncDesc) noexcept = 0;
    virtual void ReleaseVarDesc(VARDESC *pVarDesc) noexcept = 0;

protected:
    ~ITypeInfo() = default;
};
inline constexpr IID IID_ITypeInfo = ITypeInfo::iid;

struct ITypeLib : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00020402-0000-0000-C000-000000000046}");
    virtual UINT GetTypeInfoCount() noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfo(UINT index, ITypeInfo **ppTInfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND *pTKind) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo **ppTinfo) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetLibAttr(TLIBATTR **ppTLibAttr) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetTypeComp(ITypeComp **ppTComp) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetDocumentation(INT index, BSTR *pBstrName, BSTR *pBstrDocString,
        DWORD *pdwHelpContext, BSTR *pBstrHelpFile) noexcept = 0;
    [[nodiscard]] virtual HRESULT IsName(
        LPOLESTR szNameBuf, ULONG lHashVal, BOOL *pfName) noexcept = 0;
    [[nodiscard]] virtual HRESULT FindName(LPOLESTR szNameBuf, ULONG lHashVal, ITypeInfo **ppTInfo,
        MEMBERID *rgMemId, USHORT *pcFound) noexcept = 0;
    virtual void ReleaseTLibAttr(TLIBATTR *pTLibAttr) noexcept = 0;

protected:
    ~ITypeLib() = default;
};
inline constexpr IID IID_ITypeLib = ITypeLib::iid;

struct IProvideClassInfo : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{B196B283-BAB4-101A-B69C-00AA00341D07}");
    [[nodiscard]] virtual HRESULT GetClassInfo(ITypeInfo **ppTI) noexcept = 0;

protected:
    ~IProvideClassInfo() = default;
};
inline constexpr IID IID_IProvideClassInfo = IProvideClassInfo::iid;

// LoadTypeLib reads a type library file of our format (see typelib.h), or the type library a
// component library carries when given the component library's path.
[[nodiscard]] HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib **pptlib) noexcept;
[[nodiscard]] HRESULT LoadTypeLibEx(LPCOLESTR file, REGKIND regkind, ITypeLib **pptlib) noexcept;
// Finds the path under HKEY_CLASSES_ROOT\TypeLib and loads it; TYPE_E_LIBNOTREGISTERED if absent.
[[nodiscard]] HRESULT LoadRegTypeLib(
    REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib **pptlib) noexcept;
// Writes HKEY_CLASSES_ROOT\TypeLib\{libid}\major.minor (name, FLAGS, HELPDIR, lcid\win64 = path)
// and HKEY_CLASSES_ROOT\Interface\{iid} for each dual or dispatch interface of the library.
[[nodiscard]] HRESULT RegisterTypeLib(
    ITypeLib *ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) noexcept;
// Removes what RegisterTypeLib wrote for that version, locale and platform; keys that still hold
// other versions or locales stay. TYPE_E_REGISTRYACCESS when nothing was registered.
[[nodiscard]] HRESULT UnRegisterTypeLib(
    REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) noexcept;
