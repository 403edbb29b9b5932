// The About box ("About"): title, version, legal notice and warning, and three labels that act when
// clicked: the product web site, the support mail address and the debug window. Non-modal and
// single: asking for it again raises the open one.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // The legal-notice field of the program's version information.
    static constexpr const char *kLegalCopyright = "Copyright (C) 2001-2026 The Bidlark developers";

    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;
    Q_DISABLE_COPY(frmAbout)

    // Shows the one About box (creating it as a window of `parent` when there is none) and raises
    // it. Returns it; it deletes itself when closed.
    static frmAbout *showAbout(QWidget *parent);
    static frmAbout *instance();

    QLabel *lblTitle() const { return m_title; }
    QLabel *lblVersion() const { return m_version; }
    QLabel *lblLegal() const { return m_legal; }
    QLabel *lblDisclaimer() const { return m_disclaimer; }
    QLabel *lblWeb() const { return m_web; }
    QLabel *lblEMail() const { return m_mail; }
    QLabel *lblDebug() const { return m_debug; }
    QPushButton *cmdClose() const { return m_close; }

    // What the three labels do when clicked.
    void webClick();
    void mailClick();
    void debugClick();

private:
    QLabel *m_title;
    QLabel *m_version;
    QLabel *m_legal;
    QLabel *m_disclaimer;
    QLabel *m_web;
    QLabel *m_mail;
    QLabel *m_debug;
    QPushButton *m_close;
    int m_linkRows = 0;
};
