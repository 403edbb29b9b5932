// The removal engine, phase by phase, against a temporary folder and the test's own registry
// store. Failures that root would never see are injected through FaultyFileSystem/FaultyRegistry.
#include "platform/registry/testing.h"
#include "tests/uninstaller/test_support.h"
#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/engine/removal_engine.h"

#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace uninstaller::engine;
using namespace uninstaller_test;
using uninstall_log_writer::LogDescription;
using uninstall_log_writer::RegistryNode;
using Answer = SharedFileAnswer;

constexpr const char *kShared = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

class EngineTest : public ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        // The counts key exists on any system that has ever installed a shared file.
        setSharedCount("unrelated", 7);
    }
    void TearDown() override { platform::registry::testing::allowAllAccess(); }

    RemovalEngine &engine(EngineOptions options = {})
    {
        EXPECT_TRUE(
            uninstaller::log::SplitLog(uninstall_log_writer::buildPlainLog(m_log), m_split));
        m_engine = std::make_unique<RemovalEngine>(m_split, path("uninstaller"), options,
            EngineServices { m_files, m_registry, m_launcher, m_components, &m_question, {} });
        return *m_engine;
    }

    LogDescription m_log = uiDescription("Product");
    uninstaller::log::UninstallLog m_split;
    FaultyFileSystem m_files;
    FaultyRegistry m_registry;
    RecordingLauncher m_launcher;
    RecordingUnregistrar m_components;
    ScriptedQuestion m_question;
    std::unique_ptr<RemovalEngine> m_engine;
};

