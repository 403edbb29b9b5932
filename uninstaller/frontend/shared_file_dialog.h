// The "Remove shared file" question: one line of text and four buttons in a row. Each button ends
// the dialog with its number; Escape and the close box mean "No".
#pragma once

#include "uninstaller/frontend/dialogs.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace uninstaller::frontend {

enum SharedFileButton : int {
    kYesButton = 1005,
    kNoButton = 1006,
    kYesToAllButton = 1007,
    kNoToAllButton = 1008
};

inline constexpr const char *kSharedFileTitle = "Remove shared file";

class SharedFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit SharedFileDialog(const SharedFileTexts &texts, QWidget *parent = nullptr);

    // The button with `number`, null for any other number.
    QPushButton *button(int number) const;
    QLabel *textLine() const { return m_text; }

    // The answer a dialog result stands for; anything but the four numbers is "No".
    static engine::SharedFileAnswer answerOf(int result);

public slots:
    void reject() override;

private:
    QLabel *m_text;
    QPushButton *m_buttons[4];
};

// The "Details" window: a read-only text of everything that could not be removed, black on white,
// and one button that closes it.
class DetailsDialog : public QDialog {
    Q_OBJECT
public:
    explicit DetailsDialog(const DetailsTexts &texts, QWidget *parent = nullptr);
};

} // namespace uninstaller::frontend
