#include "uninstaller/frontend/window_interaction.h"

#include "uninstaller/frontend/window_text.h"
#include "uninstaller/log/codepage.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace uninstaller::frontend {

namespace {

// Numbers of the template's messages (1 to 12) and of its step marks (61 to 65).
enum TemplateId : std::uint32_t {
    kConfirmMessage = 1,
    kRegistryRefusedMessage,
    kRestoreMessage,
    kSharedFileMessage,
    kFilesHeading,
    kFoldersHeading,
    kKeysHeading,
    kRestartMessage,
    kYesToAllLabel,
    kNoToAllLabel,
    kYesLabel,
    kNoLabel,
    kFirstMark = 61,
    kLastMark = 65,
};

QString controlText(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    return {};
}

void setControlText(QWidget *widget, const QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
    else if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
}

void appendList(std::string &out, const std::vector<std::string> &list, const std::string &heading)
{
    if (list.empty())
        return;
    out += heading;
    out += "\r\n";
    for (const std::string &entry : list) {
        out += entry;
        out += "\r\n";
    }
    out += "\r\n";
}

} // namespace

class WindowInteraction::CloseFilter final : public QObject {
public:
    explicit CloseFilter(WindowInteraction &owner)
        : m_owner(owner)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close && !m_owner.closing()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    WindowInteraction &m_owner;
};

std::string detailsText(const std::vector<std::string> &files,
    const std::vector<std::string> &folders, const std::vector<std::string> &keys,
    const std::string &filesHeading, const std::string &foldersHeading,
    const std::string &keysHeading)
{
    std::string text;
    appendList(text, files, filesHeading);
    appendList(text, folders, foldersHeading);
    appendList(text, keys, keysHeading);
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    return text;
}

QString titleFromButton(const QString &text)
{
    QString title = text;
    title.remove(QLatin1String("..."));
    title.remove(QLatin1Char('&'));
    return title;
}

WindowInteraction::WindowInteraction(
    Dialogs &dialogs, engine::RestartRequester &restart, BuildContext context)
    : m_dialogs(dialogs)
    , m_restart(restart)
    , m_context(std::move(context))
    , m_filter(std::make_unique<CloseFilter>(*this))
{
}

WindowInteraction::~WindowInteraction()
{
    if (m_host)
        m_host->removeEventFilter(m_filter.get());
}

QWidget *WindowInteraction::topWindow() const
{
    return m_host.get();
}

QString WindowInteraction::message(std::uint32_t key) const
{
    if (!m_log)
        return {};
    return log::cp1252ToQString(
        applyLanguageVariant(m_log->messages.LookUpMessage(key), m_log->messages.language));
}

QString WindowInteraction::messageWithProduct(std::uint32_t key, const std::string &value) const
{
    if (!m_log)
        return {};
    return log::cp1252ToQString(insertProductName(
        applyLanguageVariant(m_log->messages.LookUpMessage(key), m_log->messages.language), value));
}

void WindowInteraction::showError(const QString &caption, const QString &text)
{
    m_dialogs.error(caption, text, topWindow());
}

void WindowInteraction::logLoaded(const log::UninstallLog &log, const QString &caption)
{
    m_log = &log;
    m_caption = caption;
}

bool WindowInteraction::confirm()
{
    return m_dialogs.question(
        m_caption, messageWithProduct(kConfirmMessage, m_log->firstLine.productName), nullptr);
}

