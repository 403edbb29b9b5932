// Doubles and helpers shared by the uninstaller tests: a file system and a registry that fail on
// the paths a test names (tests run as root, where permission bits stop nothing), recorders for
// programs, components and the shared-file question, and a snapshot of a folder tree and the
// registry store so a test can prove that nothing changed.
#pragma once

#include "platform/registry/registry.h"
#include "tools/uninstall-log/log_writer.h"
#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/registry_access.h"
#include "uninstaller/engine/system_services.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace uninstaller_test {

// The real file system with injected errors: removeFile/removeFolder/replaceWithCopy of a listed
// path return the given errno without touching anything. Current-folder changes are recorded
// rather than made, so the test process never leaves its folder.
class FaultyFileSystem final : public uninstaller::engine::FileSystem {
public:
    std::map<std::string, int> removeErrors;
    std::map<std::string, int> restoreErrors;
    std::vector<std::string> folderChanges;

    int removeFile(const std::string &path) override;
    int removeFolder(const std::string &path) override;
    void clearReadOnly(const std::string &path) override { m_real->clearReadOnly(path); }
    uninstaller::engine::FileState inspect(const std::string &path) override
    {
        return m_real->inspect(path);
    }
    int replaceWithCopy(const std::string &source, const std::string &target) override;
    std::string currentFolder() override { return m_current; }
    void setCurrentFolder(const std::string &path) override
    {
        folderChanges.push_back(path);
        m_current = path;
    }

private:
    std::unique_ptr<uninstaller::engine::FileSystem> m_real =
        uninstaller::engine::makePosixFileSystem();
    std::string m_current = "/start";
};

// The registry store, with keys (paths under any root, compared exactly) that deny change or
// deny reading too.
class FaultyRegistry final : public uninstaller::engine::StoreRegistryAccess {
public:
    std::set<std::string> denyChange;
    std::set<std::string> denyRead;

    uninstaller::engine::KeyAccess openForChange(HKEY root, const std::string &path) override;
    bool canRead(HKEY root, const std::string &path) override;
    LONG deleteKey(HKEY root, const std::string &path) override;
};

class RecordingLauncher final : public uninstaller::engine::ProcessLauncher {
public:
    std::optional<int> exitCode = 0; // nullopt: the command cannot be started
    std::vector<std::string> waited;
    std::vector<std::string> detached; // program and arguments joined by " "

    std::optional<int> runAndWait(const std::string &commandLine) override
    {
        waited.push_back(commandLine);
        return exitCode;
    }
    void startDetached(const std::string &program, const std::vector<std::string> &args) override
    {
        std::string line = program;
        for (const auto &arg : args)
            line += " " + arg;
        detached.push_back(line);
    }
};

class RecordingUnregistrar final : public uninstaller::engine::ComponentUnregistrar {
public:
    std::vector<std::string> calls; // "tlb PATH" or "server PATH"
    void unregisterTypeLibrary(const std::string &path) override { calls.push_back("tlb " + path); }
    void unregisterServer(const std::string &path) override { calls.push_back("server " + path); }
};

class ScriptedQuestion final : public uninstaller::engine::SharedFileQuestion {
public:
    std::deque<uninstaller::engine::SharedFileAnswer> answers;
    std::vector<std::string> asked;
    uninstaller::engine::SharedFileAnswer ask(const std::string &path) override;
};

// Folder tree (relative path -> content, "<dir>" or "-> target") and every registry root file.
struct Snapshot {
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> registry;
    bool operator==(const Snapshot &) const = default;
};
Snapshot takeSnapshot(const std::string &folder);

// Creates `path` with `content`, making its folders.
void writeFile(const std::string &path, const std::string &content);
std::string readFile(const std::string &path);
bool exists(const std::string &path); // lstat: a dangling link exists

DWORD sharedCount(const std::string &path, bool *present = nullptr);
void setSharedCount(const std::string &path, DWORD count);
bool keyExists(HKEY root, const std::string &path);
bool valueExists(HKEY root, const std::string &path, const std::string &name);
std::vector<std::string> pendingDeletions();

// The child `name` of `parent`, created when missing and marked for deletion.
uninstall_log_writer::RegistryNode &deletedChild(
    uninstall_log_writer::RegistryNode &parent, const std::string &name);

// A log description with the standard texts and window, for `product`.
uninstall_log_writer::LogDescription uiDescription(const std::string &product);

// Builds the block of `description` with the default keys and appends it to a copy of the built
// uninstaller at `outputPath`.
void writeUninstaller(
    const uninstall_log_writer::LogDescription &description, const std::string &outputPath);
std::string builtUninstaller();

// A small installed product in `root`: two files in a folder, a shared library with count 1, a
// backed-up configuration file and a registry key; and the log that removes it.
uninstall_log_writer::LogDescription installProduct(
    const std::string &root, const std::string &product, bool ui);
// Everything installProduct made is gone, and the configuration file is the installed one.
bool productRemoved(const std::string &root, const std::string &product);

// A QTemporaryDir template inside the build tree, for programs and libraries a test executes
// (/tmp may be mounted noexec).
QString executableScratch();

// A test with a scratch folder in the build tree.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    std::string path(const std::string &relative) const
    {
        return m_dir.path().toStdString() + "/" + relative;
    }
    QTemporaryDir m_dir { executableScratch() };
};

} // namespace uninstaller_test
