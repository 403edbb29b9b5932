// The uninstaller end to end without a window: as a process (options, exit codes, damaged logs,
// a second instance) and in-process through runUninstall with a recording Interaction.
#include "platform/ui/messagebox.h"
#include "tests/uninstaller/test_support.h"
#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/frontend/command_line.h"
#include "uninstaller/frontend/instance_lock.h"
#include "uninstaller/frontend/uninstall_run.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace {

using namespace uninstaller_test;
using uninstall_log_writer::LogDescription;
namespace frontend = uninstaller::frontend;

const std::string kCorrupt =
    "Sweepwright Uninstaller: Uninstallation information corrupt. Aborting.\n";

// A small installed product in `root`: two files in a folder, a shared library with count 1, a
// backed-up configuration file and a registry key.
LogDescription installProduct(const std::string &root, const std::string &product, bool ui)
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

    LogDescription d = uiDescription(product);
    d.userInterface = ui;
    d.shared = { root + "/lib/libshared.so" };
    const auto state = uninstaller::engine::makePosixFileSystem()->inspect(root + "/etc/app.conf");
    d.backups = { uninstall_log_writer::backupLine(
        root + "/backup/app.conf", root + "/etc/app.conf", 0, 0, state.lastWriteTime) };
    d.files = { root + "/app/bin/tool", root + "/app/share/readme" };
    d.directories = { root + "/app/bin", root + "/app/share", root + "/app", root + "/backup" };
    d.hasRegistry = true;
    d.registry[1].child("Software").child(product).values = { { "Path", 1 } };
    d.registry[1].child("Software").findSubkey(product)->deleteFlag = 1;
    return d;
}

bool productRemoved(const std::string &root, const std::string &product)
{
    return !exists(root + "/app") && !exists(root + "/lib/libshared.so") &&
        !exists(root + "/backup") && readFile(root + "/etc/app.conf") == "installed" &&
        !keyExists(HKEY_CURRENT_USER, "Software\\" + product);
}

// Runs the program; a run with a window answers its boxes from `answers` and logs them to
// `boxLog` (the sandbox's log when empty). `errors` receives what it wrote to standard error.
int runProgram(const std::string &program, const QStringList &arguments,
    const QString &answers = QStringLiteral("No"), const QString &boxLog = {},
    std::string *errors = nullptr, const std::string &folder = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BIDLARK_MESSAGEBOX_ANSWERS", answers);
    if (!boxLog.isEmpty())
        env.insert("BIDLARK_MESSAGEBOX_LOG", boxLog);
    // The copy lives outside the build folder, away from the platform library beside the original.
    env.insert("LD_LIBRARY_PATH", QString::fromLocal8Bit(qgetenv("BIDLARK_BIN_DIR")));
    process.setProcessEnvironment(env);
    if (!folder.empty())
        process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(QString::fromStdString(program), arguments);
    EXPECT_TRUE(process.waitForFinished(30000)) << program;
    const std::string stderrText = process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << stderrText;
    if (errors)
        *errors = stderrText;
    return process.exitCode();
}

class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest()
        : m_dir(executableScratch())
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path().toStdString();
    }
    std::string path(const std::string &relative) const { return m_root + "/" + relative; }
    QTemporaryDir m_dir;
    std::string m_root;
};