TEST_F(EngineTest, ReleaseSharedFiles)
{
    struct Case {
        const char *name;
        std::vector<std::string> lines; // file names in the case folder, with suffixes
        std::map<std::string, DWORD> counts; // before
        std::vector<Answer> answers;
        bool silent;
        std::map<std::string, int> countsAfter; // -1: the value is gone
        std::set<std::string> removed; // files gone from disk
        std::vector<std::string> calls; // unregistrations, then detached programs, without folder
        bool countsKeyDenied = false;
    };
    const std::vector<Case> cases = {
        { "count 3 becomes 2 without a question", { "a.so" }, { { "a.so", 3 } }, {}, false,
            { { "a.so", 2 } }, {}, {} },
        { "missing count is the last user; No keeps it at 0", { "a.so" }, {}, { Answer::No }, false,
            { { "a.so", 0 } }, {}, {} },
        { "Yes to all", { "a.so", "b.so", "c.so" }, { { "a.so", 1 }, { "b.so", 0 }, { "c.so", 4 } },
            { Answer::YesToAll }, false, { { "a.so", -1 }, { "b.so", -1 }, { "c.so", 3 } },
            { "a.so", "b.so" }, {} },
        { "an unopenable counts key changes nothing", { "a.so" }, { { "a.so", 1 } }, {}, true,
            { { "a.so", 1 } }, {}, {}, true },
        { "No to all", { "a.so", "b.so" }, { { "a.so", 1 }, { "b.so", 1 } }, { Answer::NoToAll },
            false, { { "a.so", 0 }, { "b.so", 0 } }, {}, {} },
        { "|CTRL type library", { "t.tlb|CTRL" }, {}, {}, true, { { "t.tlb", -1 } }, { "t.tlb" },
            { "tlb t.tlb" } },
        { "|CTRL program", { "s.EXE|Ctrl" }, {}, {}, true, { { "s.EXE", -1 } }, { "s.EXE" },
            { "s.EXE /unregserver" } },
        { "a control without an extension is not unregistered", { "plain|CTRL" }, {}, {}, true,
            { { "plain", -1 } }, {}, {} },
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = path("case" + std::to_string(index++));
        for (const char *name : { "a.so", "b.so", "c.so", "t.tlb", "s.EXE" })
            writeFile(folder + "/" + name, "binary");
        for (const auto &[name, count] : c.counts)
            setSharedCount(folder + "/" + name, count);
        m_log.shared.clear();
        for (const std::string &line : c.lines)
            m_log.shared.push_back(folder + "/" + line);
        m_components.calls.clear();
        m_launcher.detached.clear();
        m_question.asked.clear();
        m_question.answers.assign(c.answers.begin(), c.answers.end());
        m_registry.denyChange.clear();
        if (c.countsKeyDenied)
            m_registry.denyChange.insert(kShared);

        RemovalEngine &e = engine({ c.silent, false });
        e.ReleaseSharedFiles();

        EXPECT_EQ(m_question.asked.size(), c.answers.size());
        for (const auto &[name, expected] : c.countsAfter) {
            bool present = false;
            const DWORD count = sharedCount(folder + "/" + name, &present);
            EXPECT_EQ(present ? int(count) : -1, expected) << name;
        }
        for (const char *name : { "a.so", "b.so", "c.so", "t.tlb", "s.EXE" })
            EXPECT_EQ(exists(folder + "/" + name), c.removed.count(name) == 0) << name;
        std::vector<std::string> calls = m_components.calls;
        calls.insert(calls.end(), m_launcher.detached.begin(), m_launcher.detached.end());
        for (std::string &call : calls) {
            if (const auto at = call.find(folder + "/"); at != std::string::npos)
                call.erase(at, folder.size() + 1);
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_TRUE(e.failedFiles().empty());
        EXPECT_EQ(sharedCount("unrelated"), 7u);
    }
}

TEST_F(EngineTest, RestoreBackups)
{
    struct Case {
        const char *name;
        enum { Same, OtherTime, OtherVersion, Missing } installed;
        int restoreError;
        std::string expectedInstalled; // "" = missing
        bool failed; // and the copy kept
    };
    const Case cases[] = {
        { "changed time: not restored, copy deleted", Case::OtherTime, 0, "new", false },
        { "changed version: not restored, copy deleted", Case::OtherVersion, 0, "new", false },
        { "missing file is restored", Case::Missing, 0, "old", false },
        { "a failed restore keeps the copy", Case::Same, EACCES, "new", true },
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = path("b" + std::to_string(index++));
        const std::string backup = folder + "/backup/app.conf";
        const std::string installed = folder + "/etc/app.conf";
        writeFile(backup, "old");
        writeFile(installed, "new");
        const std::uint64_t time = m_files.inspect(installed).lastWriteTime;
        std::uint32_t versionHigh = 0;
        std::uint64_t recordedTime = time;
        if (c.installed == Case::OtherTime)
            recordedTime = time - 10000000; // a second earlier
        if (c.installed == Case::OtherVersion)
            versionHigh = 0x00010000;
        if (c.installed == Case::Missing)
            std::filesystem::remove(installed);
        m_files.restoreErrors.clear();
        if (c.restoreError)
            m_files.restoreErrors[installed] = c.restoreError;
        m_log.backups = { uninstall_log_writer::backupLine(
            backup, installed, versionHigh, 0, recordedTime) };

        RemovalEngine &e = engine();
        e.RestoreBackups(true);
        EXPECT_EQ(exists(installed) ? readFile(installed) : "", c.expectedInstalled);
        EXPECT_EQ(exists(backup), c.failed);
        EXPECT_EQ(e.failedFiles(),
            c.failed ? std::vector<std::string> { installed } : std::vector<std::string> {});
        EXPECT_TRUE(e.inUseFiles().empty());
        // No temporary file is left beside the target.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder + "/etc"), {}),
            c.expectedInstalled.empty() ? 0 : 1);
    }
}

