// Handing a document (a web address, a "mailto:" address, a file) to the desktop to open with its
// default application. The answer is not reported to the caller: the program never checks it.
// Tried in this order: a handler installed in the process (tests install a ShellRecorder); when
// BIDLARK_SHELL_LOG names a file, one line per document is appended to it instead of starting a
// browser; otherwise QDesktopServices::openUrl.
#pragma once

#include <QString>
#include <QStringList>

namespace platform::ui {

// `target` is used as it stands: an absolute URL ("http://...", "mailto:...") or a local path.
// Nothing is encoded beyond what QUrl's tolerant parsing does.
void shellOpenDocument(const QString &target);

class ShellHandler {
public:
    virtual ~ShellHandler() = default;
    virtual void openDocument(const QString &target) = 0;
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

    void openDocument(const QString &target) override { m_opened.append(target); }
    const QStringList &opened() const { return m_opened; }

private:
    ShellHandler *m_previous;
    QStringList m_opened;
};

} // namespace platform::ui
