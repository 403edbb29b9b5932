// regsvr: registers or unregisters an in-process component library through its own entry points,
// as the Windows registration tool does.
//
//   regsvr [-s] LIBRARY          calls DllRegisterServer
//   regsvr [-s] -u LIBRARY       calls DllUnregisterServer
//   regsvr -t OUTPUT.tlb LIBRARY writes the type library the component carries to a file
//   regsvr [-s] [-u] --script FILE.rgs [NAME=VALUE ...]
//                                runs one registry script (registers, or with -u removes) with the
//                                given %NAME% replacements, so a script can be tried without its
//                                library; MODULE=PATH also supplies MODULE_RAW
//
// Exit status: 0 done, 1 usage, 3 library or script cannot be read, 4 entry point (or type
// library) missing, 5 the entry point failed (its HRESULT is printed) or the script was refused
// (with its line; a refused script writes nothing).
#include "platform/com/registrar.h"
#include "platform/com/server_module.h"
#include "platform/com/typelib.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: regsvr [-s] [-u] LIBRARY\n"
        "       regsvr -t OUTPUT.tlb LIBRARY\n"
        "       regsvr [-s] [-u] --script FILE.rgs [NAME=VALUE ...]\n");
    return 1;
}

int runScript(const std::string &file, const std::vector<std::string> &replacements,
    bool unregister, bool silent)
{
    platform::com::Registrar registrar;
    for (const std::string &r : replacements) {
        const std::size_t eq = r.find('=');
        if (eq == 0 || eq == std::string::npos)
            return usage();
        registrar.addReplacement(r.substr(0, eq), r.substr(eq + 1));
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    std::string script;
    if (!error && size <= platform::com::kMaxRgsBytes && in)
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (error || !in || script.size() > platform::com::kMaxRgsBytes) {
        std::fprintf(stderr,
            "regsvr: the script %s could not be read (missing, unreadable or over %zu bytes)\n",
            file.c_str(), platform::com::kMaxRgsBytes);
        return 3;
    }
    const HRESULT hr =
        unregister ? registrar.unregisterScript(script) : registrar.registerScript(script);
    if (FAILED(hr)) {
        std::fprintf(stderr, "regsvr: %s: %s (0x%08X)\n", file.c_str(),
            registrar.error().empty() ? "the registry refused a change" : registrar.error().c_str(),
            static_cast<unsigned>(hr));
        return 5;
    }
    if (!silent)
        std::printf(
            "%s of %s succeeded.\n", unregister ? "Unregistration" : "Registration", file.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    bool unregister = false;
    bool silent = false;
    bool exportTypeLib = false;
    std::string typeLibOut;
    std::string library;
    std::string script;
    std::vector<std::string> replacements;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--script" && i + 1 < argc && script.empty())
            script = argv[++i];
        else if (!script.empty() && arg.find('=') != std::string::npos && arg[0] != '-')
            replacements.push_back(arg);
        else if (arg == "-u" || arg == "/u")
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
    if (!script.empty()) {
        if (!library.empty() || exportTypeLib)
            return usage();
        return runScript(script, replacements, unregister, silent);
    }
    // Exporting names its file and does nothing else: no empty name, no unregistering with it.
    if (library.empty() || (exportTypeLib && (typeLibOut.empty() || unregister)))
        return usage();

    if (exportTypeLib) {
        const HRESULT hr = platform::com::exportTypeLib(library, typeLibOut);
        if (hr == TYPE_E_CANTLOADLIBRARY) {
            // A library that loads but carries no type library is not a load failure.
            if (SUCCEEDED(platform::com::loadServerLibrary(library, nullptr))) {
                std::fprintf(
                    stderr, "regsvr: %s holds no type library; nothing written\n", library.c_str());
                return 4;
            }
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
