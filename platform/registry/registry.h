// The registry store: the system registry that settings, component registration and uninstallation
// expect, kept as one REGEDIT4-layout text file per root under one folder ($BIDLARK_REGISTRY_DIR,
// default $XDG_DATA_HOME/bidlark/registry). Every change reaches its file atomically under an
// inter-process lock, after re-reading what other processes wrote meanwhile.
//
// The calls have the shape of the Win32 registry functions and return Win32 error codes. Names are
// UTF-8, case-insensitive and case-preserving; the default value has the empty name.
#pragma once

#include "platform/wintypes.h"

#include <optional>
#include <string>

struct HKEY__;
using HKEY = HKEY__ *;
using PHKEY = HKEY *;
using REGSAM = DWORD;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u)))

// Win32 error codes the store returns.
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;

// Value types. Only REG_SZ and REG_DWORD are read and written by the calls below; every other type
// found in a file is kept and written back unchanged.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights and options (the store checks read against write access only).
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below `key` (a root or an open key). `subKey` may be null or empty to open
// `key` itself again. On failure *result is set to null.
LONG RegOpenKeyEx(HKEY key, const char *subKey, DWORD options, REGSAM samDesired, PHKEY result);

// Opens a key, creating it and any missing parents. `disposition` (may be null) tells which happened.
LONG RegCreateKeyEx(HKEY key, const char *subKey, DWORD reserved, char *className, DWORD options,
                    REGSAM samDesired, void *securityAttributes, PHKEY result, DWORD *disposition);

LONG RegCloseKey(HKEY key);

// REG_SZ data is the UTF-8 text with its terminating NUL (cbData counts it); REG_DWORD is 4 bytes.
LONG RegSetValueEx(HKEY key, const char *valueName, DWORD reserved, DWORD type, const BYTE *data,
                   DWORD cbData);

// With data null, only *cbData (the size needed) and *type are reported. A buffer that is too small
// gives ERROR_MORE_DATA with *cbData set to the size needed.
LONG RegQueryValueEx(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, BYTE *data,
                     DWORD *cbData);

LONG RegDeleteValue(HKEY key, const char *valueName);

// Deletes a key that has no subkeys; a key with subkeys gives ERROR_ACCESS_DENIED.
LONG RegDeleteKey(HKEY key, const char *subKey);

// Enumerations end with ERROR_NO_MORE_ITEMS. Name buffers count characters including the NUL;
// a buffer that is too small gives ERROR_MORE_DATA.
LONG RegEnumKeyEx(HKEY key, DWORD index, char *name, DWORD *cchName, DWORD *reserved,
                  char *className, DWORD *cchClassName, void *lastWriteTime);
LONG RegEnumValue(HKEY key, DWORD index, char *valueName, DWORD *cchValueName, DWORD *reserved,
                  DWORD *type, BYTE *data, DWORD *cbData);

namespace platform::registry {

// Convenience calls over the functions above for the common case of one value under one path
// ("Software\\VB and VBA Program Settings\\..."). They return the Win32 error code.
LONG readString(HKEY root, const std::string &path, const std::string &name, std::string &value);
LONG writeString(HKEY root, const std::string &path, const std::string &name, const std::string &value);
LONG readDword(HKEY root, const std::string &path, const std::string &name, DWORD &value);
LONG writeDword(HKEY root, const std::string &path, const std::string &name, DWORD value);

// The folder that holds the root files: $BIDLARK_REGISTRY_DIR, else $XDG_DATA_HOME/bidlark/registry,
// else ~/.local/share/bidlark/registry.
std::string storeDirectory();

} // namespace platform::registry
