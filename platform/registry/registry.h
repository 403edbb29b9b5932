// The registry store: the system registry that settings, component registration and uninstallation
// expect, kept as one REGEDIT4-layout text file per root under one folder ($BIDLARK_REGISTRY_DIR,
// default $XDG_DATA_HOME/bidlark/registry). Every change reaches its file atomically under an
// inter-process lock (flock on registry.lock in the same folder), after re-reading what other
// processes wrote meanwhile. The folder is kept 0700 and the files 0600: settings hold passwords.
// Text with a line break, another control character or bytes that are not UTF-8 is stored as
// hex(1): (its UTF-8 bytes and NUL), since a quoted REGEDIT4 string cannot carry it on one line.
//
// The calls have the shape of the Win32 registry functions and return Win32 error codes. Names are
// UTF-8, case-insensitive and case-preserving; the default value has the empty name.
#pragma once

#include "platform/wintypes.h"

#include <optional>
#include <string>
#include <string_view>

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
inline constexpr LONG ERROR_OUTOFMEMORY = 14;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016; // the disk refused a read or write
inline constexpr LONG ERROR_KEY_DELETED = 1018; // the key behind an open handle is gone
inline constexpr LONG ERROR_UNSUPPORTED_TYPE = 1630; // readString/readDword on another type

// Value types. REG_SZ is text and REG_DWORD four bytes; every other type is kept as raw bytes, so
// foreign data found in a file is written back unchanged.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

// Access rights and options (each call checks the one right it needs; see below).
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

// A handle names a key by its path, not by a snapshot: it sees what other processes write, and once
// its key has been deleted (by anyone) every call on it gives ERROR_KEY_DELETED. Access is checked
// per call against samDesired: KEY_QUERY_VALUE, KEY_SET_VALUE, KEY_CREATE_SUB_KEY and
// KEY_ENUMERATE_SUB_KEYS; a key opened with KEY_READ gives ERROR_ACCESS_DENIED on writes.
//
// Every call that reads takes the store's shared lock and re-reads the root's file only when it
// changed; every change takes the exclusive lock, re-reads, applies and replaces the file
// atomically. A root whose file is malformed gives ERROR_REGISTRY_CORRUPT and its file is never
// rewritten; a file that cannot be read or written gives ERROR_ACCESS_DENIED.

// Opens an existing key below `key` (a root or an open key). `subKey` may be null or empty to open
// `key` itself again. On failure *result is set to null.
LONG RegOpenKeyEx(
    HKEY key, const char *subKey, DWORD options, REGSAM samDesired, PHKEY result) noexcept;

// Opens a key, creating it and any missing parents. `disposition` (may be null) tells which
// happened.
LONG RegCreateKeyEx(HKEY key, const char *subKey, DWORD reserved, char *className, DWORD options,
    REGSAM samDesired, void *securityAttributes, PHKEY result, DWORD *disposition) noexcept;

LONG RegCloseKey(HKEY key) noexcept;

// REG_SZ data is the UTF-8 text with its terminating NUL (cbData counts it; a missing NUL is
// added); REG_DWORD is exactly 4 bytes, anything else ERROR_INVALID_PARAMETER. Names are
// single-line: a key or value name with CR or LF, or longer than 255 (key) or 16383 (value)
// characters, is refused.
LONG RegSetValueEx(HKEY key, const char *valueName, DWORD reserved, DWORD type, const BYTE *data,
    DWORD cbData) noexcept;

// With data null, only *cbData (the size needed) and *type are reported. A buffer that is too small
// gives ERROR_MORE_DATA with *cbData set to the size needed.
LONG RegQueryValueEx(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, BYTE *data,
    DWORD *cbData) noexcept;

LONG RegDeleteValue(HKEY key, const char *valueName) noexcept;

// Deletes a key that has no subkeys; a key with subkeys gives ERROR_ACCESS_DENIED.
LONG RegDeleteKey(HKEY key, const char *subKey) noexcept;

// Enumerations end with ERROR_NO_MORE_ITEMS. Subkeys come in case-insensitive name order, values in
// the order they were created. Name buffers count bytes of UTF-8 including the NUL; on success the
// count is set without the NUL. A buffer that is too small gives ERROR_MORE_DATA and the size
// needed (with the NUL) in the count, since there is no RegQueryInfoKey to ask for it beforehand.
LONG RegEnumKeyEx(HKEY key, DWORD index, char *name, DWORD *cchName, DWORD *reserved,
    char *className, DWORD *cchClassName, void *lastWriteTime) noexcept;
LONG RegEnumValue(HKEY key, DWORD index, char *valueName, DWORD *cchValueName, DWORD *reserved,
    DWORD *type, BYTE *data, DWORD *cbData) noexcept;

namespace platform::registry {

// Convenience calls over the functions above for the common case of one value under one path
// ("Software\\VB and VBA Program Settings\\..."). They return the Win32 error code. Each is one
// locked step: writeString creates missing keys and sets the value in a single file replacement.
// readString gives the text without its terminating NUL and ERROR_UNSUPPORTED_TYPE for a value that
// is not REG_SZ or REG_EXPAND_SZ; readDword needs a 4-byte REG_DWORD. `value` is left alone on
// failure.
LONG readString(
    HKEY root, const std::string &path, const std::string &name, std::string &value) noexcept;
LONG writeString(
    HKEY root, const std::string &path, const std::string &name, const std::string &value) noexcept;
LONG readDword(HKEY root, const std::string &path, const std::string &name, DWORD &value) noexcept;
LONG writeDword(HKEY root, const std::string &path, const std::string &name, DWORD value) noexcept;

// Makes the changes this process makes while it lives one write per root file, under one hold of
// the store's lock. Registering a component makes hundreds of changes, and each would otherwise
// rewrite and flush its whole root file. Other processes wait for the lock meanwhile, so keep a batch
// short. Batches nest; the outermost one writes. Changes are visible to this process at once; a root
// whose final write fails keeps its old file, and close() (or the destructor, silently) reports the
// first such failure. Without a usable store folder every change just takes its own lock as usual.
class ChangeBatch {
public:
    ChangeBatch();
    ~ChangeBatch();
    ChangeBatch(const ChangeBatch &) = delete;
    ChangeBatch &operator=(const ChangeBatch &) = delete;
    // Ends the batch early; later calls return ERROR_SUCCESS.
    LONG close() noexcept;

private:
    bool m_open = true;
};

// Whether two key or value names name the same thing to the store (case-insensitive, Unicode case
// folding for valid UTF-8).
bool namesEqual(std::string_view a, std::string_view b);

// The folder that holds the root files: $BIDLARK_REGISTRY_DIR, else
// $XDG_DATA_HOME/bidlark/registry, else ~/.local/share/bidlark/registry.
std::string storeDirectory();

} // namespace platform::registry
