#include "tests/uninstaller/test_support.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace uninstaller_test {

using uninstaller::engine::KeyAccess;

int FaultyFileSystem::removeFile(const std::string &path)
{
    const auto found = removeErrors.find(path);
    return found != removeErrors.end() ? found->second : m_real->removeFile(path);
}

int FaultyFileSystem::removeFolder(const std::string &path)
{
    const auto found = removeErrors.find(path);
    return found != removeErrors.end() ? found->second : m_real->removeFolder(path);
}

int FaultyFileSystem::replaceWithCopy(const std::string &source, const std::string &target)
{
    const auto found = restoreErrors.find(target);
    return found != restoreErrors.end() ? found->second : m_real->replaceWithCopy(source, target);
}

KeyAccess FaultyRegistry::openForChange(HKEY root, const std::string &path)
{
    const KeyAccess real = StoreRegistryAccess::openForChange(root, path);
    return real == KeyAccess::Granted && (denyChange.count(path) || denyRead.count(path))
        ? KeyAccess::Denied
        : real;
}

bool FaultyRegistry::canRead(HKEY root, const std::string &path)
{
    return !denyRead.count(path) && StoreRegistryAccess::canRead(root, path);
}

LONG FaultyRegistry::deleteKey(HKEY root, const std::string &path)
{
    return denyChange.count(path) ? ERROR_ACCESS_DENIED
                                  : StoreRegistryAccess::deleteKey(root, path);
}

uninstaller::engine::SharedFileAnswer ScriptedQuestion::ask(const std::string &path)
{
    asked.push_back(path); // the tests compare what was asked with what they scripted
    if (answers.empty())
        return uninstaller::engine::SharedFileAnswer::No;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

void writeFile(const std::string &path, const std::string &content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool exists(const std::string &path)
{
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() !=
        std::filesystem::file_type::not_found &&
        !ec;
}

Snapshot takeSnapshot(const std::string &folder)
{
    Snapshot snapshot;
    namespace fs = std::filesystem;
    for (const auto &entry : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            snapshot.files[rel] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            snapshot.files[rel] = "<dir>";
        else
            snapshot.files[rel] = readFile(entry.path().string());
    }
    const std::string store = platform::registry::storeDirectory();
    if (fs::exists(store)) {
        for (const auto &entry : fs::directory_iterator(store)) {
            if (entry.path().extension() == ".reg")
                snapshot.registry[entry.path().filename().string()] =
                    readFile(entry.path().string());
        }
    }
    return snapshot;
}

DWORD sharedCount(const std::string &path, bool *present)
{
    DWORD count = 0;
    const LONG rc = platform::registry::readDword(HKEY_LOCAL_MACHINE,
        "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", path, count);
    if (present)
        *present = rc == ERROR_SUCCESS;
    return rc == ERROR_SUCCESS ? count : 0;
}

void setSharedCount(const std::string &path, DWORD count)
{
    ASSERT_EQ(platform::registry::writeDword(HKEY_LOCAL_MACHINE,
                  "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", path, count),
        ERROR_SUCCESS);
}

bool keyExists(HKEY root, const std::string &path)
{
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyEx(root, path.c_str(), 0, KEY_READ, &key);
    if (key)
        RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool valueExists(HKEY root, const std::string &path, const std::string &name)
{
    std::string value; // the tests write text values only
    return platform::registry::readString(root, path, name, value) == ERROR_SUCCESS;
}

std::vector<std::string> pendingDeletions()
{
    uninstaller::engine::StoreRegistryAccess store;
    std::vector<std::string> paths;
    for (const auto &[name, value] :
        store.stringValues(HKEY_LOCAL_MACHINE, "Software\\Bidlark\\Uninstaller\\PendingDeletions"))
        paths.push_back(value);
    return paths;
}

uninstall_log_writer::RegistryNode &deletedChild(
    uninstall_log_writer::RegistryNode &parent, const std::string &name)
{
    uninstall_log_writer::RegistryNode &child = parent.child(name);
    parent.findSubkey(name)->deleteFlag = 1;
    return child;
}

uninstall_log_writer::LogDescription uiDescription(const std::string &product)
{
    uninstall_log_writer::LogDescription d;
    d.userInterface = true;
    d.messages = uninstall_log_writer::defaultMessages();
    d.windowTemplate = uninstall_log_writer::defaultWindowTemplate();
    d.productName = product;
    return d;
}

std::string builtUninstaller()
{
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    return std::string(bin ? bin : ".") + "/uninstaller";
}

QString executableScratch()
{
    return QString::fromLocal8Bit(qgetenv("BIDLARK_BIN_DIR")) + "/../uninstaller-test-XXXXXX";
}

uninstall_log_writer::LogDescription installProduct(
    const std::string &root, const std::string &product, bool ui)
{
    writeFile(root + "/app/bin/tool", "program");
    writeFile(root + "/app/share/readme", "text");
    writeFile(root + "/lib/libshared.so", "library");
    writeFile(root + "/etc/app.conf", "installed");
    writeFile(root + "/backup/app.conf", "original");
    setSharedCount(root + "/lib/libshared.so", 1);
    EXPECT_EQ(
        platform::registry::writeString(HKEY_CURRENT_USER, "Software\\" + product, "Path", root),
        ERROR_SUCCESS);

    uninstall_log_writer::LogDescription d = uiDescription(product);
    d.userInterface = ui;
    d.shared = { root + "/lib/libshared.so" };
    const auto state = uninstaller::engine::makePosixFileSystem()->inspect(root + "/etc/app.conf");
    d.backups = { uninstall_log_writer::backupLine(
        root + "/backup/app.conf", root + "/etc/app.conf", 0, 0, state.lastWriteTime) };
    d.files = { root + "/app/bin/tool", root + "/app/share/readme" };
    d.directories = { root + "/app/bin", root + "/app/share", root + "/app", root + "/backup" };
    d.hasRegistry = true;
    deletedChild(d.registry[1].child("Software"), product).values = { { "Path", 1 } };
    return d;
}

bool productRemoved(const std::string &root, const std::string &product)
{
    return !exists(root + "/app") && !exists(root + "/lib/libshared.so") &&
        !exists(root + "/backup") && readFile(root + "/etc/app.conf") == "installed" &&
        !keyExists(HKEY_CURRENT_USER, "Software\\" + product);
}

void writeUninstaller(
    const uninstall_log_writer::LogDescription &description, const std::string &outputPath)
{
    const auto block = uninstall_log_writer::buildBlock(
        uninstall_log_writer::buildPlainLog(description), uninstall_log_writer::ScrambleKeys {});
    std::string error;
    ASSERT_TRUE(uninstall_log_writer::appendLog(builtUninstaller(), outputPath, block, error))
        << error;
}

} // namespace uninstaller_test
