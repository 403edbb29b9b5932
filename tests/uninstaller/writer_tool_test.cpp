// The uninstall-log-writer program: a description in, an uninstaller copy out whose log reads back
// as described.
#include "tests/uninstaller/test_support.h"
#include "uninstaller/log/codepage.h"
#include "uninstaller/log/log_file.h"
#include "uninstaller/log/uninstall_log.h"

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

using namespace uninstaller_test;
using namespace uninstall_log_writer;
using namespace std::string_literals;

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun runWriter(const QString &description, const QString &output, const QStringList &more = {})
{
    QProcess process;
    process.start(QString::fromLocal8Bit(qgetenv("BIDLARK_BIN_DIR")) + "/uninstall-log-writer",
        QStringList {
            "--uninstaller", QString::fromStdString(builtUninstaller()), "--output", output } +
            more + QStringList { description });
    EXPECT_TRUE(process.waitForFinished(30000));
    return { process.exitCode(), process.readAllStandardError().toStdString() };
}

TEST(WriterTool, DescriptionReadsBackAsDescribed)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    writeFile(root + "/logo.bmp", "BM-picture");
    writeFile(root + "/etc/app.conf", "installed");
    writeFile(root + "/product.txt",
        "# every section\n"
        "[product]\nname = Demo Pr\xc3\xb6"
        "duct\ncode = 1\ncommand = /opt/CLEAN.BAT -q\n"
        "keys = 1 2 3 4\nuser-interface = YES\n"
        "[messages]\nlanguage = 7\n0 = %s line\\nnext\ndefaults = yEs\n"
        "[window]\ntemplate = default\n"
        "[pictures]\n5 = logo.bmp\n"
        "[shared]\n/opt/lib/libarbor.so|CTRL\n"
        "[backups]\n" +
            root + "/backup/app.conf => " + root +
            "/etc/app.conf\n"
            "[files]\n/opt/bin/d\xc3\xa5ta\n"
            "[directories]\n/opt/bin\n"
            "[registry]\n"
            "delete-value HKEY_CURRENT_USER\\Software\\Demo|Path\n"
            "delete-key HKEY_CURRENT_USER\\Software\\Demo\n"
            "keep-key HKEY_USERS\\.DEFAULT\n");
    const ToolRun run = runWriter(dir.filePath("product.txt"), dir.filePath("un"));
    ASSERT_EQ(run.exitCode, 0) << run.errors;

    std::vector<std::uint8_t> plain;
    ASSERT_EQ(uninstaller::log::ReadLog(root + "/un", plain), uninstaller::log::ReadStatus::Ok);
    uninstaller::log::UninstallLog log;
    ASSERT_TRUE(uninstaller::log::SplitLog(plain, log));
    EXPECT_EQ(log.firstLine.productName,
        "Demo Pr\xf6"
        "duct"); // Windows-1252
    EXPECT_EQ(log.firstLine.code, "1");
    EXPECT_EQ(log.firstLine.command, "/opt/CLEAN.BAT -q");
    EXPECT_EQ(log.messages.language, 7u);
    EXPECT_EQ(log.messages.LookUpMessage(0), "%s line\r\nnext"); // before the default of 0
    EXPECT_EQ(log.messages.LookUpMessage(99), "");
    EXPECT_TRUE(log.hasUserInterface);
    EXPECT_EQ(log.messages.LookUpMessage(9), "Yes to &all"); // from the defaults
    ASSERT_EQ(log.pictures.size(), 1u);
    EXPECT_EQ(log.pictures[0].number, 5u);
    EXPECT_EQ(
        std::string(log.pictures[0].bytes.begin(), log.pictures[0].bytes.end()), "BM-picture");
    EXPECT_EQ(log.shared, "/opt/lib/libarbor.so|CTRL\r\n");
    EXPECT_EQ(log.files, "/opt/bin/d\xe5ta\r\n");
    EXPECT_EQ(log.directories, "/opt/bin\r\n");
    uninstaller::log::BackupEntry backup;
    ASSERT_TRUE(uninstaller::log::parseBackupLine(
        uninstaller::log::sectionLines(log.backups).at(0), backup));
    const auto state = uninstaller::engine::makePosixFileSystem()->inspect(root + "/etc/app.conf");
    EXPECT_EQ((std::uint64_t(backup.timeHigh) << 32) | backup.timeLow, state.lastWriteTime);

    std::array<RegistryNode, 4> expected;
    deletedChild(expected[1].child("Software"), "Demo").values = { { "Path", 1 } };
    expected[3].child(".DEFAULT");
    EXPECT_EQ(log.registry, encodeRegistryTrees(expected));
}

TEST(WriterTool, RefusesWhatItCannotWrite)
{
    QTemporaryDir dir;
    const std::string sub = dir.filePath("sub").toStdString();
    std::filesystem::create_directories(sub);
    struct Case {
        const char *name;
        std::string description;
        std::string error;
    };
    const Case cases[] = {
        { "not in Windows-1252", "[files]\n/opt/\xe4\xb8\xad\n", "line 2: text not representable" },
        { "registry path with an empty key name",
            "[registry]\ndelete-key HKEY_CURRENT_USER\\Software\\\\X\n",
            "line 2: a registry path has an empty key name" },
        { "yes/no field with another value", "[product]\nuser-interface = Yes please\n",
            "line 2: user-interface must be yes or no" },
        { "relative file", "[files]\n/opt/x\nbin/tool\n",
            "line 3: \"bin/tool\" is not an absolute path" },
        { "folder as the template", "[window]\ntemplate = sub\n",
            "line 2: " + sub + " is a folder" },
    };
    for (const Case &c : cases) {
        writeFile(dir.filePath("d.txt").toStdString(), c.description);
        const ToolRun run = runWriter(dir.filePath("d.txt"), dir.filePath("un"));
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_NE(run.errors.find(c.error), std::string::npos) << c.name << ": " << run.errors;
    }
    // Inputs and outputs it cannot use end with a message, not an abort or a false success.
    const ToolRun folder = runWriter(dir.path(), dir.filePath("un"));
    EXPECT_EQ(folder.exitCode, 1) << folder.errors;
    writeFile(dir.filePath("d.txt").toStdString(), "[files]\n/opt/x\n");
    const ToolRun plain =
        runWriter(dir.filePath("d.txt"), dir.filePath("un"), { "--plain", "/nonexistent/dir/p" });
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_NE(plain.errors.find("cannot write /nonexistent/dir/p"), std::string::npos)
        << plain.errors;
}

} // namespace
