// libarbor's four entry points: the class factories of the served classes, the unload answer, and
// registration of every served class's script and of the type library the module carries.
#include "arbor/control/logging.h"
#include "arbor/server/classtable.h"
#include "arbor/typelib.h"
#include "platform/com/boundary.h"
#include "platform/com/registrar.h"
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cctype>
#include <mutex>

using namespace platform::com;
using arbor::server::servedClasses;

BIDLARK_EMBED_TYPELIB(arbor::typelib::kArborLib);

namespace {

std::string modulePath()
{
    return modulePathOf(reinterpret_cast<const void *>(&modulePath));
}

bool sameText(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
            std::tolower(static_cast<unsigned char>(y));
    });
}

const RgsValue *childDefault(const RgsKey &key, const char *child)
{
    for (const RgsKey &c : key.children)
        if (sameText(c.name, child) && c.defaultValue)
            return &*c.defaultValue;
    return nullptr;
}

// Whether the registry's `key\child` default value is there and says something else.
bool registryDiffers(const std::string &key, const char *child, const std::string &ours)
{
    std::string theirs;
    return platform::registry::readString(HKEY_CLASSES_ROOT, key + "\\" + child, "", theirs) ==
        ERROR_SUCCESS &&
        !sameText(theirs, ours);
}

// Some of our ProgIDs are generic ("General.General"): another server may have registered the
// same name since. Removal leaves alone a ProgID key whose CLSID (or CurVer) now names something
// else, and a version-independent key whose CurVer leads to such a key.
void keepForeignProgIds(std::vector<RgsRoot> &roots)
{
    for (RgsRoot &root : roots) {
        if (root.root != HKEY_CLASSES_ROOT)
            continue;
        std::vector<std::string> foreign;
        for (const RgsKey &k : root.keys) {
            const RgsValue *clsid = childDefault(k, "CLSID");
            const RgsValue *curVer = childDefault(k, "CurVer");
            if ((clsid && registryDiffers(k.name, "CLSID", clsid->text)) ||
                (curVer && registryDiffers(k.name, "CurVer", curVer->text)))
                foreign.push_back(k.name);
        }
        for (const RgsKey &k : root.keys) {
            const RgsValue *curVer = childDefault(k, "CurVer");
            if (curVer && std::any_of(foreign.begin(), foreign.end(), [&](const std::string &f) {
                    return sameText(f, curVer->text);
                }))
                foreign.push_back(k.name);
        }
        std::erase_if(root.keys, [&](const RgsKey &k) {
            return std::any_of(foreign.begin(), foreign.end(),
                [&](const std::string &f) { return sameText(f, k.name); });
        });
    }
}

HRESULT unregisterScript(Registrar &registrar, const std::string &script)
{
    std::vector<RgsRoot> roots;
    const HRESULT hr = registrar.parse(script, roots);
    if (FAILED(hr))
        return hr;
    keepForeignProgIds(roots);
    return registrar.unregisterRoots(roots);
}

HRESULT runScripts(bool unregister) noexcept
{
    return guarded([&] {
        Registrar registrar;
        registrar.addReplacement("MODULE", modulePath());
        HRESULT first = S_OK;
        for (const auto &served : servedClasses()) {
            const std::optional<std::string> script = arbor::server::registryScript(served.script);
            HRESULT hr = script ? S_OK : SELFREG_E_CLASS;
            if (script)
                hr = unregister ? unregisterScript(registrar, *script)
                                : registrar.registerScript(*script);
            if (FAILED(hr) && !unregister)
                return hr;
            if (FAILED(hr) && SUCCEEDED(first))
                first = hr;
        }
        return first;
    });
}

// Factories are made on first request; the platform's factory cache is not thread-safe on its
// own for a first call from two threads, hence one module-wide lock.
std::mutex &factoryLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

BIDLARK_COM_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void **ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const auto &served : servedClasses()) {
        if (*served.clsid == clsid) {
            std::lock_guard guard(factoryLock());
            const HRESULT hr = served.getFactory(riid, ppv);
            qCDebug(arbor::lcControl)
                << "factory of" << served.name << "asked for:" << Qt::hex << hr;
            return hr;
        }
    }
    qCDebug(arbor::lcControl) << "class not served here";
    return CLASS_E_CLASSNOTAVAILABLE;
}

BIDLARK_COM_EXPORT HRESULT DllCanUnloadNow()
{
    return moduleCanUnloadNow();
}

BIDLARK_COM_EXPORT HRESULT DllRegisterServer()
{
    // Hundreds of keys: one write of each root file instead of one per change.
    platform::registry::ChangeBatch batch;
    HRESULT hr = runScripts(false);
    if (SUCCEEDED(hr))
        hr = registerEmbeddedTypeLib(arbor::typelib::kArborLib, modulePath());
    const LONG written = batch.close();
    if (SUCCEEDED(hr) && written != ERROR_SUCCESS)
        hr = HRESULT_FROM_WIN32(written);
    return hr;
}

// Removal goes on past failures and always succeeds; the type library stays registered, as other
// modules of the same library may still describe themselves by it.
BIDLARK_COM_EXPORT HRESULT DllUnregisterServer()
{
    platform::registry::ChangeBatch batch;
    (void)runScripts(true);
    return S_OK;
}
