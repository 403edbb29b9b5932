// The uninstaller as a process: options, exit codes, damaged logs, a second instance and pending
// deletions.
#include "platform/ui/messagebox.h"
#include "tests/uninstaller/test_support.h"
#include "uninstaller/engine/pending_deletions.h"
#include "uninstaller/frontend/command_line.h"
#include "uninstaller/frontend/instance_lock.h"
#include "uninstaller/frontend/uninstall_run.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

using namespace uninstaller_test;
using uninstall_log_writer::LogDescription;
namespace frontend = uninstaller::frontend;

// Runs the program with `environment` added to the test's own; a run with a window answers its
// boxes No unless BIDLARK_MESSAGEBOX_ANSWERS says otherwise. `errors` receives what it wrote to
// standard error.
int runProgram(const std::string &program, const QStringList &arguments,
    const std::map<QString, QString> &environment = {}, std::string *errors = nullptr,
    const std::string &folder = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("BIDLARK_MESSAGEBOX_ANSWERS", "No");
    // The copy lives outside the build folder, away from the platform library beside the original.
    env.insert("LD_LIBRARY_PATH", QString::fromLocal8Bit(qgetenv("BIDLARK_BIN_DIR")));
    for (const auto &[name, value] : environment)
        env.insert(name, value);
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

using HeadlessTest = ScratchTest;

// The options wherever they stand, logs that are damaged or name an unsafe path, and a product
// another uninstaller holds: refused as a whole before anything changes, with the reason on
// standard error or in the window's box.
TEST_F(HeadlessTest, ProgramRunsFromOptionsAndLogs)
{
    struct Case {
        const char *name;
        QStringList arguments;
        bool ui;
        const char *folder; // where the uninstaller copy lives
        void (*change)(LogDescription &);
        void (*damage)(std::string &file);
        int exitCode;
        std::optional<std::string> errors; // nullopt: not compared
        bool removed, selfScheduled;
        std::string box; // icon, buttons, title and text of the one box shown, if any
        bool locked = false; // by another uninstaller of the product
        std::map<QString, QString> environment = {};
    };
    const std::map<QString, QString> sayYes = { { "BIDLARK_MESSAGEBOX_ANSWERS", "Yes" } };
    const Case cases[] = {
        { "lower case with /noremove first", { "/noremove", "/silent" }, true, "un", {}, {}, 1, "",
            true, false, "" },
        { "a log without a user-interface part is silent", {}, false, "un", {}, {}, 1, "", true,
            true, "" },
        { "the program's own path never counts; No to the confirmation", {}, true,
            "silentnight /SILENT", {}, {}, 0, "", false, false,
            "Question YesNo Product2 Uninstall: Are you sure you want to completely remove "
            "Product2 and all of its components?" },
        { "truncated trailer, window", {}, true, "un", {},
            [](std::string &f) { f.resize(f.size() - 2); }, 0, "", false, false,
            "Critical OK Sweepwright Uninstaller: Uninstallation information corrupt. Aborting." },
        // Relative paths would resolve from the start folder, which is the product's.
        { "relative path", { "/SILENT" }, false, "un",
            [](LogDescription &d) { d.files.push_back("app/bin/tool"); }, {}, 0,
            "Sweepwright Uninstaller: Uninstallation information corrupt. Aborting.\n", false,
            false, "" },
        // The real cleanup command: a program fails with exit code 0. Only with its quoted
        // argument kept whole does it end with 0; one that cannot start lets the run go on.
        { "a cleanup program ending with 0 ends the run", { "/SILENT" }, false, "un",
            [](LogDescription &d) {
                d.code = "1";
                d.command = "\"/bin/sh\" -c \"test a = a\"";
            },
            {}, 0, "", false, false, "" },
        { "another uninstaller runs", { "/SILENT" }, true, "un", {}, {}, 0,
            "Product6 Uninstall: Another uninstaller of Product6 is running. Aborting.\n", false,
            false, "", true },
        { "another uninstaller runs; not even a question", {}, true, "un", {}, {}, 0, "", false,
            false, "", true, sayYes },
        // (Qt complains about the runtime folder on standard error.)
        { "a lock no folder can hold is no second instance", { "/SILENT" }, true, "un", {}, {}, 1,
            std::nullopt, true, true, "", false,
            { { "XDG_RUNTIME_DIR", "/proc/no-such-folder" }, { "TMPDIR", "/proc" } } },
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string root = path("case" + std::to_string(index));
        const std::string product = "Product" + std::to_string(index++);
        LogDescription d = installProduct(root, product, c.ui);
        if (c.change)
            c.change(d);
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
        auto environment = c.environment;
        environment["BIDLARK_MESSAGEBOX_LOG"] = boxes;
        decltype(frontend::tryLockProduct(product)) held;
        if (c.locked) {
            held = frontend::tryLockProduct(product);
            ASSERT_TRUE(held);
            EXPECT_FALSE(frontend::tryLockProduct(product)); // not even in the same process
        }

        std::string errors;
        EXPECT_EQ(runProgram(program, c.arguments, environment, &errors, root), c.exitCode);
        EXPECT_EQ(c.errors.value_or(errors), errors);
        if (c.removed)
            EXPECT_TRUE(productRemoved(root, product));
        else
            EXPECT_EQ(takeSnapshot(root), before);
        const auto pending = pendingDeletions();
        EXPECT_EQ(std::count_if(pending.begin(), pending.end(),
                      [&](const std::string &p) { return p.starts_with(root); }),
            c.selfScheduled ? 1 : 0);
        EXPECT_TRUE(exists(program)); // scheduled, never deleted while running
        QStringList shown;
        for (const auto &box : platform::ui::readMessageBoxLog(boxes))
            shown << box.icon + " " + box.buttons + " " + box.title + ": " + box.text;
        EXPECT_EQ(shown.join("\n").toStdString(), c.box);
    }
}

TEST(ProductLock, NamesStayInsideTheFolder)
{
    for (const std::string &product :
        std::vector<std::string> { "../../etc/passwd", std::string("a\0b\n", 4), "/", "" }) {
        const QString name = frontend::productLockName(product);
        EXPECT_FALSE(name.isEmpty() || name.contains('/')) << name.toStdString();
    }
    EXPECT_NE(frontend::productLockName("A"), frontend::productLockName("a"));
}

// Removed entries are forgotten; what cannot be removed yet stays recorded and sets the exit code.
TEST_F(HeadlessTest, PendingDeletionsOption)
{
    writeFile(path("left/over"), "x");
    writeFile(path("full/x"), "x");
    writeFile(path("a"), "x");
    writeFile(path("A"), "x"); // names differing only in case are two files here
    uninstaller::engine::StoreRegistryAccess registry;
    for (const char *name : { "left/over", "left", "full", "gone", "A", "a", "a" })
        ASSERT_TRUE(uninstaller::engine::schedulePendingDeletion(registry, path(name)));
    EXPECT_EQ(pendingDeletions().size(), 6u); // "a" twice is one record
    writeUninstaller(uiDescription("Any"), path("un"));
    EXPECT_EQ(runProgram(path("un"), { "/deletepending" }), 2);
    EXPECT_FALSE(exists(path("left")) || exists(path("a")) || exists(path("A")));
    EXPECT_EQ(pendingDeletions(), std::vector<std::string> { path("full") });
}

// Case and position are the program's runs'; these are the limits of a match.
TEST(CommandLine, OptionsAreFoundAnywhereInTheArguments)
{
    const auto b = frontend::parseCommandLine({ "silent", "noremove", "/SILEN", "T" });
    EXPECT_FALSE(b.silent || b.keepSelf);
    const auto c = frontend::parseCommandLine({ "x/NoRemove/sIlEnT" }); // both inside one argument
    EXPECT_TRUE(c.silent && c.keepSelf);
}

TEST(insertProductName, OnlyTheFirstPlaceholderAsPlainText)
{
    EXPECT_EQ(frontend::insertProductName("%s and %s", "50%s"), "50%s and %s");
    EXPECT_EQ(frontend::insertProductName("none", "P"), "none");
}

} // namespace
