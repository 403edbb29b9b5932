#include "app/forms/frmOptions.h"

#include "app/forms/click_label.h"
#include "app/forms/frmMain.h"
#include "app/modules/mSettings.h"
#include "app/modules/mStartup.h"
#include "app/modules/mWeb.h"
#include "platform/ui/messagebox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

frmOptions::Driver g_driver;
QPointer<frmOptions> g_modeless;
int g_answersUsed = 0; // how many of BIDLARK_OPTIONS_ANSWERS this process has taken

QLabel *note(const char *text, QWidget *parent)
{
    auto *label = new QLabel(QString::fromUtf8(text), parent);
    label->setWordWrap(true);
    return label;
}

QLineEdit *secret(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QComboBox *dropDown(const QStringList &items, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->addItems(items);
    return combo;
}

// Shows `text` in the drop-down; a stored text that is not in the list (a hand-edited "Ireland")
// is added, so that saving without touching the field keeps it.
void showText(QComboBox *combo, const QString &text)
{
    int index = combo->findText(text);
    if (index < 0 && !text.isEmpty()) {
        combo->addItem(text);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

// One page: a frame with `caption` holding `grid`, topped up with stretch.
QWidget *page(const char *caption, QGridLayout *grid, QWidget *parent)
{
    auto *pageWidget = new QWidget(parent);
    auto *frame = new QGroupBox(QLatin1String(caption), pageWidget);
    frame->setLayout(grid);
    auto *layout = new QVBoxLayout(pageWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    layout->addStretch(1);
    return pageWidget;
}

} // namespace

frmOptions::frmOptions(frmMain *main, QWidget *parent)
    : QDialog(parent)
    , m_main(main)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tbsOptions"));
    const std::pair<const char *, const char *> tabs[] = { { "eBay", "Your eBay settings" },
        { "Firewall", "Your firewall settings" },
        { "eBay Profiles", "eBay Multiple User Profiles" }, { "PayPal", "Your PayPal settings" } };
    for (const auto &[caption, tip] : tabs) {
        const int i = m_tabs->addTab(QLatin1String(caption));
        m_tabs->setTabToolTip(i, QLatin1String(tip));
    }

    // All pages share one cell; only the selected one is visible, so the cell keeps the size of
    // the largest page and the dialog does not jump when the tab changes.
    auto *pageArea = new QWidget(this);
    auto *stack = new QGridLayout(pageArea);
    stack->setContentsMargins(0, 0, 0, 0);
    m_pages = { buildEbayPage(), buildFirewallPage(), buildProfilesPage(), buildPayPalPage() };
    QSize largest;
    for (int i = 0; i < kPageCount; ++i) {
        m_pages[i]->setParent(pageArea);
        m_pages[i]->setObjectName(QStringLiteral("picOptions%1").arg(i));
        stack->addWidget(m_pages[i], 0, 0);
        largest = largest.expandedTo(m_pages[i]->sizeHint());
    }
    pageArea->setMinimumSize(largest);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : { m_ok, m_cancel, m_apply })
        buttons->addWidget(b);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(pageArea, 1);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &frmOptions::ok);
    connect(m_cancel, &QPushButton::clicked, this, &frmOptions::cancel);
    connect(m_apply, &QPushButton::clicked, this, &frmOptions::apply);
    connect(m_tabs, &QTabBar::currentChanged, this, &frmOptions::tabClick);

    loadFields();
    tabClick(0);
}

frmOptions::~frmOptions() = default;