// The options wherever they stand, and logs that are damaged or name an unsafe path: refused as a
// whole before anything changes, with the reason on standard error or in the window's box.
TEST_F(HeadlessTest, ProgramRunsFromOptionsAndLogs)
{
    const std::size_t programSize = readFile(builtUninstaller()).size();
    using Change = std::function<void(LogDescription &, const std::string &root)>;
    using Damage = std::function<void(std::string & file)>;
    struct Case {
        const char *name;
        QStringList arguments;
        bool ui;
        const char *folder; // where the uninstaller copy lives
        Change change;
        Damage damage;
        int exitCode;
        std::string errors;
        bool removed, selfScheduled;
        const char *box; // the text of the one box shown, if any
    };
    const char *confirm =
        "Are you sure you want to completely remove %1 and all of its components?";
    const Case cases[] = {
        { "/SILENT", { "/SILENT" }, true, "un", {}, {}, 1, "", true, true, nullptr },
        { "lower case with /noremove first", { "/noremove", "/silent" }, true, "un", {}, {}, 1, "",
            true, false, nullptr },
        { "a log without a user-interface part is silent", {}, false, "un", {}, {}, 1, "", true,
            true, nullptr },
        { "the program's own path never counts; No to the confirmation", {}, true,
            "silentnight /SILENT", {}, {}, 0, "", false, false, confirm },
        { "a flipped byte in the block", { "/SILENT" }, true, "un", {},
            [&](std::string &f) { f[programSize + 40] ^= 0x01; }, 0, kCorrupt, false, false,
            nullptr },
        { "truncated trailer, window", {}, true, "un", {},
            [](std::string &f) { f.resize(f.size() - 2); }, 0, "", false, false,
            "Uninstallation information corrupt. Aborting." },
        // Relative paths would resolve from the start folder, which is the product's.
        { "relative path", { "/SILENT" }, false, "un",
            [](LogDescription &d, const std::string &) { d.files.push_back("app/bin/tool"); }, {},
            0, kCorrupt, false, false, nullptr },
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string root = path("case" + std::to_string(index));
        const std::string product = "Product" + std::to_string(index++);
        LogDescription d = installProduct(root, product, c.ui);
        if (c.change)
            c.change(d, root);
        const std::string program = root + "/" + c.folder + "/uninstaller";
        std::filesystem::create_directories(root + "/" + c.folder);
        writeUninstaller(d, program);
        if (c.damage) {
            std::string file = readFile(program);
            c.damage(file);
            writeFile(program, file);
        }
        const Snapshot before = takeSnapshot(root);
        const QString boxes = QString::fromStdString(root + "-boxes.log"); // not in the snapshot

        std::string errors;
        EXPECT_EQ(runProgram(program, c.arguments, QStringLiteral("No"), boxes, &errors, root),
            c.exitCode);
        EXPECT_EQ(errors, c.errors);
        if (c.removed)
            EXPECT_TRUE(productRemoved(root, product));
        else
            EXPECT_EQ(takeSnapshot(root), before);
        const auto pending = pendingDeletions();
        EXPECT_EQ(std::count_if(pending.begin(), pending.end(),
                      [&](const std::string &p) { return p.starts_with(root); }),
            c.selfScheduled ? 1 : 0);
        EXPECT_TRUE(exists(program)); // scheduled, never deleted while running
        const auto logged = platform::ui::readMessageBoxLog(boxes);
        ASSERT_EQ(logged.size(), c.box ? 1 : 0);
        if (c.box) {
            const bool asked = c.exitCode == 0 && c.errors.empty() && !c.damage;
            const QString text = QString::fromUtf8(c.box);
            EXPECT_EQ(logged[0].title,
                asked ? QString::fromStdString(product + " Uninstall") : "Sweepwright Uninstaller");
            EXPECT_EQ(logged[0].text, asked ? text.arg(QString::fromStdString(product)) : text);
            if (asked) {
                EXPECT_EQ(logged[0].icon, "Question");
                EXPECT_EQ(logged[0].buttons, "YesNo");
            }
        }
    }
}

TEST_F(HeadlessTest, SecondInstanceEndsWithoutChangingAnything)
{
    const LogDescription d = installProduct(path("p"), "Twice", true);
    writeUninstaller(d, path("un"));
    const Snapshot before = takeSnapshot(path("p"));
    {
        const auto held = frontend::tryLockProduct("Twice");
        ASSERT_TRUE(held);
        EXPECT_FALSE(frontend::tryLockProduct("Twice")); // not even in the same process
        std::string errors;
        EXPECT_EQ(runProgram(path("un"), { "/SILENT" }, {}, {}, &errors), 0);
        EXPECT_EQ(errors, "Twice Uninstall: Another uninstaller of Twice is running. Aborting.\n");
        const QString boxes = QString::fromStdString(path("boxes.log"));
        EXPECT_EQ(runProgram(path("un"), {}, QStringLiteral("Yes"), boxes), 0);
        EXPECT_TRUE(platform::ui::readMessageBoxLog(boxes).isEmpty()); // not even a question
        EXPECT_EQ(takeSnapshot(path("p")), before);
    }
    EXPECT_EQ(runProgram(path("un"), { "/SILENT" }), 1);
    EXPECT_TRUE(productRemoved(path("p"), "Twice"));

    // A lock no folder can hold is no second instance: the uninstallation goes on.
    const LogDescription lockless = installProduct(path("q"), "Lockless", true);
    writeUninstaller(lockless, path("un2"));
    const auto keep = [](const char *name) {
        std::optional<QByteArray> value;
        if (qEnvironmentVariableIsSet(name))
            value = qgetenv(name);
        return qScopeGuard([name, value] { value ? qputenv(name, *value) : qunsetenv(name); });
    };
    const auto runtimeBack = keep("XDG_RUNTIME_DIR");
    const auto tempBack = keep("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", "/proc/no-such-folder");
    qputenv("TMPDIR", "/proc");
    bool heldElsewhere = true;
    EXPECT_FALSE(frontend::tryLockProduct("Lockless", &heldElsewhere));
    EXPECT_FALSE(heldElsewhere);
    EXPECT_EQ(runProgram(path("un2"), { "/SILENT" }), 1);
    EXPECT_TRUE(productRemoved(path("q"), "Lockless"));
}

