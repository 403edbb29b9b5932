// Removing a component's registration before its file is deleted.
#include "uninstaller/engine/system_services.h"

#include <dlfcn.h>

namespace uninstaller::engine {

namespace {

using UnregisterServerEntry = std::int32_t (*)();

class ComponentUnregistrarImpl final : public ComponentUnregistrar {
public:
    void unregisterTypeLibrary(const std::string &path) override { (void)path; }

    void unregisterServer(const std::string &path) override
    {
        void *library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!library)
            return;
        if (auto entry =
                reinterpret_cast<UnregisterServerEntry>(::dlsym(library, "DllUnregisterServer")))
            (void)entry();
        ::dlclose(library);
    }
};

} // namespace

std::unique_ptr<ComponentUnregistrar> MakeComponentUnregistrar()
{
    return std::make_unique<ComponentUnregistrarImpl>();
}

} // namespace uninstaller::engine
