// regsvr --script on registry scripts that real component libraries shipped (tests/fixtures/rgs),
// and on malformed ones: a clear error with the line, nothing written; and the exit status of
// each way a run can fail.
#include "platform/com/com.h"
#include "platform/com/internal/regutil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace platform::com;

namespace {

std::string readAll(const std::string &path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string fixture(const std::string &name)
{
    const char *source = std::getenv("BIDLARK_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/fixtures/rgs/" + name;
}

// Test processes may share the temporary folder: names carry the process.
std::string temp(const std::string &name)
{
    return (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + "-" + name))
        .string();
}

// Runs regsvr; its standard error in *errors.
int regsvr(const std::string &arguments, std::string *errors = nullptr)
{
    const char *dir = std::getenv("BIDLARK_BIN_DIR");
    const std::string command = "'" + std::string(dir ? dir : ".") + "/regsvr' " + arguments +
        " >/dev/null 2>'" + temp("regsvr.err") + "'";
    const int status = std::system(command.c_str());
    if (errors)
        *errors = readAll(temp("regsvr.err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every key of every root (full paths), and the number of values they hold.
std::size_t collect(HKEY root, const std::string &path, std::vector<std::string> &keys)
{
    std::size_t values = detail::valueNames(root, path).size();
    for (const std::string &child : detail::subkeyNames(root, path)) {
        const std::string full = path.empty() ? child : path + "\\" + child;
        keys.push_back(full);
        values += collect(root, full, keys);
    }
    return values;
}

const HKEY kRoots[] = { HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS };

TEST(RegsvrScript, RealScriptsRegisterAndUnregisterToAnEmptyTree)
{
    const std::string clsid = "{6B1F00AA-0000-4000-8000-0000000000AA}";
    const struct {
        const char *file;
        std::string replacements;
        HKEY root; // one value the registration must have written
        std::string key, name, expected;
    } scripts[] = {
        { "winmerge_shell.rgs", "MODULE=/opt/wm/shell.so", HKEY_CLASSES_ROOT,
            "Directory\\Background\\ShellEx\\ContextMenuHandlers\\WinMerge", "",
            "{4E716236-AA30-4C65-B225-D68BBA81E9C2}" },
        { "winmerge_loader.rgs", "MODULE=/opt/wm/proxy", HKEY_CLASSES_ROOT,
            "CLSID\\{AA6F8426-159F-418E-9FE3-EFB0C46C3DBF}\\LocalServer32", "ServerExecutable",
            "/opt/wm/proxy" },
        { "omaha_bho_dll.rgs", "MODULE=/opt/u/bho.so CLSID=" + clsid + " 'PRODUCT=Up Date'",
            HKEY_LOCAL_MACHINE,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" +
                clsid,
            "", "Up Date Helper" },
        { "omaha_oneclick.rgs",
            "HKROOT=HKCU MODULE=/opt/u/oc.so CLSID=" + clsid +
                " PROGID=Up.OneClick PLUGINDOMAIN=example.org PLUGINPRODUCT=Up PLUGINVERSION=3 "
                "NPONECLICK.DLL=/opt/u/np.so PLUGINDESCRIPTION=Plugin PLUGINVENDOR=Example "
                "PLUGINMIMETYPE=application/x-up SHELLNAME=up SHELLPATH=/opt/u",
            HKEY_CURRENT_USER, "SOFTWARE\\MozillaPlugins\\@example.org/Up;version=3", "Path",
            "/opt/u/np.so" },
        { "omaha_generic_reg_file_dll.rgs", "HKROOT=HKLM MODULE=/opt/u/g.so CLSID=" + clsid,
            HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + clsid + "\\InprocServer32",
            "ThreadingModel", "Both" },
    };
    for (const auto &s : scripts) {
        SCOPED_TRACE(s.file);
        const std::string run = "--script '" + fixture(s.file) + "' " + s.replacements;
        std::string errors, value;
        ASSERT_EQ(regsvr(run, &errors), 0) << errors;
        ASSERT_EQ(regsvr(run, &errors), 0) << errors; // again: rebuilt, nothing doubles
        EXPECT_EQ(platform::registry::readString(s.root, s.key, s.name, value), ERROR_SUCCESS);
        EXPECT_EQ(value, s.expected);
        ASSERT_EQ(regsvr("-u " + run, &errors), 0) << errors;
        // Left: only the containers the script marks NoRemove, holding nothing.
        const std::string text = readAll(fixture(s.file));
        for (HKEY root : kRoots) {
            std::vector<std::string> keys;
            EXPECT_EQ(collect(root, "", keys), 0u);
            for (const std::string &key : keys) {
                const std::string leaf = key.substr(key.rfind('\\') + 1);
                EXPECT_TRUE(text.find("NoRemove " + leaf) != std::string::npos ||
                    text.find("NoRemove '" + leaf + "'") != std::string::npos)
                    << key;
            }
            for (const std::string &child : detail::subkeyNames(root, ""))
                ASSERT_EQ(detail::deleteTree(root, child), ERROR_SUCCESS); // a fresh start
        }
    }
}

TEST(RegsvrScript, FailedRunsNameTheProblemAndWriteNothing)
{
    const struct {
        const char *text;
        const char *message;
    } bad[] = {
        { "HKCR\n{\n  Good.Key = s 'x'\n  Bad.Key = q 'y'\n}\n", "line 4" },
        { "HKCR\n{\n  A = s 'x'\n  B\n  {\n    val V = b '0g'\n  }\n}\n", "line 6" },
        { "HKCR\n{\n  A = s '%NOT_GIVEN%'\n}\n", "line 3: no replacement for %NOT_GIVEN%" },
        { "HKCR\n{\n  A = s 'x'\n  B\n  {\n", "missing '}'" },
    };
    const std::string file = temp("bad.rgs");
    for (const auto &b : bad) {
        std::ofstream(file) << b.text;
        for (const char *mode : { "", "-u " }) {
            std::string errors;
            EXPECT_EQ(regsvr(std::string(mode) + "--script '" + file + "' MODULE=/m", &errors), 5);
            EXPECT_NE(errors.find(b.message), std::string::npos) << errors;
            for (HKEY root : kRoots)
                EXPECT_TRUE(detail::subkeyNames(root, "").empty()) << b.text;
        }
    }
    // Libraries that do not load or serve nothing, and usage errors, each with its own status.
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    const std::string dir = bin ? bin : ".", component = "'" + dir + "/liboletestcontrol.so'";
    const std::pair<std::string, int> runs[] = {
        { "", 1 },
        { "--script '" + file + "' =x", 1 },
        { "-t '' " + component, 1 },
        { "-u -t out.tlb " + component, 1 },
        { "--script '" + temp("none.rgs") + "'", 3 },
        { "'" + dir + "/no-such-library.so'", 3 },
        { "-t out.tlb '" + dir + "/no-such-library.so'", 3 },
        { "'" + dir + "/libbidlark-platform.so'", 4 },
    };
    for (const auto &[arguments, status] : runs)
        EXPECT_EQ(regsvr(arguments), status) << arguments;
    EXPECT_EQ(CallServerRegistration(dir + "/no-such-library.so", false),
        HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(CallServerRegistration(dir + "/libbidlark-platform.so", true),
        HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));

    // A library that loads but carries no type library is told apart from one that does not load.
    std::string errors;
    EXPECT_EQ(regsvr("-t '" + temp("out.tlb") + "' '" + dir + "/libbidlark-platform.so'", &errors),
        4);
    EXPECT_NE(errors.find("holds no type library"), std::string::npos) << errors;
}

} // namespace
