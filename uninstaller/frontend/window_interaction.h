// The uninstaller's window front end: the Interaction of runUninstall made of the progress window
// built from the log's template and the dialogs. The window ignores its close box while the phases
// run (closing it then would leave a half-removed product with nobody watching); once the end
// state is reached, closing asks the restart question and ends the message loop.
#pragma once

#include "uninstaller/frontend/dialogs.h"
#include "uninstaller/frontend/template_window.h"
#include "uninstaller/frontend/uninstall_run.h"

#include <QEventLoop>

#include <functional>
#include <memory>
#include <optional>

namespace uninstaller::frontend {

// Progress window control numbers.
inline constexpr std::uint32_t kDetailsButton = 54;
inline constexpr std::uint32_t kCloseButton = 55;
inline constexpr std::uint32_t kProductText = 57;
inline constexpr std::uint32_t kFinishedMarker = 71;
inline constexpr std::uint32_t kFailedMarker = 72;

// The details text: for each non-empty list (failed files, folders, registry keys) its heading,
// CRLF, the entries each followed by CRLF, and CRLF; the final CRLF removed. O(n).
std::string detailsText(const std::vector<std::string> &files,
    const std::vector<std::string> &folders, const std::vector<std::string> &keys,
    const std::string &filesHeading, const std::string &foldersHeading,
    const std::string &keysHeading);

// A button text as a window title: every "&" and "..." removed.
QString titleFromButton(const QString &text);

class WindowInteraction final : public Interaction, private engine::SharedFileQuestion {
public:
    // `context` is the desktop the window is built for (screenContext() in the program).
    WindowInteraction(Dialogs &dialogs, engine::RestartRequester &restart, BuildContext context);
    ~WindowInteraction() override;
    WindowInteraction(const WindowInteraction &) = delete;
    WindowInteraction &operator=(const WindowInteraction &) = delete;

    void showError(const QString &caption, const QString &text) override;
    void logLoaded(const log::UninstallLog &log, const QString &caption) override;
    bool confirm() override;
    void showProgress() override;
    void registryRefused() override;
    void progressMark(int control) override;
    bool askRestoreBackups() override;
    engine::SharedFileQuestion &sharedFileQuestion() override { return *this; }
    void finish(engine::RemovalEngine &engine) override;

    // Called once from inside the message loop when the end state has been reached, so tests can
    // look at the window and close it. Nothing in the program sets it.
    void setFinishedHook(std::function<void()> hook) { m_finishedHook = std::move(hook); }
    // The built window, once showProgress has run.
    const BuiltWindow *window() const { return m_built ? &*m_built : nullptr; }
    // True between the end state and the window's close.
    bool finished() const { return m_finished; }

private:
    class CloseFilter;

    engine::SharedFileAnswer ask(const std::string &path) override;
    QString message(std::uint32_t key) const;
    QString messageWithProduct(std::uint32_t key, const std::string &value) const;
    void showDetails();
    // The close box or the close button of the finished window: false keeps the window open.
    bool closing();
    QWidget *topWindow() const;

    Dialogs &m_dialogs;
    engine::RestartRequester &m_restart;
    BuildContext m_context;
    const log::UninstallLog *m_log = nullptr;
    QString m_caption;
    std::unique_ptr<QWidget> m_host; // the top-level window: built or hosting the controls
    std::optional<BuiltWindow> m_built;
    std::unique_ptr<CloseFilter> m_filter;
    engine::RemovalEngine *m_engine = nullptr;
    QEventLoop *m_loop = nullptr;
    bool m_finished = false;
    std::function<void()> m_finishedHook;
};

} // namespace uninstaller::frontend