// The file system's own rules: a restore replaces a link instead of writing through it, keeps the
// backup's time, fits beside a name at the length limit; clearing read-only never follows a link.
TEST_F(EngineTest, PosixFileSystemNeverFollowsLinks)
{
    auto files = makePosixFileSystem();
    writeFile(path("backup"), "old");
    const struct timespec times[2] = { { 1000000000, 0 }, { 1000000000, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path("backup").c_str(), times, 0), 0);
    writeFile(path("victim"), "victim");
    std::filesystem::create_symlink(path("victim"), path("installed"));
    // A link in the installed file's place counts as changed, so it is not restored at all...
    const FileState state = files->inspect(path("installed"));
    EXPECT_TRUE(state.exists);
    EXPECT_FALSE(state.readable);
    // ...and a copy made anyway replaces the link.
    ASSERT_EQ(files->replaceWithCopy(path("backup"), path("installed")), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(path("installed")));
    EXPECT_EQ(readFile(path("installed")), "old");
    EXPECT_EQ(readFile(path("victim")), "victim");
    const std::string longName = path(std::string(250, 'n'));
    writeFile(longName, "new");
    ASSERT_EQ(files->replaceWithCopy(path("backup"), longName), 0);
    EXPECT_EQ(readFile(longName), "old");
    struct stat st { };
    ASSERT_EQ(::stat(longName.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);

    writeFile(path("ro"), "x");
    ::chmod(path("ro").c_str(), 0444);
    ::chmod(path("victim").c_str(), 0444);
    std::filesystem::create_symlink(path("victim"), path("link"));
    files->clearReadOnly(path("ro"));
    files->clearReadOnly(path("link"));
    ::stat(path("ro").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ::stat(path("victim").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// The file phases in their order: files, what is in use scheduled, then folders.
TEST_F(EngineTest, DeleteFilesAndScheduleWhatIsInUse)
{
    struct Entry {
        const char *name;
        int injected; // errno, 0 = real deletion
        bool inFailed;
        bool inUse;
    };
    const Entry entries[] = {
        { "ok.txt", 0, false, false }, { "gone.txt", 0, false, false },
        { "ok.txt/child", 0, false, false }, // ENOTDIR counts as not found
        { "busy.dll", EBUSY, true, true }, { "access.txt", EACCES, true, true },
        { "running.bin", ETXTBSY, true, true }, { "io.txt", EIO, true, false },
        { "folder", 0, true, false }, // a folder in the files list: EISDIR
        { "link", 0, false, false },
        { "d\xe5ta.txt", 0, false, false }, // "dåta" in the log's code page
    };
    writeFile(path("uninstaller"), "program");
    writeFile(path("ok.txt"), "x");
    writeFile(path("target.txt"), "keep me");
    std::filesystem::create_directory(path("folder"));
    std::filesystem::create_symlink(path("target.txt"), path("link"));
    writeFile(path("d\xc3\xa5ta.txt"), "x");
    // Folders listed in the log's code page: "\xe5mpty" is "åmpty" on disk.
    std::filesystem::create_directories(path("\xc3\xa5mpty/inner"));
    writeFile(path("full/file"), "x");
    std::filesystem::create_directory(path("held"));
    m_files.removeErrors[path("held")] = EBUSY;
    m_log.directories = { path("\xe5mpty/inner"), path("\xe5mpty"), path("full"), path("missing"),
        path("held") };
    std::vector<std::string> failed;
    std::vector<std::string> inUse;
    m_log.files = { "ab" }; // two characters: ignored
    for (const Entry &entry : entries) {
        const std::string file = path(entry.name);
        m_log.files.push_back(file);
        if (entry.injected) {
            writeFile(file, "held");
            m_files.removeErrors[file] = entry.injected;
        }
        if (entry.inFailed)
            failed.push_back(file);
        if (entry.inUse)
            inUse.push_back(file);
    }
    RemovalEngine &e = engine();
    e.DeleteFiles();
    EXPECT_EQ(e.failedFiles(), failed);
    EXPECT_EQ(e.inUseFiles(), inUse);
    EXPECT_FALSE(exists(path("ok.txt")));
    EXPECT_FALSE(exists(path("link")));
    EXPECT_EQ(readFile(path("target.txt")), "keep me");
    EXPECT_FALSE(exists(path("d\xc3\xa5ta.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(path("folder")));
    EXPECT_FALSE(e.restartNeeded());

    e.ScheduleDeletes();
    std::vector<std::string> pending = { path("uninstaller") };
    pending.insert(pending.end(), inUse.begin(), inUse.end());
    auto recorded = pendingDeletions();
    std::sort(recorded.begin(), recorded.end());
    std::sort(pending.begin(), pending.end());
    EXPECT_EQ(recorded, pending);
    EXPECT_TRUE(e.takeRestartNeeded());
    EXPECT_FALSE(e.takeRestartNeeded()); // asked once
    // A store that refuses the records: the files stay among the failed, and no restart is asked.
    platform::registry::testing::denyAccess(HKEY_LOCAL_MACHINE, false, true);
    e.ScheduleDeletes();
    EXPECT_FALSE(e.takeRestartNeeded());
    EXPECT_EQ(e.failedFiles(), failed);
    platform::registry::testing::allowAllAccess();

    e.RemoveFolders();
    EXPECT_FALSE(exists(path("\xc3\xa5mpty")));
    EXPECT_TRUE(exists(path("full/file")));
    EXPECT_EQ(e.failedFolders(), (std::vector<std::string> { path("full"), path("held") }));
    EXPECT_EQ(e.inUseFiles(), inUse); // a folder is never in use
    ASSERT_FALSE(m_files.folderChanges.empty());
    EXPECT_EQ(m_files.folderChanges.front(), "/"); // the current folder is left first
}

// --- Registry

void putValue(HKEY root, const std::string &key, const std::string &name)
{
    ASSERT_EQ(platform::registry::writeString(root, key, name, "v"), ERROR_SUCCESS);
}

TEST_F(EngineTest, RemoveRegistryValuesKeysAndFailures)
{
    putValue(HKEY_CURRENT_USER, "Software\\Prod", "A");
    putValue(HKEY_CURRENT_USER, "Software\\Prod", "B");
    putValue(HKEY_CURRENT_USER, "Software\\Prod\\Sub", "C");
    putValue(HKEY_CURRENT_USER, "Software\\Other", "X");
    for (const char *name : { "one", "two", "" })
        putValue(HKEY_CURRENT_USER, "Software\\Vals", name);
    putValue(HKEY_CURRENT_USER, "Software\\Kept\\Plugin", "P"); // a subkey the log does not know
    putValue(HKEY_LOCAL_MACHINE, "Software\\Prod", "D");
    putValue(HKEY_CLASSES_ROOT, ".prod", "");

    m_log.hasRegistry = true;
    RegistryNode &software = m_log.registry[1].child("Software");
    RegistryNode &prod = deletedChild(software, "Prod");
    prod.values = { { "A", 1 }, { "B", 0 }, { "Absent", 1 } };
    deletedChild(prod, "Sub").values = { { "C", 1 } };
    deletedChild(software, "Kept");
    deletedChild(software, "KEPT"); // the same key again, in other letters
    software.child("Vals").values = { { "one", 1 }, { "two", 2 }, { "", 1 } }; // kept key
    deletedChild(software, "Missing").values = { { "M", 1 } };
    deletedChild(software, ""); // an empty name must never address Software itself
    deletedChild(m_log.registry[2].child("Software"), "Prod");
    deletedChild(m_log.registry[0], ".prod");

    RemovalEngine &e = engine();
    ASSERT_TRUE(e.CheckRegistryAccess());
    EXPECT_TRUE(e.RemoveRegistry());
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Prod"));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, "Software\\Other", "X"));
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, "Software\\Vals", "one"));
    EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, "Software\\Vals", "two")); // only 1 means delete
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, "Software\\Vals", ""));
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Kept\\Plugin"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Prod"));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, ".prod"));
    EXPECT_EQ(
        e.failedRegistryKeys(), std::vector<std::string> { "HKEY_CURRENT_USER\\Software\\Kept" });
}