QWidget *frmOptions::buildEbayPage()
{
    auto *grid = new QGridLayout;
    m_userName = new QLineEdit(this);
    m_password = secret(this);
    m_country = dropDown({ "United States", "United Kingdom", "Canada", "Australia" }, this);
    m_refresh = dropDown({ "5 Minutes", "15 Minutes", "30 Minutes", "60 Minutes" }, this);
    m_dataView = dropDown(
        { "Today", "2 Days", "5 Days", "10 Days", "15 Days", "20 Days", "25 Days", "30 Days" },
        this);
    grid->addWidget(new QLabel(QStringLiteral("eBay ID (user name):"), this), 0, 0);
    grid->addWidget(m_userName, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password:"), this), 1, 0);
    grid->addWidget(m_password, 1, 1);
    grid->addWidget(
        note("Note: Your ID and Password are stored on YOUR computer.", this), 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Country:"), this), 3, 0);
    grid->addWidget(m_country, 3, 1);
    grid->addWidget(new QLabel(QStringLiteral("Refresh Rate:"), this), 4, 0);
    grid->addWidget(m_refresh, 4, 1);
    grid->addWidget(new QLabel(QStringLiteral("View Days Back:"), this), 5, 0);
    grid->addWidget(m_dataView, 5, 1);
    grid->addWidget(note("Note:  These settings allow you to set your viewing preferences on eBay. "
                         " Basically sets how oftens and how far back you want to view your "
                         "auctions.",
                        this),
        6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page("eBay Login Information", grid, this);
}

QWidget *frmOptions::buildFirewallPage()
{
    auto *grid = new QGridLayout;
    m_fwHost = new QLineEdit(this);
    m_fwPort = new QLineEdit(this);
    m_fwLogin = new QLineEdit(this);
    m_fwPassword = new QLineEdit(this); // shown in clear, as it always was
    const std::pair<const char *, QLineEdit *> rows[] = { { "Firewall Host:", m_fwHost },
        { "Firewall Port:", m_fwPort }, { "Firewall LogonName:", m_fwLogin },
        { "Firewall Password:", m_fwPassword } };
    int row = 0;
    for (const auto &[caption, edit] : rows) {
        grid->addWidget(new QLabel(QLatin1String(caption), this), row, 0);
        grid->addWidget(edit, row++, 1);
    }
    grid->addWidget(
        note("Note: Only fill out if you are behind a firewall or proxy.", this), row, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page("Firewall Preferences", grid, this);
}

QWidget *frmOptions::buildProfilesPage()
{
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("eBay UserName"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password"), this), 0, 2);
    for (int p = 2; p <= mSettings::kProfileCount; ++p) {
        m_profileUser[p - 2] = new QLineEdit(this);
        m_profilePassword[p - 2] = secret(this);
        grid->addWidget(new QLabel(QStringLiteral("Profile %1:").arg(p), this), p - 1, 0);
        grid->addWidget(m_profileUser[p - 2], p - 1, 1);
        grid->addWidget(m_profilePassword[p - 2], p - 1, 2);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return page("eBay Multiple Profiles", grid, this);
}

QWidget *frmOptions::buildPayPalPage()
{
    auto *grid = new QGridLayout;
    m_payPalId = new QLineEdit(this);
    m_payPalPassword = secret(this);
    m_payPalCheck = new QCheckBox(this);
    // The check box's text wraps in a label of its own; clicking it toggles the box.
    auto *checkText = new ClickLabel(
        QStringLiteral(
            "Save your Password on YOUR computer and auto login to PayPal?  If unchecked, you will "
            "be "
            "prompted to login.  Leave teh PayPal ID field blank if you wish not to use the PayPal "
            "feature."),
        this);
    checkText->setObjectName(QStringLiteral("lblPayPalCheck"));
    checkText->setWordWrap(true);
    checkText->setBuddy(m_payPalCheck);
    connect(checkText, &ClickLabel::clicked, m_payPalCheck, &QCheckBox::toggle);
    grid->addWidget(new QLabel(QStringLiteral("PayPal ID (your email):"), this), 0, 0);
    grid->addWidget(m_payPalId, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password:"), this), 1, 0);
    grid->addWidget(m_payPalPassword, 1, 1);
    auto *checkRow = new QHBoxLayout;
    checkRow->addWidget(m_payPalCheck, 0, Qt::AlignTop);
    checkRow->addWidget(checkText, 1);
    grid->addLayout(checkRow, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page("PayPal Login Information", grid, this);
}

void frmOptions::loadFields()
{
    const mSettings::Settings &s = mSettings::settings;
    // Profile 1, not the credentials in use: a switch to another profile changes those only.
    m_userName->setText(s.profileUserName[0]);
    m_password->setText(s.profilePassword[0]);
    showText(m_country, s.eBayCountry);
    showText(m_refresh, s.refresh);
    showText(m_dataView, s.dataView);
    m_fwHost->setText(s.firewallHost);
    m_fwPort->setText(s.firewallPort);
    m_fwLogin->setText(s.firewallLogin);
    m_fwPassword->setText(s.firewallPassword);
    for (int p = 2; p <= mSettings::kProfileCount; ++p) {
        m_profileUser[p - 2]->setText(s.profileUserName[p - 1]);
        m_profilePassword[p - 2]->setText(s.profilePassword[p - 1]);
    }
    m_payPalId->setText(s.payPalUserID);
    m_payPalPassword->setText(s.payPalPassword);
    m_payPalCheck->setChecked(s.payPalCheck == 1);
}

void frmOptions::tabClick(int index)
{
    for (int i = 0; i < kPageCount; ++i) {
        m_pages[i]->setVisible(i == index);
        m_pages[i]->setEnabled(i == index);
    }
}

void frmOptions::selectTab(int index)
{
    m_tabs->setCurrentIndex(index);
}

void frmOptions::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier) {
        selectTab((m_tabs->currentIndex() + 1) % m_tabs->count());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmOptions::apply()
{
    // A port the proxy cannot use would be stored and then silently ignored; say so instead.
    const QString port = m_fwPort->text();
    if (!port.trimmed().isEmpty() && mWeb::FirewallPortNumber(port) == 0) {
        platform::ui::messageBox(
            QStringLiteral("Firewall Port: must be a whole number from 1 to 65535, or empty."),
            platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Exclamation,
            QLatin1String(mStartup::kProgramTitle), this);
        selectTab(1);
        m_fwPort->setFocus();
        m_fwPort->selectAll();
        return false;
    }

    mSettings::OptionsFields f;
    f.userId = m_userName->text();
    f.password = m_password->text();
    f.refresh = m_refresh->currentText();
    f.dataView = m_dataView->currentText();
    f.country = m_country->currentText();
    for (int p = 2; p <= mSettings::kProfileCount; ++p) {
        f.profileUserName[p - 2] = m_profileUser[p - 2]->text();
        f.profilePassword[p - 2] = m_profilePassword[p - 2]->text();
    }
    f.payPalUserID = m_payPalId->text();
    f.payPalPassword = m_payPalPassword->text();
    f.payPalCheck = m_payPalCheck->isChecked() ? 1 : 0;
    f.firewallHost = m_fwHost->text();
    f.firewallPort = port;
    f.firewallLogin = m_fwLogin->text();
    f.firewallPassword = m_fwPassword->text();

    if (m_main) {
        mSettings::saveFromOptions(f, *m_main);
        // Also with an empty host: that takes the proxy away, so clearing the host takes effect.
        mWeb::ApplyFirewallSettings(m_main);
        m_main->setProfileCaptions();
        m_main->setPayPalMenuVisible();
    }
    return true;
}

void frmOptions::ok()
{
    if (!apply())
        return;
    frmMain *main = m_main;
    accept();
    if (!main || mSettings::current.password.isEmpty() || mSettings::current.userId.isEmpty())
        return;
    const auto answer = platform::ui::messageBox(QStringLiteral("Connect Now to Resync Data?"),
        platform::ui::MsgButtons::YesNo, platform::ui::MsgIcon::Question,
        QLatin1String(mStartup::kProgramTitle), main);
    if (answer == platform::ui::MsgResult::Yes)
        main->Connect();
    else
        main->startRefreshTimer();
}

void frmOptions::cancel()
{
    reject();
}

frmOptions::Driver frmOptions::setModalDriver(Driver driver)
{
    Driver previous = std::move(g_driver);
    g_driver = std::move(driver);
    return previous;
}

void frmOptions::showModal(frmMain *main)
{
    frmOptions dialog(main, main);
    dialog.setModal(true);
    if (g_driver) {
        g_driver(dialog);
        return;
    }
    if (qEnvironmentVariableIsSet("BIDLARK_MESSAGEBOX_LOG") ||
        qEnvironmentVariableIsSet("BIDLARK_OPTIONS_ANSWERS")) {
        const QStringList answers =
            qEnvironmentVariable("BIDLARK_OPTIONS_ANSWERS").split(u',', Qt::SkipEmptyParts);
        const QString answer =
            g_answersUsed < answers.size() ? answers[g_answersUsed++].trimmed() : QString();
        if (answer.compare(u"OK", Qt::CaseInsensitive) == 0)
            dialog.ok();
        else if (answer.compare(u"Apply", Qt::CaseInsensitive) == 0)
            dialog.apply();
        return;
    }
    dialog.exec();
}

frmOptions *frmOptions::showModeless(frmMain *main)
{
    if (!g_modeless) {
        g_modeless = new frmOptions(main, main); // deletes itself on close
        g_modeless->setAttribute(Qt::WA_DeleteOnClose);
    }
    g_modeless->show();
    g_modeless->raise();
    g_modeless->activateWindow();
    return g_modeless;
}
