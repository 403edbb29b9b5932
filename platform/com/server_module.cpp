#include "platform/com/server_module.h"

#include "platform/com/internal/logging.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>

namespace platform::com {

Q_LOGGING_CATEGORY(lcCom, "bidlark.com", QtInfoMsg)

namespace {

struct LoadedLibrary {
    void *handle = nullptr;
    bool idle = false;
};

std::mutex &cacheMutex()
{
    static std::mutex m;
    return m;
}

std::map<std::string, LoadedLibrary> &cache()
{
    static std::map<std::string, LoadedLibrary> c;
    return c;
}

thread_local std::string t_lastError;

void *loadLibrary(
    const std::string &path, HRESULT *status, std::string *realPath = nullptr) noexcept
{
    try {
        char real[PATH_MAX];
        if (path.empty() || !::realpath(path.c_str(), real)) {
            t_lastError = path + ": no such file";
            qCDebug(lcCom) << "no library" << path.c_str();
            *status = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        std::lock_guard lock(cacheMutex());
        auto &entry = cache()[real];
        if (!entry.handle) {
            ::dlerror();
            entry.handle = ::dlopen(real, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
            if (entry.handle)
                qCDebug(lcCom) << "loaded" << real;
            if (!entry.handle) {
                const char *why = ::dlerror();
                t_lastError = why ? why : (std::string(real) + ": cannot be loaded");
                qCDebug(lcCom) << "cannot load" << real << t_lastError.c_str();
                cache().erase(real);
                *status = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
                return nullptr;
            }
        }
        entry.idle = false;
        if (realPath)
            *realPath = real;
        *status = S_OK;
        return entry.handle;
    } catch (const std::bad_alloc &) {
        *status = E_OUTOFMEMORY;
        return nullptr;
    } catch (...) {
        *status = E_UNEXPECTED; // a fault of ours, not a lack of memory
        return nullptr;
    }
}

} // namespace

void *serverEntryPoint(const std::string &libraryPath, const char *name, HRESULT *status) noexcept
{
    HRESULT local;
    HRESULT &hr = status ? *status : local;
    void *handle = loadLibrary(libraryPath, &hr);
    if (!handle)
        return nullptr;
    ::dlerror();
    void *symbol = ::dlsym(handle, name);
    if (!symbol) {
        try {
            t_lastError = libraryPath + ": no entry point " + name;
            qCDebug(lcCom) << "no entry point" << name << "in" << libraryPath.c_str();
        } catch (...) {
        }
        hr = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    hr = S_OK;
    return symbol;
}

HRESULT CallServerRegistration(const std::string &libraryPath, bool unregister) noexcept
{
    HRESULT hr;
    void *entry = serverEntryPoint(
        libraryPath, unregister ? "DllUnregisterServer" : "DllRegisterServer", &hr);
    if (!entry)
        return hr;
    return reinterpret_cast<HRESULT (*)()>(entry)();
}

HRESULT loadServerLibrary(const std::string &libraryPath, std::string *realPath) noexcept
{
    HRESULT hr;
    loadLibrary(libraryPath, &hr, realPath);
    return hr;
}

std::string lastServerLoadError()
{
    return t_lastError;
}

std::string modulePathOf(const void *address)
{
    Dl_info info {};
    if (!::dladdr(address, &info) || !info.dli_fname)
        return {};
    char real[PATH_MAX];
    if (!::realpath(info.dli_fname, real))
        return info.dli_fname;
    return real;
}

int pollUnusedLibraries() noexcept
{
    std::lock_guard lock(cacheMutex());
    int idle = 0;
    for (auto &[path, entry] : cache()) {
        auto canUnload = reinterpret_cast<HRESULT (*)()>(::dlsym(entry.handle, "DllCanUnloadNow"));
        entry.idle = canUnload && canUnload() == S_OK;
        idle += entry.idle ? 1 : 0;
    }
    return idle;
}

} // namespace platform::com
