// The uninstaller's window: the dialogs of its own, and whole runs through runUninstall with the
// window built from a realistic template, offscreen, and scripted dialogs.
#include "platform/ui/shell.h"
#include "tests/uninstaller/test_support.h"
#include "uninstaller/frontend/shared_file_dialog.h"
#include "uninstaller/frontend/template_window.h"
#include "uninstaller/frontend/window_interaction.h"
#include "uninstaller/log/window_template.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace uninstaller_test;
namespace frontend = uninstaller::frontend;
using uninstaller::engine::SharedFileAnswer;
using uninstaller::log::TemplateControl;

constexpr std::uint32_t kVisible = 0x50000000; // child, visible
constexpr std::uint32_t kDisabled = 0x08000000;
constexpr std::uint32_t kText = 0x1000000;
constexpr std::uint32_t kFace = 0x3000000;

std::vector<std::uint8_t> encodeImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uninstall_log_writer::LogPicture> samplePictures()
{
    QImage bitmap(40, 20, QImage::Format_RGB32);
    bitmap.fill(qRgb(60, 80, 200));
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(qRgb(0, 150, 0));
    return { { 5, encodeImage(bitmap, "BMP") }, { 6, encodeImage(icon, "ICO") },
        { 7, { 0, 0, 1, 0, 1, 0, 0xFF, 0xFF } } }; // an icon file cut short after its header
}

TemplateControl Control(std::uint32_t style, std::uint32_t kind, std::uint32_t sub,
    std::uint32_t number, QRect r, std::string text, std::int32_t picture = -2,
    std::uint32_t textColour = kText)
{
    return { style, 0, kind, sub, number, r.x(), r.y(), r.width(), r.height(), textColour, kFace,
        std::move(text), picture };
}

// A progress window as an installer would ship it: a bitmap banner, the product's icon, a bold
// header in two languages, the product text, the first and last marks, two end markers, links
// and the buttons.
uninstaller::log::WindowTemplate realisticTemplate()
{
    uninstaller::log::WindowTemplate tpl;
    tpl.version = 4;
    tpl.style = 0x10C80000;
    tpl.positionCode = 4;
    tpl.width = 420;
    tpl.height = 300;
    tpl.fontSize = 9;
    tpl.fontFace = "Liberation Sans";
    tpl.title = "Uninstall";
    TemplateControl header = Control(kVisible, 1, 0, 50, { 56, 12, 350, 20 },
        "<LangID=7>Entfernen</LangID=7><LangID=1>Removing the program</LangID=1>");
    header.extendedStyle = 0x80000000; // bold
    tpl.controls = {
        Control(kVisible, 1, 4, 51, { 0, 0, 420, 6 }, "", 5),
        Control(kVisible, 1, 3, 52, { 12, 12, 32, 32 }, "", 6),
        header,
        Control(kVisible, 1, 0, 57, { 56, 36, 350, 18 }, "%s will be removed from this computer."),
        Control(kVisible, 1, 0, 61, { 24, 64, 300, 18 }, "Shared files released"),
        Control(kVisible, 1, 0, 65, { 24, 144, 300, 18 }, "Registry entries removed"),
        Control(kVisible, 1, 0, 71, { 24, 172, 380, 18 }, "Uninstallation complete.", -2, 0x008040),
        Control(kVisible, 1, 0, 72, { 24, 192, 380, 18 }, "Some items could not be removed."),
        Control(kVisible, 1, 0, 73, { 24, 222, 200, 18 },
            "hyperlink: text=\"Product home page\" link=\"https://product.example/\""),
        Control(kVisible, 1, 0, 74, { 24, 244, 200, 18 }, "hyperlink: text=\"no link\""),
        Control(kVisible, 1, 0, 75, { 24, 244, 200, 18 }, "invisible twin"),
        Control(kVisible, 1, 0, 76, { 24, 266, 200, 18 }, "Sweepwright"), // the maker's link
        Control(kVisible | kDisabled, 2, 0, 54, { 220, 236, 90, 26 }, "&Details..."),
        Control(kVisible | kDisabled, 2, 0, 55, { 316, 236, 90, 26 }, "&Close"),
        Control(kVisible, 12, 0, 80, { 0, 0, 10, 10 }, "never created"),
        Control(0x80000000 | kVisible, 2, 0, 81, { 380, 12, 28, 16 }, "", 5),
        Control(kVisible, 1, 3, 82, { 380, 40, 16, 16 }, "", 7),
    };
    tpl.controls[10].style = 0x40000000; // "invisible twin": not visible
    return tpl;
}

