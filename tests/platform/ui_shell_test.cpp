#include "platform/ui/shell.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace platform::ui;

TEST(Shell, RecorderTakesEveryDocumentAndRestoresThePreviousHandler)
{
    ShellRecorder outer;
    {
        ShellRecorder inner;
        shellOpenDocument(QStringLiteral("http://example.invalid/a b?x=1&y=2"));
        shellOpenDocument(QStringLiteral("mailto:someone@example.invalid"));
        EXPECT_EQ(inner.opened(),
            (QStringList {
                "http://example.invalid/a b?x=1&y=2", "mailto:someone@example.invalid" }));
    }
    shellOpenDocument(QStringLiteral("http://example.invalid/"));
    EXPECT_EQ(outer.opened().size(), 1);
}

TEST(Shell, LogTakesOneLinePerDocumentInsteadOfABrowser)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("shell.log"));
    qputenv("BIDLARK_SHELL_LOG", log.toUtf8());
    shellOpenDocument(QStringLiteral("http://example.invalid/1"));
    shellOpenDocument(QStringLiteral("two\nlines"));
    qunsetenv("BIDLARK_SHELL_LOG");
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("http://example.invalid/1\ntwo lines\n"));
}

} // namespace
