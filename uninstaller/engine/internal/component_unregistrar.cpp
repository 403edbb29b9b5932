// Removing a component's registration before its file is deleted, through the component object
// layer: a type library's registration comes out of the registry store with the identity, version,
// locale and platform the library itself reports; a component library gets its own
// DllUnregisterServer called (loaded once and never unloaded, as every component library is).
#include "uninstaller/engine/system_services.h"

#include "platform/com/bstr.h"
#include "platform/com/creation.h"
#include "platform/com/server_module.h"
#include "platform/com/typeinfo.h"
#include "platform/com/unknown.h"

namespace uninstaller::engine {

namespace {

class ComponentUnregistrarImpl final : public ComponentUnregistrar {
public:
    void unregisterTypeLibrary(const std::string &path) override
    {
        const std::u16string file = platform::com::utf8ToUtf16(path);
        platform::com::ComPtr<ITypeLib> library;
        if (FAILED(LoadTypeLib(file.c_str(), &library)) || !library)
            return;
        TLIBATTR *attributes = nullptr;
        if (FAILED(library->GetLibAttr(&attributes)) || !attributes)
            return;
        (void)UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum,
            attributes->wMinorVerNum, attributes->lcid, attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }

    void unregisterServer(const std::string &path) override
    {
        // A server's unregistration may create objects of its own; give it an initialised
        // apartment.
        const HRESULT initialised = OleInitialize(nullptr);
        // A file that is no component library (or exports no DllUnregisterServer) is simply left
        // to the deletion that follows.
        (void)platform::com::CallServerRegistration(path, true);
        if (SUCCEEDED(initialised))
            OleUninitialize();
    }
};

} // namespace

std::unique_ptr<ComponentUnregistrar> makeComponentUnregistrar()
{
    return std::make_unique<ComponentUnregistrarImpl>();
}

} // namespace uninstaller::engine
