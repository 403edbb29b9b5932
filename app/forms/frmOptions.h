// The Options dialog ("Options"): the eBay login and viewing choices, the firewall (proxy) login,
// four more eBay profiles and the PayPal login, one page each under a tab strip. Fields are read
// from the in-memory settings when the dialog is made and saved through mSettings on Apply or OK.
//
// Pages not shown are hidden and disabled. Ctrl+Tab moves to the next tab, from the last to the
// first. A firewall port that is not a whole number 1-65535 is refused with a message naming the
// field, and nothing is saved.
#pragma once

#include <QDialog>

#include <array>
#include <functional>

class frmMain;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPageCount = 4;

    // `main` receives the settings' menu updates, the firewall settings and the resync.
    explicit frmOptions(frmMain *main, QWidget *parent = nullptr);
    ~frmOptions() override;
    Q_DISABLE_COPY(frmOptions)

    // The dialog as File > Preferences shows it: modal, deleted when done. Tests and process runs
    // never enter a modal loop: an installed driver (setModalDriver) gets the dialog instead, and
    // with BIDLARK_MESSAGEBOX_LOG or BIDLARK_OPTIONS_ANSWERS set each showing takes the next
    // button name of BIDLARK_OPTIONS_ANSWERS (OK, Apply, Cancel; Cancel once used up) as clicked.
    static void showModal(frmMain *main);
    // The non-modal dialog (a refresh without credentials): one at a time, raised when open.
    static frmOptions *showModeless(frmMain *main);
    using Driver = std::function<void(frmOptions &)>;
    // Installs a driver for showModal and returns the one it replaces (empty for none).
    static Driver setModalDriver(Driver driver);

    // The buttons' actions. apply() returns false when a field was refused (nothing is saved).
    bool apply();
    void ok();
    void cancel();

    // The tab strip and the pages; currentPage() is the selected tab's index.
    QTabBar *tbsOptions() const { return m_tabs; }
    QWidget *picOptions(int index) const { return m_pages.at(index); }
    void selectTab(int index);

    QLineEdit *txtUserName() const { return m_userName; }
    QLineEdit *txtPassword() const { return m_password; }
    QComboBox *cmbCountry() const { return m_country; }
    QComboBox *cmbRefresh() const { return m_refresh; }
    QComboBox *cmbDataView() const { return m_dataView; }
    QLineEdit *txtFirewallHost() const { return m_fwHost; }
    QLineEdit *txtFirewallPort() const { return m_fwPort; }
    QLineEdit *txtFirewallLogin() const { return m_fwLogin; }
    QLineEdit *txtFirewallPassword() const { return m_fwPassword; }
    // Profiles 2 to 5 by profile number.
    QLineEdit *txtProfileUserName(int profile) const { return m_profileUser.at(profile - 2); }
    QLineEdit *txtProfilePassword(int profile) const { return m_profilePassword.at(profile - 2); }
    QLineEdit *txtPayPalID() const { return m_payPalId; }
    QLineEdit *txtPayPalPassword() const { return m_payPalPassword; }
    QCheckBox *chkPayPal() const { return m_payPalCheck; }
    QPushButton *cmdOK() const { return m_ok; }
    QPushButton *cmdCancel() const { return m_cancel; }
    QPushButton *cmdApply() const { return m_apply; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildEbayPage();
    QWidget *buildFirewallPage();
    QWidget *buildProfilesPage();
    QWidget *buildPayPalPage();
    void loadFields();
    void tabClick(int index);

    frmMain *m_main;
    QTabBar *m_tabs;
    std::array<QWidget *, kPageCount> m_pages {};
    QLineEdit *m_userName = nullptr;
    QLineEdit *m_password = nullptr;
    QComboBox *m_country = nullptr;
    QComboBox *m_refresh = nullptr;
    QComboBox *m_dataView = nullptr;
    QLineEdit *m_fwHost = nullptr;
    QLineEdit *m_fwPort = nullptr;
    QLineEdit *m_fwLogin = nullptr;
    QLineEdit *m_fwPassword = nullptr;
    std::array<QLineEdit *, 4> m_profileUser {};
    std::array<QLineEdit *, 4> m_profilePassword {};
    QLineEdit *m_payPalId = nullptr;
    QLineEdit *m_payPalPassword = nullptr;
    QCheckBox *m_payPalCheck = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_apply = nullptr;
};
