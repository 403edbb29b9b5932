// Loading of in-process component libraries. A library is keyed by its real path (symbolic links
// and relative spellings name the same entry), loaded once with RTLD_NODELETE and never unloaded:
// unloading code that Qt, a sanitizer or a cached function pointer still references would crash.
#pragma once

#include "platform/com/hresult.h"

#include <string>

namespace platform::com {

// Loads `libraryPath` (through the cache) and calls its DllRegisterServer, or DllUnregisterServer
// when `unregister` is set. Returns what the entry point returns, or
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND) when the library cannot be found or loaded, and
// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) when the entry point is missing. No GUI object is
// needed.
[[nodiscard]] HRESULT CallServerRegistration(
    const std::string &libraryPath, bool unregister) noexcept;

// The loader's message for the last load or lookup failure of the calling thread ("" if none).
std::string lastServerLoadError();

// The address of a named exported function of a loaded (or loadable) library; null with the
// status in *status (the two HRESULTs above) when the library or symbol is missing.
void *serverEntryPoint(const std::string &libraryPath, const char *name, HRESULT *status) noexcept;

// Loads a library through the cache; its real path (the cache key) in *realPath.
[[nodiscard]] HRESULT loadServerLibrary(
    const std::string &libraryPath, std::string *realPath) noexcept;

// The real path of the loaded library that contains `address` (a function or object of it);
// "" when it cannot be told. Component libraries use it for %MODULE%.
std::string modulePathOf(const void *address);

// Asks every loaded library's DllCanUnloadNow; libraries that answer S_OK are marked idle.
// Nothing is unloaded (see above). Returns the number of idle libraries.
int pollUnusedLibraries() noexcept;

} // namespace platform::com
