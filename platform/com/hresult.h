// Status codes of the component object layer with their Windows values, so that a code read in a
// log, a test or an EXCEPINFO means what it means on Windows.
#pragma once

#include "platform/wintypes.h"

using SCODE = LONG;

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT MAKE_HRESULT(unsigned severity, unsigned facility, unsigned code) noexcept
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}

constexpr HRESULT HRESULT_FROM_WIN32(LONG error) noexcept
{
    return error <= 0
        ? static_cast<HRESULT>(error)
        : static_cast<HRESULT>((static_cast<DWORD>(error) & 0x0000FFFFu) | 0x80070000u);
}

constexpr HRESULT hr(DWORD value) noexcept
{
    return static_cast<HRESULT>(value);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = hr(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = hr(0x80004002);
inline constexpr HRESULT E_POINTER = hr(0x80004003);
inline constexpr HRESULT E_ABORT = hr(0x80004004);
inline constexpr HRESULT E_FAIL = hr(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = hr(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = hr(0x80070005);
inline constexpr HRESULT E_HANDLE = hr(0x80070006);
inline constexpr HRESULT E_OUTOFMEMORY = hr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = hr(0x80070057);

inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hr(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = hr(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = hr(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = hr(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = hr(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = hr(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = hr(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = hr(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = hr(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = hr(0x8002000B);
inline constexpr HRESULT DISP_E_UNKNOWNLCID = hr(0x8002000C);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = hr(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hr(0x8002000F);
inline constexpr HRESULT DISP_E_NOTACOLLECTION = hr(0x80020011);
inline constexpr HRESULT DISP_E_DIVBYZERO = hr(0x80020012);

inline constexpr HRESULT TYPE_E_IOERROR = hr(0x80028CA2);
inline constexpr HRESULT TYPE_E_INVDATAREAD = hr(0x80028018);
inline constexpr HRESULT TYPE_E_UNSUPFORMAT = hr(0x80028019);
inline constexpr HRESULT TYPE_E_REGISTRYACCESS = hr(0x8002801C);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = hr(0x8002801D);
inline constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = hr(0x8002802B);
inline constexpr HRESULT TYPE_E_CANTLOADLIBRARY = hr(0x80029C4A);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = hr(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hr(0x80040111);
inline constexpr HRESULT REGDB_E_READREGDB = hr(0x80040150);
inline constexpr HRESULT REGDB_E_WRITEREGDB = hr(0x80040151);
inline constexpr HRESULT REGDB_E_KEYMISSING = hr(0x80040152);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = hr(0x80040154);
inline constexpr HRESULT REGDB_E_IIDNOTREG = hr(0x80040155);
inline constexpr HRESULT CO_E_NOTINITIALIZED = hr(0x800401F0);
inline constexpr HRESULT CO_E_CLASSSTRING = hr(0x800401F3);
inline constexpr HRESULT CO_E_DLLNOTFOUND = hr(0x800401F8);
inline constexpr HRESULT CO_E_ERRORINDLL = hr(0x800401F9);
inline constexpr HRESULT CO_E_OBJNOTCONNECTED = hr(0x800401FD);

inline constexpr HRESULT CONNECT_E_NOCONNECTION = hr(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = hr(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = hr(0x80040202);
inline constexpr HRESULT CONNECT_E_OVERRIDDEN = hr(0x80040203);

inline constexpr HRESULT SELFREG_E_TYPELIB = hr(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = hr(0x80040201);

inline constexpr HRESULT OLE_E_BLANK = hr(0x80040007);

inline constexpr HRESULT STG_E_INVALIDFUNCTION = hr(0x80030001);
inline constexpr HRESULT STG_E_FILENOTFOUND = hr(0x80030002);
inline constexpr HRESULT STG_E_ACCESSDENIED = hr(0x80030005);
inline constexpr HRESULT STG_E_INSUFFICIENTMEMORY = hr(0x80030008);
inline constexpr HRESULT STG_E_INVALIDPOINTER = hr(0x80030009);
inline constexpr HRESULT STG_E_SEEKERROR = hr(0x80030019);
inline constexpr HRESULT STG_E_WRITEFAULT = hr(0x8003001D);
inline constexpr HRESULT STG_E_READFAULT = hr(0x8003001E);
inline constexpr HRESULT STG_E_FILEALREADYEXISTS = hr(0x80030050);
inline constexpr HRESULT STG_E_INVALIDPARAMETER = hr(0x80030057);
inline constexpr HRESULT STG_E_MEDIUMFULL = hr(0x80030070);
inline constexpr HRESULT STG_E_INVALIDNAME = hr(0x800300FC);
inline constexpr HRESULT STG_E_INVALIDFLAG = hr(0x800300FF);

// Win32 codes reported by the library loader, as HRESULTs: the same values the Windows
// registration tool reports for a library that cannot be loaded and an entry point that is missing.
inline constexpr LONG ERROR_MOD_NOT_FOUND = 126;
inline constexpr LONG ERROR_PROC_NOT_FOUND = 127;
inline constexpr LONG ERROR_BAD_EXE_FORMAT = 193;