void WindowInteraction::showProgress()
{
    const auto tpl = log::parseWindowTemplate(m_log->windowTemplate);
    if (!tpl)
        return; // the log reader refuses such logs; nothing to show
    BuildContext context = m_context;
    context.language = m_log->messages.language;
    context.pictures = &m_log->pictures;
    if (!(tpl->style & kWsVisible)) {
        // A child template: its controls go into a plain window of the template's size.
        m_host = std::make_unique<QWidget>();
        const Rect outer = PlaceWindow(tpl->width, tpl->height, tpl->positionCode, tpl->xOffset,
            tpl->yOffset, scaleFactor(context.verticalDpi), context.workArea, context.frame);
        const Rect client = clientArea(outer, context.frame);
        m_host->setGeometry(client.x, client.y, client.width, client.height);
    }
    m_built = buildTemplateWindow(*tpl, context, m_host.get());
    if (!m_built)
        return;
    if (m_built->topLevel)
        m_host.reset(m_built->window);

    for (std::uint32_t n : std::initializer_list<std::uint32_t> { kFirstMark, kFirstMark + 1,
             kFirstMark + 2, kFirstMark + 3, kLastMark, kFinishedMarker, kFailedMarker }) {
        if (QWidget *control = m_built->control(n))
            control->hide();
    }
    if (QWidget *product = m_built->control(kProductText)) {
        QString text = controlText(product);
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at >= 0) {
            text.replace(at, 2, log::cp1252ToQString(m_log->firstLine.productName));
            setControlText(product, text);
        }
    }
    m_host->setWindowTitle(m_caption);
    m_host->installEventFilter(m_filter.get());
    m_host->show();
    QCoreApplication::processEvents();
}

void WindowInteraction::registryRefused()
{
    m_dialogs.notice(m_caption, message(kRegistryRefusedMessage), topWindow());
}

void WindowInteraction::progressMark(int control)
{
    if (m_built) {
        if (QWidget *mark = m_built->control(static_cast<std::uint32_t>(control)))
            mark->show();
    }
    QCoreApplication::processEvents();
}

bool WindowInteraction::askRestoreBackups()
{
    return m_dialogs.question(m_caption, message(kRestoreMessage), topWindow());
}

engine::SharedFileAnswer WindowInteraction::ask(const std::string &path)
{
    const SharedFileTexts texts { messageWithProduct(kSharedFileMessage, path),
        message(kYesToAllLabel), message(kYesLabel), message(kNoLabel), message(kNoToAllLabel) };
    return m_dialogs.sharedFile(texts, topWindow());
}

void WindowInteraction::finish(engine::RemovalEngine &engine)
{
    m_engine = &engine;
    if (!m_host || !m_built)
        return; // no window was built: there is nothing to wait for
    m_finished = true;
    if (QWidget *close = m_built->control(kCloseButton)) {
        close->setEnabled(true);
        if (auto *button = qobject_cast<QPushButton *>(close)) {
            button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, m_host.get(), &QWidget::close);
        }
        m_host->activateWindow();
        close->setFocus();
    }
    if (QWidget *marker = m_built->control(kFinishedMarker))
        marker->show();
    QWidget *details = m_built->control(kDetailsButton);
    if (auto *button = qobject_cast<QAbstractButton *>(details))
        QObject::connect(
            button, &QAbstractButton::clicked, m_host.get(), [this] { showDetails(); });
    if (!engine.failedFiles().empty() || !engine.failedFolders().empty() ||
        !engine.failedRegistryKeys().empty()) {
        if (details)
            details->setEnabled(true);
        if (QWidget *marker = m_built->control(kFailedMarker))
            marker->show();
    }

    QEventLoop loop;
    m_loop = &loop;
    if (m_finishedHook)
        QTimer::singleShot(0, &loop, m_finishedHook);
    if (m_finished)
        loop.exec();
    m_loop = nullptr;
    m_host->hide();
}

void WindowInteraction::showDetails()
{
    if (!m_engine || !m_built)
        return;
    auto heading = [this](std::uint32_t key) {
        return applyLanguageVariant(m_log->messages.LookUpMessage(key), m_log->messages.language);
    };
    QString text = log::cp1252ToQString(detailsText(m_engine->failedFiles(),
        m_engine->failedFolders(), m_engine->failedRegistryKeys(), heading(kFilesHeading),
        heading(kFoldersHeading), heading(kKeysHeading)));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    const DetailsTexts texts { titleFromButton(controlText(m_built->control(kDetailsButton))), text,
        controlText(m_built->control(kCloseButton)) };
    m_dialogs.details(texts, m_host.get());
}

bool WindowInteraction::closing()
{
    if (!m_finished)
        return false;
    m_finished = false;
    if (m_engine && m_engine->takeRestartNeeded() &&
        m_dialogs.question(m_caption, message(kRestartMessage), m_host.get()))
        m_restart.requestRestart();
    if (m_loop)
        m_loop->quit();
    return true;
}

} // namespace uninstaller::frontend