frontend::BuildContext contextAt(int dpi, const std::vector<uninstaller::log::Picture> *pictures)
{
    frontend::BuildContext context;
    context.verticalDpi = dpi;
    context.workArea = { 0, 0, 1600, 1000 };
    context.pictures = pictures;
    context.language = 1;
    return context;
}

void saveScreenshot(QWidget *window, const char *name)
{
    const QString path = QStringLiteral(UNINSTALLER_SCREENSHOT_DIR "/%1.png").arg(name);
    EXPECT_TRUE(window->grab().save(path)) << path.toStdString();
}

TEST(SharedFileDialog, FourButtonsInARowEachEndingWithItsNumber)
{
    const frontend::SharedFileTexts texts { "Remove /lib/x.so?", "Yes to &all", "&Yes", "&No",
        "No to a&ll" };
    const std::pair<int, SharedFileAnswer> buttons[] = { { frontend::kYesToAllButton,
                                                             SharedFileAnswer::YesToAll },
        { frontend::kYesButton, SharedFileAnswer::Yes },
        { frontend::kNoButton, SharedFileAnswer::No },
        { frontend::kNoToAllButton, SharedFileAnswer::NoToAll } };
    int previousX = -1;
    for (const auto &[number, answer] : buttons) {
        frontend::SharedFileDialog dialog(texts);
        dialog.show();
        EXPECT_TRUE(dialog.button(frontend::kYesButton)->isDefault());
        QPushButton *button = dialog.button(number);
        ASSERT_TRUE(button);
        EXPECT_GT(button->x(), previousX); // left to right in the listed order
        previousX = button->x();
        button->click();
        EXPECT_EQ(frontend::SharedFileDialog::answerOf(dialog.result()), answer);
    }
    frontend::SharedFileDialog dialog(texts);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), frontend::kNoButton);
}

// --- Whole runs with the window

class ScriptedDialogs final : public frontend::Dialogs {
public:
    std::deque<bool> questionAnswers;
    std::deque<SharedFileAnswer> sharedAnswers;
    std::vector<std::string> events;
    std::vector<frontend::DetailsTexts> shownDetails;
    std::function<void()> duringSharedQuestion;

