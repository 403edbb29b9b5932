// regsvr --script on registry scripts that real component libraries shipped (tests/fixtures/rgs),
// and on malformed ones: a clear error with the line, nothing written.
#include "platform/com/com.h"
#include "platform/com/internal/regutil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace platform::com;

namespace {

std::string binDir()
{
    if (const char *dir = std::getenv("BIDLARK_BIN_DIR"))
        return dir;
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string fixture(const std::string &name)
{
    const char *source = std::getenv("BIDLARK_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/fixtures/rgs/" + name;
}

std::string temp(const std::string &name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

// Runs regsvr with `arguments`; its standard error in *errors.
int regsvr(const std::string &arguments, std::string *errors = nullptr)
{
    const std::string errFile = temp("regsvr.err");
    const std::string command =
        "'" + binDir() + "/regsvr' " + arguments + " >/dev/null 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    if (errors) {
        std::ifstream in(errFile);
        std::ostringstream text;
        text << in.rdbuf();
        *errors = text.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const HKEY kRoots[] = { HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS };

// Every key of every root, and how many values they hold between them.
void collect(HKEY root, const std::string &path, std::set<std::string> &keys, std::size_t &values)
{
    values += detail::valueNames(root, path).size();
    for (const std::string &child : detail::subkeyNames(root, path)) {
        const std::string full = path.empty() ? child : path + "\\" + child;
        keys.insert(full);
        collect(root, full, keys, values);
    }
}

struct Tree {
    std::set<std::string> keys;
    std::size_t values = 0;
};

Tree tree()
{
    Tree t;
    for (HKEY root : kRoots)
        collect(root, "", t.keys, t.values);
    return t;
}

std::string readText(HKEY root, const std::string &path, const std::string &name)
{
    std::string value = "<missing>";
    (void)platform::registry::readString(root, path, name, value);
    return value;
}

TEST(RegsvrScript, RealScriptsRegisterAndUnregisterToAnEmptyTree)
{
    const std::string clsid = "{6B1F00AA-0000-4000-8000-0000000000AA}";
    const struct {
        const char *file;
        std::string replacements;
        HKEY root; // one value the registration must have written
        std::string key;
        const char *name;
        std::string expected;
    } scripts[] = {
        { "winmerge_shell.rgs", "MODULE=/opt/wm/ShellExtension.so", HKEY_CLASSES_ROOT,
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
        std::string errors;
        ASSERT_EQ(regsvr(run, &errors), 0) << errors;
        ASSERT_EQ(regsvr(run, &errors), 0) << errors; // again: rebuilt, nothing doubles
        EXPECT_EQ(readText(s.root, s.key, s.name), s.expected);
        ASSERT_EQ(regsvr("-u " + run, &errors), 0) << errors;
        // Only the containers the script never removes may stay, and they hold nothing.
        const Tree left = tree();
        EXPECT_EQ(left.values, 0u);
        std::ifstream in(fixture(s.file));
        std::ostringstream text;
        text << in.rdbuf();
        for (const std::string &key : left.keys) {
            const std::string leaf = key.substr(key.rfind('\\') + 1);
            EXPECT_TRUE(text.str().find("NoRemove " + leaf) != std::string::npos ||
                text.str().find("NoRemove '" + leaf + "'") != std::string::npos)
                << key;
        }
        for (HKEY root : kRoots) // the next script starts from nothing
            for (const std::string &child : detail::subkeyNames(root, ""))
                ASSERT_EQ(detail::deleteTree(root, child), ERROR_SUCCESS);
    }
}

TEST(RegsvrScript, MalformedScriptsNameTheLineAndWriteNothing)
{
    const struct {
        const char *text;
        const char *message;
    } bad[] = {
        { "HKCR\n{\n  Good.Key = s 'x'\n  Bad.Key = q 'y'\n}\n", "line 4" },
        { "HKCR\n{\n  A = s 'x'\n  B\n  {\n    val V = b '0g'\n  }\n}\n", "line 6" },
        { "HKCR\n{\n  A = s '%NOT_GIVEN%'\n}\n", "line 3: no replacement for %NOT_GIVEN%" },
        { "HKCR\n{\n  A = s 'x'\n  B\n  {\n", "missing '}'" },
        { "HKCU { A = s 'unterminated }\n", "unterminated quoted text" },
    };
    for (const auto &b : bad) {
        SCOPED_TRACE(b.text);
        const std::string file = temp("bad.rgs");
        std::ofstream(file) << b.text;
        for (const char *mode : { "", "-u " }) {
            std::string errors;
            EXPECT_EQ(regsvr(std::string(mode) + "--script '" + file + "' MODULE=/m", &errors), 5);
            EXPECT_NE(errors.find(b.message), std::string::npos) << errors;
            EXPECT_NE(errors.find("bad.rgs"), std::string::npos) << errors;
            const Tree left = tree();
            EXPECT_TRUE(left.keys.empty());
            EXPECT_EQ(left.values, 0u);
        }
    }
    std::string errors;
    EXPECT_EQ(regsvr("--script '" + temp("no-such.rgs") + "'", &errors), 3);
    EXPECT_EQ(regsvr("--script '" + fixture("winmerge_shell.rgs") + "' =x"), 1);
    EXPECT_EQ(regsvr("--script '" + fixture("winmerge_shell.rgs") + "' lib.so"), 1);
}

// A library that loads but carries no type library is told apart from one that does not load.
TEST(RegsvrScript, ExportSaysWhenALibraryHoldsNoTypeLibrary)
{
    std::string errors;
    EXPECT_EQ(regsvr("-t '" + temp("out.tlb") + "' '" + binDir() + "/libbidlark-platform.so'",
                  &errors),
        4);
    EXPECT_NE(errors.find("holds no type library"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(temp("out.tlb")));
}

} // namespace
