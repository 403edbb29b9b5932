// What the removal engine asks of the rest of the system besides files and the registry: starting
// programs, unregistering components, the shared-file question and the restart. Each is an
// interface so that tests record the calls instead of running programs or restarting anything.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace uninstaller::engine {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Runs a command line (quoted as on a Windows command line, no shell) and waits for it,
    // letting pending events run meanwhile. nullopt when it cannot be started; 1 when its exit
    // code cannot be read (it crashed).
    virtual std::optional<int> runAndWait(const std::string &commandLine) = 0;
    // Starts a program without waiting for it, beyond a short pause that lets it open its file.
    virtual void startDetached(
        const std::string &program, const std::vector<std::string> &args) = 0;
};

// Removing a component's registration before its file goes away.
class ComponentUnregistrar {
public:
    virtual ~ComponentUnregistrar() = default;
    // Removes a type library's registration from the registry store.
    virtual void unregisterTypeLibrary(const std::string &path) = 0;
    // Loads a shared library and calls its DllUnregisterServer when it exports one.
    virtual void unregisterServer(const std::string &path) = 0;
};

enum class SharedFileAnswer { Yes, No, YesToAll, NoToAll };

// The front end's "Remove shared file" question. `path` is the log's text (Windows-1252).
class SharedFileQuestion {
public:
    virtual ~SharedFileQuestion() = default;
    virtual SharedFileAnswer ask(const std::string &path) = 0;
};

// Asks the system to restart. Called only after the user has said yes.
class RestartRequester {
public:
    virtual ~RestartRequester() = default;
    virtual void requestRestart() = 0;
};

std::unique_ptr<ProcessLauncher> makeQtProcessLauncher();
std::unique_ptr<RestartRequester> makeLoginManagerRestart();
// The production unregistrar over the component object layer.
std::unique_ptr<ComponentUnregistrar> makeComponentUnregistrar();

} // namespace uninstaller::engine
