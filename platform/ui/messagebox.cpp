#include "platform/ui/messagebox.h"

#include <QFile>
#include <QMessageBox>

#include <iterator>

#include <fcntl.h>
#include <unistd.h>

namespace platform::ui {

namespace {

MessageBoxHandler *g_handler = nullptr;

QString escapeField(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString unescapeField(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            QChar n = value[++i];
            out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
        } else {
            out += c;
        }
    }
    return out;
}

// The answers list is read from the environment at every box, so a test may change it between
// boxes; a changed list starts again from its first entry.
std::optional<MsgResult> nextEnvironmentAnswer()
{
    static QString s_list;
    static qsizetype s_next = 0;
    const QString list = qEnvironmentVariable("BIDLARK_MESSAGEBOX_ANSWERS");
    if (list != s_list) {
        s_list = list;
        s_next = 0;
    }
    const QStringList names = list.split(u',', Qt::SkipEmptyParts);
    if (s_next >= names.size())
        return std::nullopt;
    return buttonFromName(names[s_next++]);
}

// One write() of the whole block on an O_APPEND descriptor, so boxes of several processes sharing
// one log never interleave.
void appendToLog(const QString &path, const QByteArray &block)
{
    const QByteArray native = QFile::encodeName(path);
    int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    qsizetype done = 0;
    while (done < block.size()) {
        ssize_t n = ::write(fd, block.constData() + done, size_t(block.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
}

MsgResult logBox(const QString &path, const MessageBoxRequest &request)
{
    MsgResult answer = defaultResult(request);
    // A name that is not a button of this box is used up all the same, so the answers stay in step
    // with the boxes they were written for.
    const std::optional<MsgResult> queued = nextEnvironmentAnswer();
    if (queued && buttonsOf(request.buttons).contains(*queued))
        answer = *queued;
    QString block = QStringLiteral("[messagebox]\n");
    block += QStringLiteral("title=") + escapeField(request.title) + u'\n';
    block += QStringLiteral("icon=") + iconName(request.icon) + u'\n';
    block += QStringLiteral("buttons=") + buttonsName(request.buttons) + u'\n';
    block += QStringLiteral("answer=") + buttonName(answer) + u'\n';
    block += QStringLiteral("text=") + escapeField(request.text) + QStringLiteral("\n\n");
    appendToLog(path, block.toUtf8());
    return answer;
}

QMessageBox::StandardButton toStandard(MsgResult r)
{
    switch (r) {
    case MsgResult::OK:
        return QMessageBox::Ok;
    case MsgResult::Cancel:
        return QMessageBox::Cancel;
    case MsgResult::Abort:
        return QMessageBox::Abort;
    case MsgResult::Retry:
        return QMessageBox::Retry;
    case MsgResult::Ignore:
        return QMessageBox::Ignore;
    case MsgResult::Yes:
        return QMessageBox::Yes;
    case MsgResult::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

MsgResult showReal(const MessageBoxRequest &request, QWidget *parent)
{
    QMessageBox box(parent);
    box.setWindowTitle(request.title);
    box.setText(request.text);
    box.setTextFormat(Qt::PlainText);
    switch (request.icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    const QList<MsgResult> buttons = buttonsOf(request.buttons);
    for (MsgResult b : buttons)
        box.addButton(toStandard(b));
    box.setDefaultButton(toStandard(defaultResult(request)));
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (MsgResult b : buttons) {
        if (toStandard(b) == clicked)
            return b;
    }
    // Closed without a button (Escape, window close): what Windows reports for such a box.
    return buttons.contains(MsgResult::Cancel) ? MsgResult::Cancel : defaultResult(request);
}

} // namespace

QList<MsgResult> buttonsOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
        return { MsgResult::OK };
    case MsgButtons::OKCancel:
        return { MsgResult::OK, MsgResult::Cancel };
    case MsgButtons::AbortRetryIgnore:
        return { MsgResult::Abort, MsgResult::Retry, MsgResult::Ignore };
    case MsgButtons::YesNoCancel:
        return { MsgResult::Yes, MsgResult::No, MsgResult::Cancel };
    case MsgButtons::YesNo:
        return { MsgResult::Yes, MsgResult::No };
    case MsgButtons::RetryCancel:
        return { MsgResult::Retry, MsgResult::Cancel };
    }
    return { MsgResult::OK };
}

MsgResult defaultResult(const MessageBoxRequest &request)
{
    const QList<MsgResult> buttons = buttonsOf(request.buttons);
    if (request.defaultButton >= 0 && request.defaultButton < buttons.size())
        return buttons[request.defaultButton];
    return buttons.first();
}

// MsgResult numbers the buttons from 1 in this order.
constexpr const char *kButtonNames[] = { "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No" };

QString buttonName(MsgResult result)
{
    const auto index = static_cast<std::size_t>(result) - 1;
    return index < std::size(kButtonNames) ? QString::fromLatin1(kButtonNames[index]) : QString();
}

std::optional<MsgResult> buttonFromName(const QString &name)
{
    const QString n = name.trimmed();
    for (std::size_t i = 0; i < std::size(kButtonNames); ++i) {
        if (n.compare(QLatin1StringView(kButtonNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<MsgResult>(i + 1);
    }
    return std::nullopt;
}

QString buttonsName(MsgButtons buttons)
{
    QString name;
    for (MsgResult b : buttonsOf(buttons))
        name += buttonName(b);
    return name;
}

QString iconName(MsgIcon icon)
{
    static constexpr const char *names[] = { "None", "Critical", "Question", "Exclamation",
        "Information" };
    const auto index = static_cast<std::size_t>(icon);
    return index < std::size(names) ? QString::fromLatin1(names[index]) : QString();
}

MsgResult messageBox(const MessageBoxRequest &request, QWidget *parent)
{
    if (g_handler)
        return g_handler->show(request, parent);
    const QString log = qEnvironmentVariable("BIDLARK_MESSAGEBOX_LOG");
    if (!log.isEmpty())
        return logBox(log, request);
    return showReal(request, parent);
}

MsgResult messageBox(
    const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title, QWidget *parent)
{
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.icon = icon;
    request.buttons = buttons;
    return messageBox(request, parent);
}

MessageBoxHandler *setMessageBoxHandler(MessageBoxHandler *handler)
{
    MessageBoxHandler *previous = g_handler;
    g_handler = handler;
    return previous;
}

QList<LoggedMessageBox> readMessageBoxLog(const QString &path)
{
    QList<LoggedMessageBox> boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    const QString content = QString::fromUtf8(file.readAll());
    std::optional<LoggedMessageBox> current;
    for (const QString &line : content.split(u'\n')) {
        if (line == QLatin1String("[messagebox]")) {
            current = LoggedMessageBox {};
            continue;
        }
        if (!current)
            continue;
        if (line.isEmpty()) {
            boxes.append(*current);
            current.reset();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QStringView key = QStringView(line).left(eq);
        const QString value = unescapeField(QStringView(line).mid(eq + 1));
        if (key == u"title")
            current->title = value;
        else if (key == u"icon")
            current->icon = value;
        else if (key == u"buttons")
            current->buttons = value;
        else if (key == u"answer")
            current->answer = value;
        else if (key == u"text")
            current->text = value;
    }
    return boxes;
}

} // namespace platform::ui
