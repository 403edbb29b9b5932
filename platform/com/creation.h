// Object creation by class identifier. A class is found under
// HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 in the registry store (or among the class objects
// registered in this process); its library is loaded once and asked for the class factory through
// its exported DllGetClassObject.
#pragma once

#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"

#include <string>

using CLSCTX = DWORD;
inline constexpr CLSCTX CLSCTX_INPROC_SERVER = 0x1;
inline constexpr CLSCTX CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr CLSCTX CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr CLSCTX CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr CLSCTX CLSCTX_ALL = 0x17;

inline constexpr DWORD REGCLS_SINGLEUSE = 0;
inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;

inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_MULTITHREADED = 0x0;

// Apartments are not modelled: every object is called on the thread that uses it. These succeed so
// that code written for Windows runs unchanged.
[[nodiscard]] HRESULT CoInitialize(void *reserved) noexcept;
[[nodiscard]] HRESULT CoInitializeEx(void *reserved, DWORD coInit) noexcept;
void CoUninitialize() noexcept;
[[nodiscard]] HRESULT OleInitialize(void *reserved) noexcept;
void OleUninitialize() noexcept;

// Errors: REGDB_E_CLASSNOTREG for a class with no registration (or no InprocServer32 path);
// CO_E_DLLNOTFOUND when the registered library cannot be loaded; CO_E_ERRORINDLL when it has no
// DllGetClassObject; otherwise what the library's factory returns. *ppv is zeroed first.
[[nodiscard]] HRESULT CoGetClassObject(
    REFCLSID rclsid, CLSCTX context, void *serverInfo, REFIID riid, void **ppv) noexcept;
[[nodiscard]] HRESULT CoCreateInstance(
    REFCLSID rclsid, IUnknown *outer, CLSCTX context, REFIID riid, void **ppv) noexcept;

// Class objects of this process, found before the registry (cookie 0 is never valid).
[[nodiscard]] HRESULT CoRegisterClassObject(
    REFCLSID rclsid, IUnknown *classObject, CLSCTX context, DWORD flags, DWORD *cookie) noexcept;
[[nodiscard]] HRESULT CoRevokeClassObject(DWORD cookie) noexcept;

// HKEY_CLASSES_ROOT\ProgID\CLSID, or when missing, the ProgID named by ProgID\CurVer (followed at
// most a few times). CO_E_CLASSSTRING for an unknown ProgID.
[[nodiscard]] HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID *clsid) noexcept;
// HKEY_CLASSES_ROOT\CLSID\{clsid}\ProgID; the string is freed with CoTaskMemFree.
// REGDB_E_CLASSNOTREG when the class has no ProgID.
[[nodiscard]] HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR *progId) noexcept;
// "{...}" text, or a ProgID; CO_E_CLASSSTRING when it is neither.
[[nodiscard]] HRESULT CLSIDFromString(LPCOLESTR text, CLSID *clsid) noexcept;
[[nodiscard]] HRESULT IIDFromString(LPCOLESTR text, IID *iid) noexcept;
// Writes "{...}" and its NUL; returns the characters written including the NUL, 0 when the
// buffer is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) noexcept;
[[nodiscard]] HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR *text) noexcept;
#define StringFromIID StringFromCLSID

// Lets libraries whose DllCanUnloadNow says yes be released. Libraries stay mapped (see
// server_module.h), so this only records which are idle.
void CoFreeUnusedLibraries() noexcept;

namespace platform::com {

// The registered InprocServer32 path of a class; "" when there is none.
std::string inprocServerPath(REFCLSID clsid);

template <class T> [[nodiscard]] HRESULT createInstance(REFCLSID clsid, ComPtr<T> &out) noexcept
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::iid, out.voidOut());
}

} // namespace platform::com