TEST(ProductLock, NamesStayInsideTheFolder)
{
    for (const std::string &product :
        std::vector<std::string> { "../../etc/passwd", std::string("a\0b\n", 4), "/", "" }) {
        const QString name = frontend::productLockName(product);
        EXPECT_TRUE(name.startsWith("swun-")) << name.toStdString();
        EXPECT_EQ(name.size(), 37);
        EXPECT_FALSE(name.contains('/'));
    }
    EXPECT_NE(frontend::productLockName("A"), frontend::productLockName("a"));
}

TEST_F(HeadlessTest, PendingDeletionsOption)
{
    writeFile(path("left/over"), "x");
    uninstaller::engine::StoreRegistryAccess registry;
    ASSERT_TRUE(uninstaller::engine::schedulePendingDeletion(registry, path("left/over")));
    ASSERT_TRUE(uninstaller::engine::schedulePendingDeletion(registry, path("left")));
    writeUninstaller(uiDescription("Any"), path("un"));
    EXPECT_EQ(runProgram(path("un"), { "/deletepending" }), 0);
    EXPECT_FALSE(exists(path("left")));
    EXPECT_TRUE(pendingDeletions().empty());
}

TEST(CommandLine, OptionsAreFoundAnywhereInTheArguments)
{
    const auto a = frontend::parseCommandLine({ "--x", "/Silent", "/NOREMOVE" });
    EXPECT_TRUE(a.silent && a.keepSelf && !a.deletePending);
    const auto b = frontend::parseCommandLine({ "silent", "noremove", "/SILEN", "T" });
    EXPECT_FALSE(b.silent || b.keepSelf);
    const auto c = frontend::parseCommandLine({ "x/NoRemove/sIlEnT" }); // both inside one argument
    EXPECT_TRUE(c.silent && c.keepSelf);
}

// --- In-process runs with a recording front end

class RecordingInteraction final : public frontend::Interaction {
public:
    std::vector<std::string> events;
    bool confirmAnswer = true;
    bool restoreAnswer = true;
    ScriptedQuestion question;

    void showError(const QString &caption, const QString &text) override
    {
        events.push_back("error " + caption.toStdString() + ": " + text.toStdString());
    }
    void logLoaded(const uninstaller::log::UninstallLog &, const QString &caption) override
    {
        events.push_back("caption " + caption.toStdString());
    }
    bool confirm() override
    {
        events.push_back("confirm");
        return confirmAnswer;
    }
    void showProgress() override { events.push_back("progress"); }
    void registryRefused() override { events.push_back("registry refused"); }
    void progressMark(int control) override { events.push_back(std::to_string(control)); }
    bool askRestoreBackups() override
    {
        events.push_back("backups?");
        return restoreAnswer;
    }
    uninstaller::engine::SharedFileQuestion &sharedFileQuestion() override { return question; }
    void finish(uninstaller::engine::RemovalEngine &engine) override
    {
        events.push_back("finish failed=" + std::to_string(engine.failedFiles().size()) +
            " restart=" + std::to_string(engine.restartNeeded()));
    }
};

// What this process writes to standard error while `run` runs.
template <typename Run> std::string standardErrorOf(Run run)
{
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(capture.handle(), 2);
    run();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    capture.seek(0);
    return capture.readAll().toStdString();
}

class RunTest : public HeadlessTest {
protected:
    int run(const frontend::CommandLineOptions &options)
    {
        return frontend::runUninstall(path("un"), options,
            { m_files, m_registry, m_launcher, m_components, {} }, &m_interaction);
    }
    FaultyFileSystem m_files;
    FaultyRegistry m_registry;
    RecordingLauncher m_launcher;
    RecordingUnregistrar m_components;
    RecordingInteraction m_interaction;
};

