#include "platform/ui/inputbox.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QStringList>

#include <utility>

namespace platform::ui {

namespace {

InputBoxHandler *g_handler = nullptr;

// The next answer of BIDLARK_INPUTBOX_ANSWERS; a changed list starts again from its first entry.
QString nextEnvironmentAnswer()
{
    static QString s_list;
    static qsizetype s_next = 0;
    const QString list = qEnvironmentVariable("BIDLARK_INPUTBOX_ANSWERS");
    if (list != s_list) {
        s_list = list;
        s_next = 0;
    }
    const QStringList answers = list.split(u',');
    return s_next < answers.size() ? answers[s_next++] : QString();
}

} // namespace

QString inputBox(const InputBoxRequest &request, QWidget *parent)
{
    if (g_handler)
        return g_handler->show(request, parent);
    if (qEnvironmentVariableIsSet("BIDLARK_INPUTBOX_ANSWERS") ||
        qEnvironmentVariableIsSet("BIDLARK_MESSAGEBOX_LOG"))
        return nextEnvironmentAnswer();
    bool ok = false;
    const QString text = QInputDialog::getText(parent, request.title, request.prompt,
        request.echo == InputEcho::Password ? QLineEdit::Password : QLineEdit::Normal, QString(),
        &ok);
    return ok ? text : QString();
}

InputBoxHandler *setInputBoxHandler(InputBoxHandler *handler)
{
    return std::exchange(g_handler, handler);
}

} // namespace platform::ui
