// Message boxes as the program asks for them: icon, button set, title and text in, the chosen
// button out. Three ways to answer, tried in this order:
//   1. a handler installed in the process (tests install a MessageBoxRecorder),
//   2. when BIDLARK_MESSAGEBOX_LOG names a file, the box is appended to that file and answered with
//      the next name from BIDLARK_MESSAGEBOX_ANSWERS (comma-separated:
//      OK,Cancel,Abort,Retry,Ignore, Yes,No) or, when that list is used up or names a button the
//      box lacks, with its default,
//   3. a real modal QMessageBox.
// The log lets whole programs be tested as processes without a display or a person to click.
#pragma once

#include "platform/ui/dialog_recorder.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace platform::ui {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };

enum class MsgButtons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

// The numbers are the ones Windows message boxes return, so callers ported from there compare the
// same values.
enum class MsgResult { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    int defaultButton = 0; // 0-based position in the button set; out of range means the first
};

// The buttons of a set, left to right.
QList<MsgResult> buttonsOf(MsgButtons buttons);
// The button a box gives when nobody chooses: its default button (the first when out of range).
MsgResult defaultResult(const MessageBoxRequest &request);

QString buttonName(MsgResult result); // "OK", "Yes", ...
std::optional<MsgResult> buttonFromName(const QString &name); // case-insensitive, blanks trimmed
QString buttonsName(MsgButtons buttons); // "OK", "YesNo", ...
QString iconName(MsgIcon icon); // "None", "Exclamation", ...

// Shows (or logs, or records) one box and returns the chosen button. Never throws.
MsgResult messageBox(const MessageBoxRequest &request, QWidget *parent = nullptr);
MsgResult messageBox(const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title,
    QWidget *parent = nullptr);

using MessageBoxHandler = DialogHandler<MessageBoxRequest, MsgResult>;

// Installs a handler for the whole process and returns the one it replaces (null for none).
MessageBoxHandler *setMessageBoxHandler(MessageBoxHandler *handler);

// Test double: records every box and answers from a queue, then with the default button.
class MessageBoxRecorder : public DialogRecorder<MessageBoxRequest, MsgResult> {
public:
    MessageBoxRecorder()
        : DialogRecorder(setMessageBoxHandler, defaultResult)
    {
    }
};

// One record of the log file. The file is a sequence of blocks:
//
//   [messagebox]
//   title=<escaped>
//   icon=Exclamation
//   buttons=OK
//   answer=OK
//   text=<escaped>
//   <blank line>
//
// Escaped values replace "\" by "\\", line feed by "\n" and carriage return by "\r", so each field
// is one line and a text with blank lines in it survives exactly.
struct LoggedMessageBox {
    QString title;
    QString icon;
    QString buttons;
    QString answer;
    QString text;
};

// Reads every complete block of a log file; a missing file gives an empty list, a line it does not
// understand is skipped.
QList<LoggedMessageBox> readMessageBoxLog(const QString &path);

} // namespace platform::ui
