// Fuzz target for the removal engine's registry walk. The input is a registry section; when the
// dry walk accepts it, the check and the removal walk run against an in-memory registry whose
// answers (found, denied, readable, deletable) are derived from each key's path, so stopped nodes
// and skipped remainders are exercised. A walk that loses its place aborts.
#include "uninstaller/engine/removal_engine.h"
#include "uninstaller/log/registry_tree.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <span>

namespace {

using namespace uninstaller::engine;

std::size_t hash(HKEY root, const std::string &path)
{
    return std::hash<std::string> {}(path) ^ reinterpret_cast<std::uintptr_t>(root);
}

class HashedRegistry final : public RegistryAccess {
public:
    KeyAccess openForChange(HKEY root, const std::string &path) override
    {
        switch (hash(root, path) % 4) {
        case 0:
            return KeyAccess::NotFound;
        case 1:
            return KeyAccess::Denied;
        default:
            return KeyAccess::Granted;
        }
    }
    bool canRead(HKEY root, const std::string &path) override { return hash(root, path) % 3 != 0; }
    LONG deleteValue(HKEY, const std::string &, const std::string &) override { return 0; }
    LONG deleteKey(HKEY root, const std::string &path) override
    {
        return hash(root, path) % 5 == 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    }
    LONG readDword(HKEY, const std::string &, const std::string &, DWORD &) override
    {
        return ERROR_FILE_NOT_FOUND;
    }
    LONG writeDword(HKEY, const std::string &, const std::string &, DWORD) override { return 0; }
    LONG writeString(HKEY, const std::string &, const std::string &, const std::string &) override
    {
        return 0;
    }
    std::vector<std::pair<std::string, std::string>> stringValues(
        HKEY, const std::string &) override
    {
        return {};
    }
};

// The walk touches neither files nor programs; these refuse loudly if it ever does.
class NoFiles final : public FileSystem {
public:
    int removeFile(const std::string &) override { std::abort(); }
    int removeFolder(const std::string &) override { std::abort(); }
    void clearReadOnly(const std::string &) override { std::abort(); }
    FileState inspect(const std::string &) override { std::abort(); }
    int replaceWithCopy(const std::string &, const std::string &) override { std::abort(); }
    std::string currentFolder() override { return "/"; }
    void setCurrentFolder(const std::string &) override { }
};

class NoPrograms final : public ProcessLauncher, public ComponentUnregistrar {
public:
    std::optional<int> runAndWait(const std::string &) override { std::abort(); }
    void startDetached(const std::string &, const std::vector<std::string> &) override
    {
        std::abort();
    }
    void unregisterTypeLibrary(const std::string &) override { std::abort(); }
    void unregisterServer(const std::string &) override { std::abort(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    if (!uninstaller::log::isRegistrySectionWellFormed(input))
        return 0;
    uninstaller::log::UninstallLog log;
    log.registry.assign(input.begin(), input.end());
    HashedRegistry registry;
    NoFiles files;
    NoPrograms programs;
    RemovalEngine engine(log, "/nowhere", { true, true },
        EngineServices { files, registry, programs, programs, nullptr, {} });
    (void)engine.CheckRegistryAccess();
    if (!engine.RemoveRegistry())
        std::abort();
    return 0;
}
