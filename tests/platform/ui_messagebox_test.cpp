#include "platform/ui/messagebox.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace platform::ui;

// Sets an environment variable until the returned guard goes out of scope.
auto scopedEnv(const char *name, const QString &value)
{
    const bool had = qEnvironmentVariableIsSet(name);
    const QByteArray old = qgetenv(name);
    qputenv(name, value.toUtf8());
    return qScopeGuard([=] { had ? void(qputenv(name, old)) : void(qunsetenv(name)); });
}

MessageBoxRequest box(MsgButtons buttons, int defaultButton = 0, const QString &text = "t")
{
    MessageBoxRequest r;
    r.text = text;
    r.title = QStringLiteral("Title");
    r.icon = MsgIcon::Question;
    r.buttons = buttons;
    r.defaultButton = defaultButton;
    return r;
}

TEST(MessageBox, RecorderAnswersFromItsQueueThenWithTheDefaultAndNests)
{
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder inner;
        inner.queueAnswer(MsgResult::No);
        EXPECT_EQ(messageBox(box(MsgButtons::YesNo)), MsgResult::No);
        EXPECT_EQ(messageBox(box(MsgButtons::YesNo)), MsgResult::Yes);
        EXPECT_EQ(messageBox(box(MsgButtons::YesNoCancel, 2)), MsgResult::Cancel);
        EXPECT_EQ(messageBox(box(MsgButtons::OKCancel, 7)), MsgResult::OK); // out of range
        EXPECT_EQ(inner.boxes().size(), 4);
    }
    messageBox(box(MsgButtons::OK));
    EXPECT_EQ(outer.boxes().size(), 1); // the outer recorder is back in place
}

TEST(MessageBox, LogRecordsEveryBoxAndAnswersFromTheEnvironment)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("boxes.log"));
    const auto logEnv = scopedEnv("BIDLARK_MESSAGEBOX_LOG", log);
    const auto answers =
        scopedEnv("BIDLARK_MESSAGEBOX_ANSWERS", QStringLiteral(" no ,Bogus,Yes,Retry"));

    const struct {
        MessageBoxRequest request;
        MsgResult expected;
    } cases[] = {
        { box(MsgButtons::YesNo, 0, QStringLiteral("line 1\n\nline 3")), MsgResult::No },
        { box(MsgButtons::YesNo, 1, QStringLiteral("back\\slash =x \\n")), MsgResult::No }, // Bogus
        { box(MsgButtons::OK, 0, QStringLiteral("\r\n")), MsgResult::OK }, // Yes is not on the box
        { box(MsgButtons::RetryCancel), MsgResult::Retry },
        { box(MsgButtons::AbortRetryIgnore, 2, QString()), MsgResult::Ignore }, // list used up
    };
    for (const auto &c : cases)
        EXPECT_EQ(messageBox(c.request), c.expected) << c.request.text.toStdString();

    const QList<LoggedMessageBox> logged = readMessageBoxLog(log);
    ASSERT_EQ(logged.size(), std::size(cases));
    for (qsizetype i = 0; i < logged.size(); ++i) {
        EXPECT_EQ(logged[i].text, cases[i].request.text) << i;
        EXPECT_EQ(logged[i].title, QStringLiteral("Title"));
        EXPECT_EQ(logged[i].icon, QStringLiteral("Question"));
        EXPECT_EQ(logged[i].buttons, buttonsName(cases[i].request.buttons));
        EXPECT_EQ(logged[i].answer, buttonName(cases[i].expected));
    }
}

// Several processes logging at once (a program and the helpers it starts) must leave whole blocks.
TEST(MessageBox, ConcurrentProcessesNeverInterleaveBlocks)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("boxes.log"));
    const auto logEnv = scopedEnv("BIDLARK_MESSAGEBOX_LOG", log);
    constexpr int kChildren = 4;
    constexpr int kBoxes = 100;
    const QString longText = QString(3000, u'x') + QStringLiteral("\nend");
    pid_t children[kChildren];
    for (int c = 0; c < kChildren; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            for (int i = 0; i < kBoxes; ++i)
                messageBox(box(MsgButtons::OK, 0, longText));
            ::_exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QList<LoggedMessageBox> logged = readMessageBoxLog(log);
    ASSERT_EQ(logged.size(), kChildren * kBoxes);
    for (const LoggedMessageBox &b : logged)
        ASSERT_EQ(b.text, longText);
}

TEST(MessageBox, ReadingALogSkipsWhatItDoesNotUnderstand)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.log"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("noise before\n[messagebox]\ntitle=A\nno equals sign\ntext=x\\\n\n"
            "[messagebox]\ntitle=cut off at the end");
    f.close();
    const QList<LoggedMessageBox> logged = readMessageBoxLog(path);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged[0].title, QStringLiteral("A"));
    EXPECT_EQ(logged[0].text, QStringLiteral("x\\"));
    EXPECT_TRUE(readMessageBoxLog(dir.filePath(QStringLiteral("missing.log"))).isEmpty());
}

} // namespace