// A key that may not be changed stops the walk of the node listing it; the trees after it must
// still be read from the right place. The store grants write access at open time and refuses the
// write itself, so a root whose file cannot be written shows up as failed removals instead.
TEST_F(EngineTest, DeniedKeysStopTheirNodeAndTheWalkStaysAligned)
{
    struct Case {
        const char *name;
        bool lockedHasValues;
        bool denyRead;
        bool checkPasses;
        bool siblingAfterRemoved; // Software\After, listed after Locked
        bool lockedChildRemoved;
        std::vector<std::string> failed;
        bool storeRefusesWrites = false;
    };
    const Case cases[] = {
        { "denied with values to process", true, false, false, false, false, {} },
        { "denied and unreadable", false, true, false, false, false, {} },
        { "denied, read-only walk", false, false, true, true, true,
            { "HKEY_CURRENT_USER\\Software\\Locked" } },
        { "denied, and the store refuses every write", false, false, true, false, false,
            { "HKEY_CURRENT_USER\\Software\\Locked\\Child", "HKEY_CURRENT_USER\\Software\\Locked",
                "HKEY_CURRENT_USER\\Software\\After" },
            true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        putValue(HKEY_CURRENT_USER, "Software\\Locked", "L");
        putValue(HKEY_CURRENT_USER, "Software\\Locked\\Child", "C");
        putValue(HKEY_CURRENT_USER, "Software\\After", "A");
        putValue(HKEY_LOCAL_MACHINE, "Software\\Later", "Z");
        m_log = uiDescription("Product");
        m_log.hasRegistry = true;
        RegistryNode &software = m_log.registry[1].child("Software");
        RegistryNode &locked = deletedChild(software, "Locked");
        if (c.lockedHasValues)
            locked.values = { { "L", 1 } };
        deletedChild(locked, "Child");
        deletedChild(software, "After");
        deletedChild(m_log.registry[2].child("Software"), "Later");
        m_registry.denyChange = { "Software\\Locked" };
        m_registry.denyRead.clear();
        if (c.denyRead)
            m_registry.denyRead = { "Software\\Locked" };

        RemovalEngine &e = engine();
        platform::registry::testing::denyAccess(HKEY_CURRENT_USER, false, c.storeRefusesWrites);
        EXPECT_EQ(e.CheckRegistryAccess(), c.checkPasses);
        EXPECT_TRUE(e.RemoveRegistry()); // read to the end of the section
        platform::registry::testing::allowAllAccess();
        EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\Locked"));
        EXPECT_TRUE(valueExists(HKEY_CURRENT_USER, "Software\\Locked", "L"));
        EXPECT_EQ(!keyExists(HKEY_CURRENT_USER, "Software\\Locked\\Child"), c.lockedChildRemoved);
        EXPECT_EQ(!keyExists(HKEY_CURRENT_USER, "Software\\After"), c.siblingAfterRemoved);
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "Software\\Later"));
        EXPECT_EQ(e.failedRegistryKeys(), c.failed);
    }
}

