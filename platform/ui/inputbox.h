// The input box: a prompt, a title and one line of text typed by the user; cancelling gives an
// empty text, as does leaving the line empty. Answered, in this order, by:
//   1. a handler installed in the process (tests install an InputBoxRecorder),
//   2. when BIDLARK_INPUTBOX_ANSWERS is set, the next entry of that comma-separated list (an empty
//      entry or the list used up answers as a cancel), so whole programs can be tested without a
//      person; the same when BIDLARK_MESSAGEBOX_LOG is set, since such a run never shows dialogs,
//   3. a real modal QInputDialog.
#pragma once

#include "platform/ui/dialog_recorder.h"

#include <QString>

class QWidget;

namespace platform::ui {

enum class InputEcho { Normal, Password };

struct InputBoxRequest {
    QString prompt;
    QString title;
    InputEcho echo = InputEcho::Normal;
};

// Shows (or answers) one input box; the typed text, empty when cancelled. Never throws.
QString inputBox(const InputBoxRequest &request, QWidget *parent = nullptr);

using InputBoxHandler = DialogHandler<InputBoxRequest, QString>;

// Installs a handler for the whole process and returns the one it replaces (null for none).
InputBoxHandler *setInputBoxHandler(InputBoxHandler *handler);

// Test double: records every box and answers from a queue, then as a cancel.
class InputBoxRecorder : public DialogRecorder<InputBoxRequest, QString> {
public:
    InputBoxRecorder()
        : DialogRecorder(setInputBoxHandler, [](const InputBoxRequest &) { return QString(); })
    {
    }
};

} // namespace platform::ui
