// Every box and dialog the uninstaller's window shows, behind one interface, so that tests answer
// them from a script instead of running a modal loop. The Qt implementation shows message boxes
// through the platform's message-box facade (which has its own recorder and log) and the two
// dialogs of the uninstaller's own, "Remove shared file" and "Details", as modal QDialogs.
#pragma once

#include "uninstaller/engine/system_services.h"

#include <QString>

#include <memory>

class QWidget;

namespace uninstaller::frontend {

// The texts of the shared-file question, already in their final form.
struct SharedFileTexts {
    QString text; // message 4 with the path
    QString yesToAll; // message 9
    QString yes; // message 11
    QString no; // message 12
    QString noToAll; // message 10
};

struct DetailsTexts {
    QString title; // the details button's text without "&" and "..."
    QString text; // LF-separated
    QString button; // the close button's text
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A box with the error icon and an OK button.
    virtual void error(const QString &caption, const QString &text, QWidget *parent) = 0;
    // A box with an OK button and the warning icon.
    virtual void notice(const QString &caption, const QString &text, QWidget *parent) = 0;
    // A Yes/No box with the question icon; true for Yes.
    virtual bool question(const QString &caption, const QString &text, QWidget *parent) = 0;
    virtual engine::SharedFileAnswer sharedFile(const SharedFileTexts &texts, QWidget *parent) = 0;
    virtual void details(const DetailsTexts &texts, QWidget *parent) = 0;
};

std::unique_ptr<Dialogs> makeQtDialogs();

} // namespace uninstaller::frontend
