// The removal engine: given a validated log, undoes an installation phase by phase and collects
// what it could not remove. The front end calls the phases in the order they are declared, with a
// progress mark after each of the first five, and decides about the restart at the end.
//
// Texts from the log (paths, key names) are Windows-1252 bytes; they are converted to UTF-8 where
// they reach the file system or the registry store. The failure lists keep the log's bytes so the
// front end shows exactly what the log named.
#pragma once

#include "uninstaller/engine/file_system.h"
#include "uninstaller/engine/registry_access.h"
#include "uninstaller/engine/system_services.h"
#include "uninstaller/log/byte_reader.h"
#include "uninstaller/log/uninstall_log.h"

#include <functional>
#include <string>
#include <vector>

namespace uninstaller::engine {

inline constexpr const char *kSharedDllsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

struct EngineOptions {
    bool silent = false;
    bool keepSelf = false; // "/NOREMOVE": the uninstaller's own file stays
};

// Everything the engine acts through. All references must outlive the engine.
struct EngineServices {
    FileSystem &files;
    RegistryAccess &registry;
    ProcessLauncher &processes;
    ComponentUnregistrar &components;
    // May be null in silent mode, where the question is never asked.
    SharedFileQuestion *sharedQuestion = nullptr;
    // Lets pending window events run while a phase waits; may be empty.
    std::function<void()> pumpEvents;
};

class RemovalEngine {
public:
    // `ownFilePath` is the uninstaller's own file (UTF-8), scheduled for deletion unless keepSelf.
    RemovalEngine(const log::UninstallLog &log, std::string ownFilePath, EngineOptions options,
        EngineServices services);

    // Runs the first line's pre-uninstall command when it has one. False: stop without removing.
    bool RunPreUninstallCommand();
    // Walks the registry trees without changing anything: false when a key the log changes may not
    // be changed. True for an empty registry section.
    bool CheckRegistryAccess();
    void ReleaseSharedFiles();
    // `restore` is the answer to the backup question (no in silent mode).
    void RestoreBackups(bool restore);
    void DeleteFiles();
    void RemoveFolders();
    // True when the walk read the registry section to its end; false only if the section was not
    // validated by SplitLog (the reader lost its place).
    bool RemoveRegistry();
    void ScheduleDeletes();

    // Removes a component's registration; `path` is a log text.
    void Unregister(const std::string &path);
    // Records a UTF-8 path for deletion at the next restart.
    bool DeleteAtRestart(const std::string &path); // false when the store refused the record

    // The restart decision: true once when something in use is waiting for a restart, and then
    // clears the flag, so closing twice asks only once.
    bool takeRestartNeeded();
    bool restartNeeded() const { return m_restartNeeded; }

    const std::vector<std::string> &failedFiles() const { return m_failedFiles; }
    const std::vector<std::string> &failedFolders() const { return m_failedFolders; }
    const std::vector<std::string> &failedRegistryKeys() const { return m_failedKeys; }
    const std::vector<std::string> &inUseFiles() const { return m_inUseFiles; }
    bool yesToAll() const { return m_yesToAll; }
    bool noToAll() const { return m_noToAll; }

    // Whether the pre-uninstall command `command` succeeded with `exitCode`: for a batch or command
    // script (".BAT"/".CMD", case-sensitive, with no ".EXE" before it) 0 is success, for anything
    // else a non-zero exit code.
    static bool preUninstallSucceeded(const std::string &command, int exitCode);

private:
    enum class WalkMode { Check, Remove };
    struct Decision {
        std::string path;
        bool keep = false;
    };

    // Every root of the log's registry section in `mode`; false where the walk stops.
    bool walkRegistry(WalkMode mode);
    bool walkNode(log::ByteReader &reader, HKEY root, std::string &keyPath,
        std::vector<std::string> &displayPath, WalkMode mode, int depth);
    void addFailedKey(const std::vector<std::string> &displayPath);
    void recordFileFailure(const std::string &path, int error);
    void keepShared(const std::string &valueName);
    void removeShared(const std::string &path, const std::string &valueName, bool unregister);

    const log::UninstallLog &m_log;
    std::string m_ownFilePath;
    EngineOptions m_options;
    EngineServices m_services;

    std::vector<std::string> m_failedFiles;
    std::vector<std::string> m_failedFolders;
    std::vector<std::string> m_failedKeys;
    std::vector<std::string> m_inUseFiles;
    std::vector<Decision> m_decisions;
    bool m_yesToAll = false;
    bool m_noToAll = false;
    bool m_restartNeeded = false;
};

} // namespace uninstaller::engine
