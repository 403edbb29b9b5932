#include "platform/ui/shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace platform::ui {

namespace {
ShellHandler *g_shellHandler = nullptr;
}

void shellOpenDocument(const QString &target, ShowState show)
{
    if (g_shellHandler) {
        g_shellHandler->openDocument(target, show);
        return;
    }
    const QString log = qEnvironmentVariable("BIDLARK_SHELL_LOG");
    if (!log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QString line = target;
            line.replace(u'\n', u' ');
            file.write((line + u'\n').toUtf8());
        }
        return;
    }
    // A bare path has no scheme; anything with one ("http:", "mailto:") is taken as a URL.
    QUrl url(target, QUrl::TolerantMode);
    if (url.scheme().size() <= 1 && QFileInfo(target).isAbsolute())
        url = QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
}

ShellHandler *setShellHandler(ShellHandler *handler)
{
    ShellHandler *previous = g_shellHandler;
    g_shellHandler = handler;
    return previous;
}

ShellRecorder::ShellRecorder()
    : m_previous(setShellHandler(this))
{
}

ShellRecorder::~ShellRecorder()
{
    setShellHandler(m_previous);
}

} // namespace platform::ui