// --- Pre-uninstall command

// Scripts (.BAT, searched with case) succeed with exit code 0, programs with any other code.
TEST_F(EngineTest, PreUninstallCommandRunsOnlyWithACodeAndACommand)
{
    struct Case {
        const char *code;
        const char *command;
        std::optional<int> exitCode;
        bool ran;
        bool goOn;
    };
    const Case cases[] = {
        { "", "/x/CLEAN.BAT", 1, false, true }, { "101", "/x/CLEAN.BAT", 1, false, true },
        { "1", "", 1, false, true }, { "1", "/x/CLEAN.BAT", 1, true, false },
        { "7", "/x/SETUP.EXE /u", 3, true, true },
        { "7", "/x/missing", std::nullopt, true, true }, // cannot be started: go on
        { "1", "/x/clean.bat", 0, true, false }, // a program, then
        { "1", "/x/SETUP.EXE /run X.BAT", 0, true, false }, // .EXE before the script
        { "1", "/x/X.BAT /with SETUP.EXE", 0, true, true }, // .EXE after it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.command);
        m_log.code = c.code;
        m_log.command = c.command;
        m_launcher.waited.clear();
        m_launcher.exitCode = c.exitCode;
        EXPECT_EQ(engine().RunPreUninstallCommand(), c.goOn);
        EXPECT_EQ(m_launcher.waited.size(), c.ran ? 1u : 0u);
    }
}

} // namespace
