// Handing a document (a web address, a "mailto:" address, a file) to the desktop to open with its
// default application. The answer is not reported to the caller: the program never checks it.
// Tried in this order: a handler installed in the process (tests install a ShellRecorder); when
// BIDLARK_SHELL_LOG names a file, one line per document is appended to it instead of starting a
// browser; otherwise QDesktopServices::openUrl.
#pragma once

#include <QString>
#include <QStringList>

namespace platform::ui {

// How the caller asks the opened window to appear. The desktop's browser has the last word on
// Linux (there is no portable way to ask it), so the request is kept for handlers and tests.
enum class ShowState { Normal, Maximized };

// `target` is used as it stands: an absolute URL ("http://...", "mailto:...") or a local path.
// Nothing is encoded beyond what QUrl's tolerant parsing does.
void shellOpenDocument(const QString &target, ShowState show = ShowState::Normal);

class ShellHandler {
public:
    virtual ~ShellHandler() = default;
    virtual void openDocument(const QString &target, ShowState show) = 0;
};

// Installs a handler for the whole process and returns the one it replaces (null for none).
ShellHandler *setShellHandler(ShellHandler *handler);

// Test double: records every document for its lifetime and restores the previous handler after.
class ShellRecorder : public ShellHandler {
public:
    ShellRecorder();
    ~ShellRecorder() override;
    ShellRecorder(const ShellRecorder &) = delete;
    ShellRecorder &operator=(const ShellRecorder &) = delete;

    void openDocument(const QString &target, ShowState show) override
    {
        m_opened.append(target);
        m_shows.append(show);
    }
    const QStringList &opened() const { return m_opened; }
    // The show state of each document in `opened`, in the same order.
    const QList<ShowState> &shows() const { return m_shows; }

private:
    ShellHandler *m_previous;
    QStringList m_opened;
    QList<ShowState> m_shows;
};

} // namespace platform::ui
