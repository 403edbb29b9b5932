// regsvr: registers or unregisters an in-process component library through its own entry points,
// as the Windows registration tool does.
//
//   regsvr [-s] LIBRARY          calls DllRegisterServer
//   regsvr [-s] -u LIBRARY       calls DllUnregisterServer
//   regsvr -t OUTPUT.tlb LIBRARY writes the type library the component carries to a file
//
// Exit status: 0 done, 1 usage, 3 library cannot be loaded, 4 entry point missing, 5 the entry
// point failed (its HRESULT is printed).
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: regsvr [-s] [-u] LIBRARY\n       regsvr -t OUTPUT.tlb LIBRARY\n");
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    bool unregister = false;
    bool silent = false;
    bool exportTypeLib = false;
    std::string typeLibOut;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-u" || arg == "/u")
            unregister = true;
        else if (arg == "-s" || arg == "/s")
            silent = true;
        else if ((arg == "-t" || arg == "/t") && i + 1 < argc) {
            exportTypeLib = true;
            typeLibOut = argv[++i];
        } else if (!arg.empty() && arg[0] == '-')
            return usage();
        else if (library.empty())
            library = arg;
        else
            return usage();
    }
    // Exporting names its file and does nothing else: no empty name, no unregistering with it.
    if (library.empty() || (exportTypeLib && (typeLibOut.empty() || unregister)))
        return usage();

    if (exportTypeLib) {
        const HRESULT hr = platform::com::exportTypeLib(library, typeLibOut);
        if (hr == TYPE_E_CANTLOADLIBRARY) {
            std::fprintf(stderr, "regsvr: the library %s could not be loaded: %s\n",
                library.c_str(), platform::com::lastServerLoadError().c_str());
            return 3;
        }
        if (FAILED(hr)) {
            std::fprintf(stderr, "regsvr: %s: no type library written (0x%08X)\n", library.c_str(),
                static_cast<unsigned>(hr));
            return 5;
        }
        return 0;
    }

    const char *entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const HRESULT hr = platform::com::CallServerRegistration(library, unregister);
    if (hr == HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND)) {
        std::fprintf(stderr, "regsvr: the library %s could not be loaded: %s\n", library.c_str(),
            platform::com::lastServerLoadError().c_str());
        return 3;
    }
    if (hr == HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND)) {
        std::fprintf(stderr, "regsvr: %s was loaded, but the entry point %s was not found.\n",
            library.c_str(), entry);
        return 4;
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s in %s failed with error 0x%08X.\n", entry, library.c_str(),
            static_cast<unsigned>(hr));
        return 5;
    }
    if (!silent)
        std::printf("%s in %s succeeded.\n", entry, library.c_str());
    return 0;
}