TEST_F(RunTest, FullRunWithQuestions)
{
    LogDescription d = installProduct(path("p"), "Full", true);
    d.files.push_back(path("p/held.dll"));
    writeFile(path("p/held.dll"), "x");
    m_files.removeErrors[path("p/held.dll")] = ETXTBSY;
    writeUninstaller(d, path("un"));
    m_interaction.question.answers = { uninstaller::engine::SharedFileAnswer::Yes };
    m_interaction.restoreAnswer = true;

    EXPECT_EQ(run({}), frontend::kExitRemoved);
    EXPECT_EQ(m_interaction.events,
        (std::vector<std::string> { "caption Full Uninstall", "confirm", "progress", "61", "62",
            "backups?", "63", "64", "65", "finish failed=1 restart=1" }));
    EXPECT_EQ(
        m_interaction.question.asked, std::vector<std::string> { path("p/lib/libshared.so") });
    EXPECT_FALSE(exists(path("p/app")));
    EXPECT_EQ(readFile(path("p/etc/app.conf")), "original"); // restored
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\Full"));
    auto pending = pendingDeletions();
    std::sort(pending.begin(), pending.end());
    EXPECT_EQ(pending, (std::vector<std::string> { path("p/held.dll"), path("un") }));
}

// Every way a run ends before removing anything: with a window the front end says why, without
// one standard error does, and the front end never hears of it.
TEST_F(RunTest, EarlyEndsRemoveNothing)
{
    struct Case {
        const char *name;
        bool silent, ui, confirm;
        int preUninstallExit;
        bool denyRegistry, corrupt, missing;
        std::vector<std::string> events;
        std::string errors;
    };
    const std::string corrupt = "Sweepwright Uninstaller: Uninstallation information corrupt. "
                                "Aborting.";
    const std::string start[] = { "caption Early Uninstall", "confirm" };
    const Case cases[] = {
        { "No to the confirmation", false, true, false, 0, false, false, false,
            { start[0], start[1] }, "" },
        { "failed pre-uninstall command", false, true, true, 1, false, false, false,
            { start[0], start[1] }, "" },
        { "refused registry access", false, true, true, 0, true, false, false,
            { start[0], start[1], "progress", "registry refused" }, "" },
        { "corrupt log", false, true, true, 0, false, true, false, { "error " + corrupt }, "" },
        { "unreadable own file", false, true, true, 0, false, false, true,
            { "error Sweepwright Uninstaller: Couldn't read uninstallation information. "
              "Aborting." },
            "" },
        { "silent, corrupt log", true, true, true, 0, false, true, false, {}, corrupt + "\n" },
        { "silent, refused registry, with texts", true, true, true, 0, true, false, false, {},
            "Early Uninstall: You do not have the rights needed to remove this program.\n" },
        { "silent, refused registry, without texts", true, false, true, 0, true, false, false, {},
            "Sweepwright Uninstaller: Access to the registry was refused. Aborting.\n" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogDescription d = installProduct(path("p"), "Early", c.ui);
        d.code = "1";
        d.command = "/opt/early/CLEAN.BAT";
        m_launcher.exitCode = c.preUninstallExit; // a script: 0 is success
        writeUninstaller(d, path("un"));
        if (c.corrupt) {
            std::string bytes = readFile(path("un"));
            bytes[bytes.size() - 20] ^= 0x04;
            writeFile(path("un"), bytes);
        }
        if (c.missing)
            std::filesystem::remove(path("un"));
        m_registry.denyChange.clear();
        if (c.denyRegistry)
            m_registry.denyChange = { "HKEY_CURRENT_USER\\Software\\Early" };
        m_interaction.events.clear();
        m_interaction.confirmAnswer = c.confirm;
        const Snapshot before = takeSnapshot(path("p"));

        int exitCode = -1;
        const std::string errors = standardErrorOf([&] {
            exitCode = run({ c.silent, false, false });
        });
        EXPECT_EQ(exitCode, frontend::kExitEndedEarly);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(m_interaction.events, c.events);
        EXPECT_EQ(takeSnapshot(path("p")), before);
        EXPECT_TRUE(pendingDeletions().empty());
    }
}

TEST(insertProductName, OnlyTheFirstPlaceholderAsPlainText)
{
    EXPECT_EQ(frontend::insertProductName("%s and %s", "50%s"), "50%s and %s");
    EXPECT_EQ(frontend::insertProductName("none", "P"), "none");
}

} // namespace