    void error(const QString &caption, const QString &text, QWidget *) override
    {
        events.push_back("error " + caption.toStdString() + ": " + text.toStdString());
    }
    void notice(const QString &, const QString &text, QWidget *) override
    {
        events.push_back("notice " + text.toStdString());
    }
    bool question(const QString &caption, const QString &text, QWidget *) override
    {
        events.push_back("question " + caption.toStdString() + ": " + text.toStdString());
        return next(questionAnswers, false);
    }
    SharedFileAnswer sharedFile(const frontend::SharedFileTexts &texts, QWidget *) override
    {
        events.push_back("shared " + texts.text.toStdString() + " [" +
            texts.yesToAll.toStdString() + "|" + texts.yes.toStdString() + "|" +
            texts.no.toStdString() + "|" + texts.noToAll.toStdString() + "]");
        if (duringSharedQuestion)
            duringSharedQuestion();
        return next(sharedAnswers, SharedFileAnswer::No);
    }
    void details(const frontend::DetailsTexts &texts, QWidget *) override
    {
        shownDetails.push_back(texts);
    }

private:
    // The next scripted answer; `otherwise` once the script has run out.
    template <typename T> static T next(std::deque<T> &answers, T otherwise)
    {
        if (answers.empty())
            return otherwise;
        const T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class RecordingRestart final : public uninstaller::engine::RestartRequester {
public:
    int requests = 0;
    void requestRestart() override { ++requests; }
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

class WindowRunTest : public ScratchTest {
protected:
    // The installed product with the realistic window and a second last-user shared file.
    uninstall_log_writer::LogDescription install(const std::string &product)
    {
        auto d = installProduct(path("p"), product, true);
        writeFile(path("p/lib/b.so"), "b");
        setSharedCount(path("p/lib/b.so"), 1);
        d.shared.push_back(path("p/lib/b.so"));
        d.windowTemplate = uninstaller::log::encodeWindowTemplate(realisticTemplate());
        d.pictures = samplePictures();
        d.messages.push_back({ 0, "ignored: the first key 0 wins" });
        return d;
    }
    int run(const frontend::CommandLineOptions &options = {})
    {
        return frontend::runUninstall(
            path("un"), options, { m_files, m_registry, m_launcher, m_components, {} }, &m_window);
    }

    FaultyFileSystem m_files;
    FaultyRegistry m_registry;
    RecordingLauncher m_launcher;
    RecordingUnregistrar m_components;
    ScriptedDialogs m_dialogs;
    RecordingRestart m_restart;
    frontend::WindowInteraction m_window { m_dialogs, m_restart, contextAt(96, nullptr) };
};

TEST_F(WindowRunTest, FailuresOfferDetailsAndClosingAsksForTheRestart)
{
    auto d = install("Demo");
    // In use: a failed file, a restart, and its folder stays.
    d.files.push_back(path("p/app/busy.dll"));
    writeFile(path("p/app/busy.dll"), "x");
    m_files.removeErrors[path("p/app/busy.dll")] = ETXTBSY;
    writeUninstaller(d, path("un"));
    m_dialogs.questionAnswers = { true, true, true }; // confirmation, restore, restart
    m_dialogs.sharedAnswers = { SharedFileAnswer::YesToAll };
    bool closeIgnored = false;
    m_dialogs.duringSharedQuestion = [&] {
        QWidget *window = m_window.window()->window;
        window->close(); // the close box while the phases run
        closeIgnored = window->isVisible();
    };

    std::vector<std::string> endState;
    m_window.setFinishedHook([&] {
        const frontend::BuiltWindow &w = *m_window.window();
        auto *close = qobject_cast<QPushButton *>(w.control(55));
        endState = { "close enabled " + std::to_string(close->isEnabled()),
            "default " + std::to_string(close->isDefault()),
            "focus " + std::to_string(QApplication::focusWidget() == close),
            "details " + std::to_string(w.control(54)->isEnabled()),
            "71 " + std::to_string(w.control(71)->isVisible()),
            "72 " + std::to_string(w.control(72)->isVisible()),
            "65 " + std::to_string(w.control(65)->isVisible()),
            qobject_cast<QLabel *>(w.control(57))->text().toStdString() };
        saveScreenshot(w.window, "uninstaller-window-finished");
        qobject_cast<QPushButton *>(w.control(54))->click();
        close->click();
    });

    EXPECT_EQ(run(), frontend::kExitRemoved);
    EXPECT_TRUE(closeIgnored);
    EXPECT_EQ(endState,
        (std::vector<std::string> { "close enabled 1", "default 1", "focus 1", "details 1", "71 1",
            "72 1", "65 1", "Demo will be removed from this computer." }));
    ASSERT_EQ(m_dialogs.events.size(), 4u);
    EXPECT_EQ(m_dialogs.events[0],
        "question Demo Uninstall: Are you sure you want to completely remove Demo and all of its "
        "components?");
    // "Yes to all": the second shared file goes without a question.
    EXPECT_EQ(m_dialogs.events[1],
        "shared The shared file\r\n" + path("p/lib/libshared.so") +
            "\r\nis no longer used by any program. Remove it? [Yes to &all|&Yes|&No|No to a&ll]");
    EXPECT_EQ(m_dialogs.events[2],
        "question Demo Uninstall: Do you want to restore the files that were replaced during "
        "installation?");
    EXPECT_EQ(readFile(path("p/etc/app.conf")), "original");
    EXPECT_EQ(m_dialogs.events[3],
        "question Demo Uninstall: Some files will be removed when the computer restarts. "
        "Restart now?");
    EXPECT_EQ(m_restart.requests, 1);
    ASSERT_EQ(m_dialogs.shownDetails.size(), 1u);
    EXPECT_EQ(m_dialogs.shownDetails[0].title, "Details"); // the button's text without & and ...
    EXPECT_EQ(m_dialogs.shownDetails[0].text.toStdString(),
        "These files could not be removed:\n" + path("p/app/busy.dll") +
            "\n\nThese folders could not be removed:\n" + path("p/app") + "\n");
    EXPECT_FALSE(exists(path("p/lib/libshared.so")) || exists(path("p/lib/b.so")));
    EXPECT_FALSE(m_window.window()->window->isVisible());
    auto pending = pendingDeletions();
    std::sort(pending.begin(), pending.end());
    EXPECT_EQ(pending, (std::vector<std::string> { path("p/app/busy.dll"), path("un") }));
}

// Every way a confirmed run ends before removing anything: with a window a box says why, without
// one standard error does and no box is shown.
TEST_F(WindowRunTest, EarlyEndsRemoveNothing)
{
    struct Case {
        const char *name;
        bool silent, ui;
        int preUninstallExit;
        bool denyRegistry, missing;
        std::vector<std::string> boxes;
        std::string errors;
    };
    const std::string confirm = "question Early Uninstall: Are you sure you want to completely "
                                "remove Early and all of its components?";
    const std::string rights = "You do not have the rights needed to remove this program.";
    const Case cases[] = {
        { "failed pre-uninstall command", false, true, 1, false, false, { confirm }, "" },
        { "refused registry access", false, true, 0, true, false, { confirm, "notice " + rights },
            "" },
        { "unreadable own file", false, true, 0, false, true,
            { "error Sweepwright Uninstaller: Couldn't read uninstallation information. "
              "Aborting." },
            "" },
        { "silent, refused registry, with texts", true, true, 0, true, false, {},
            "Early Uninstall: " + rights + "\n" },
        { "silent, refused registry, without texts", true, false, 0, true, false, {},
            "Sweepwright Uninstaller: Access to the registry was refused. Aborting.\n" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto d = installProduct(path("p"), "Early", c.ui);
        d.code = "1";
        d.command = "/opt/early/CLEAN.BAT";
        m_launcher.exitCode = c.preUninstallExit; // a script: 0 is success
        writeUninstaller(d, path("un"));
        if (c.missing)
            std::filesystem::remove(path("un"));
        m_registry.denyChange.clear();
        if (c.denyRegistry)
            m_registry.denyChange = { "Software\\Early" };
        m_dialogs.events.clear();
        m_dialogs.questionAnswers = { true };
        const Snapshot before = takeSnapshot(path("p"));

        int exitCode = -1;
        const std::string errors = standardErrorOf([&] {
            exitCode = run({ c.silent, false, false });
        });
        EXPECT_EQ(exitCode, frontend::kExitEndedEarly);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(m_dialogs.events, c.boxes);
        EXPECT_EQ(takeSnapshot(path("p")), before); // the registry store too
    }
}

// The window as built from the realistic template, and a run where nothing failed.
TEST_F(WindowRunTest, NothingFailedLeavesDetailsDisabled)
{
    writeUninstaller(install("Clean"), path("un"));
    m_dialogs.questionAnswers = { true, false }; // removal yes, restore no
    m_dialogs.sharedAnswers = { SharedFileAnswer::Yes, SharedFileAnswer::Yes };
    platform::ui::ShellRecorder shell;
    bool detailsEnabled = true;
    bool failedShown = true;
    m_window.setFinishedHook([&] {
        const frontend::BuiltWindow &w = *m_window.window();
        // 420 x 300 at 96 dpi less the designed frame (2 + 2 wide, 2 + 2 + 18 high), centred.
        EXPECT_EQ(
            w.window->geometry(), QRect((1600 - 420) / 2 + 2, (1000 - 300) / 2 + 20, 416, 278));
        EXPECT_EQ(qobject_cast<QLabel *>(w.control(50))->text(), "Removing the program");
        // The template's colours have red in the low byte.
        EXPECT_EQ(w.control(71)->palette().color(QPalette::WindowText), QColor(0x40, 0x80, 0));
        EXPECT_FALSE(w.control(75)->isVisibleTo(w.window));
        EXPECT_EQ(w.control(80), nullptr);
        // Pictures: a bitmap, an icon on a label and on a button, and a damaged icon showing
        // nothing.
        EXPECT_FALSE(qobject_cast<QLabel *>(w.control(51))->pixmap().isNull());
        EXPECT_EQ(qobject_cast<QLabel *>(w.control(52))->pixmap().toImage().pixelColor(10, 10),
            QColor(0, 150, 0));
        EXPECT_FALSE(qobject_cast<QPushButton *>(w.control(81))->icon().isNull());
        EXPECT_TRUE(qobject_cast<QLabel *>(w.control(82))->pixmap().isNull());
        // The link opens on a left click only; lacking a quoted value, the whole text, prefix
        // included, is a plain label.
        auto *link = qobject_cast<frontend::LinkLabel *>(w.control(73));
        EXPECT_TRUE(link && link->text() == "Product home page");
        if (link) {
            QTest::mouseClick(link, Qt::RightButton);
            QTest::mouseClick(link, Qt::LeftButton);
        }
        EXPECT_EQ(qobject_cast<QLabel *>(w.control(74))->text(), "hyperlink: text=\"no link\"");
        EXPECT_FALSE(qobject_cast<frontend::LinkLabel *>(w.control(74)));
        EXPECT_TRUE(qobject_cast<frontend::LinkLabel *>(w.control(76)));
        detailsEnabled = w.control(54)->isEnabled();
        failedShown = w.control(72)->isVisible();
        w.window->close();
    });
    EXPECT_EQ(run(), frontend::kExitRemoved);
    EXPECT_EQ(shell.opened(), QStringList { "https://product.example/" });
    EXPECT_FALSE(detailsEnabled);
    EXPECT_FALSE(failedShown);
    EXPECT_EQ(m_restart.requests, 0);
    EXPECT_TRUE(productRemoved(path("p"), "Clean"));
}

} // namespace
