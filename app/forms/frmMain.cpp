#include "app/forms/frmMain.h"

#include "app/modules/VbConvert.h"
#include "app/modules/mStartup.h"
#include "app/modules/sites.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

frmMain *g_instance = nullptr;

constexpr int kStatusPictureSize = 16;

// The busy picture of status panel 1: a small hourglass, drawn so that no image file is needed.
QPixmap busyPicture()
{
    QPixmap pixmap(kStatusPictureSize, kStatusPictureSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(250, 210, 90));
    const QPointF glass[] = { { 3.5, 1.5 }, { 12.5, 1.5 }, { 8.5, 8 }, { 12.5, 14.5 },
        { 3.5, 14.5 }, { 7.5, 8 } };
    p.drawPolygon(glass, 6);
    return pixmap;
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    // The "Visit" entry names the product site the site table points at.
    m_menus.build(menuBar(), QUrl(sites::siteUrl(sites::Role::Product)).host());
    buildStatusBar();

    // The item tree fills this area once it exists.
    auto *treeArea = new QWidget(this);
    treeArea->setObjectName(QStringLiteral("treeArea"));
    setCentralWidget(treeArea);

    const std::pair<QTimer *, int> timers[] = { { &tmStartupDelay, kStartupDelayInterval },
        { &tmCheckVersion, kCheckVersionInterval }, { &tmStartup, kStartupInterval },
        { &tmRefresh, kRefreshInterval }, { &tmAlert, kAlertInterval },
        { &tmAdBanner, kAdBannerInterval } };
    for (const auto &[timer, interval] : timers)
        timer->setInterval(interval);
    QObject::connect(&tmStartupDelay, &QTimer::timeout, this, &frmMain::tmStartupDelayTick);
    QObject::connect(&tmCheckVersion, &QTimer::timeout, this, &frmMain::tmCheckVersionTick);
    QObject::connect(&tmStartup, &QTimer::timeout, this, &frmMain::tmStartupTick);
    QObject::connect(&tmRefresh, &QTimer::timeout, this, &frmMain::tmRefreshTick);
    QObject::connect(&tmAlert, &QTimer::timeout, this, &frmMain::tmAlertTick);
    QObject::connect(&tmAdBanner, &QTimer::timeout, this, &frmMain::tmAdBannerTick);
    // Enabled from the start, as the window was designed; the load switches the banner.
    tmStartupDelay.start();
    tmAlert.start();
    tmAdBanner.start();

    wireMenus();
    load();
}

frmMain::~frmMain()
{
    if (g_instance == this)
        g_instance = nullptr;
}

frmMain *frmMain::instance()
{
    return g_instance;
}

void frmMain::buildStatusBar()
{
    m_statusPicture = new QLabel(this);
    m_statusPicture->setObjectName(QStringLiteral("statusPanel1"));
    m_statusPicture->setFixedSize(kStatusPictureSize + 8, kStatusPictureSize + 4);
    m_statusPicture->setAlignment(Qt::AlignCenter);
    m_statusPicture->setFrameShape(QFrame::StyledPanel);
    m_statusPicture->setFrameShadow(QFrame::Sunken);
    m_statusText = new QLabel(this);
    m_statusText->setObjectName(QStringLiteral("statusPanel2"));
    m_statusText->setFrameShape(QFrame::StyledPanel);
    m_statusText->setFrameShadow(QFrame::Sunken);
    statusBar()->addWidget(m_statusPicture);
    statusBar()->addWidget(m_statusText, 1);
    statusBar()->setSizeGripEnabled(true);
}

void frmMain::setStatusBusy(bool busy)
{
    if (busy)
        m_statusPicture->setPixmap(busyPicture());
    else
        m_statusPicture->clear();
}

bool frmMain::statusBusy() const
{
    return !m_statusPicture->pixmap().isNull();
}

void frmMain::setStatusText(const QString &text)
{
    m_statusText->setText(text);
}

QString frmMain::statusText() const
{
    return m_statusText->text();
}

void frmMain::wireMenus()
{
    auto wire = [this](const MenuArray &menu, void (frmMain::*handler)(int)) {
        for (int i = menu.lBound(); i <= menu.uBound(); ++i) {
            if (menu(i)->isSeparator())
                continue;
            QObject::connect(
                menu(i), &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
        }
    };
    wire(m_menus.mnuFile, &frmMain::mnuFileClick);
    wire(m_menus.mnuRefresh, &frmMain::mnuRefreshClick);
    wire(m_menus.mnuHistory, &frmMain::mnuHistoryClick);
    wire(m_menus.mnuProfiles, &frmMain::mnuProfilesClick);
    wire(m_menus.mnuBidAlerts, &frmMain::mnuBidAlertsClick);
    wirePageMenus();
}

void frmMain::load()
{
    using mSettings::settings;
    setWindowTitle(QLatin1String(mStartup::kProgramTitle));

    if (mSettings::current.userId.isEmpty())
        stopRefreshTimer();

    // The item tree and its empty branches are built here once the tree control exists.

    mSettings::checkRefreshMenu(m_menus.mnuRefresh);
    mSettings::checkHistoryMenu(m_menus.mnuHistory);

    mnuFile(0)->setChecked(settings.autoStart);
    mnuFile(1)->setChecked(settings.showMinimized);
    mnuFile(2)->setChecked(settings.adBannerDisplay);

    // The firewall settings are applied to the window's transfer control here once it exists.

    setProfileCaptions();
    mnuProfiles(1)->setChecked(true);

    m_menus.mnuBidAlerts.uncheckAll();
    switch (settings.alertTime) {
    case 5:
        mnuBidAlerts(0)->setChecked(true);
        break;
    case 10:
        mnuBidAlerts(1)->setChecked(true);
        break;
    case 15:
        mnuBidAlerts(2)->setChecked(true);
        break;
    default:
        break;
    }

    applyStoredSize();

    if (!settings.adBannerDisplay) {
        tmAdBanner.start();
        mnuFile(2)->setChecked(false);
    } else {
        mnuFile(2)->setChecked(true);
        tmAdBanner.stop();
    }

    if (settings.payPalPassword.isEmpty())
        m_menus.mnuPayPalTop->menuAction()->setVisible(false);
}

void frmMain::setProfileCaptions()
{
    // A name cleared in the options gives the entry its own caption back rather than a stale one.
    const QList<MenuEntry> defaults = frmMainMenuTables::profiles();
    for (int n = 1; n <= mSettings::kProfileCount; ++n) {
        const QString &name =
            n == 1 ? mSettings::current.userId : mSettings::settings.profileUserName[n - 1];
        mnuProfiles(n)->setText(name.isEmpty() ? defaults[n - 1].caption : name);
    }
}

int frmMain::twipsToPixels(double twips, double dpi)
{
    const double pixels = std::round(twips * dpi / kTwipsPerInch);
    return int(std::clamp(pixels, 0.0, double(QWIDGETSIZE_MAX)));
}

double frmMain::pixelsToTwips(int pixels, double dpi)
{
    return pixels * kTwipsPerInch / dpi;
}

void frmMain::applyStoredSize()
{
    auto twips = [](const char *key, float fallback) {
        try {
            return vb::toSingle(
                mSettings::getSetting(QLatin1String(key), vb::singleText(fallback)));
        } catch (const vb::Error &) {
            return fallback;
        }
    };
    // A size no screen could show (none at all, or beyond any display) is taken as no setting.
    const auto pixels = [](float value, float fallback, double dpi) {
        const int p = twipsToPixels(value, dpi);
        return p >= kMinStoredPixels && p <= kMaxStoredPixels ? p : twipsToPixels(fallback, dpi);
    };
    resize(pixels(twips("FormWidth", kDefaultWidthTwips), kDefaultWidthTwips, logicalDpiX()),
        pixels(twips("FormHeight", kDefaultHeightTwips), kDefaultHeightTwips, logicalDpiY()));
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_ending) {
        const auto twips = [](int pixels, double dpi) {
            return vb::singleText(float(pixelsToTwips(pixels, dpi)));
        };
        mSettings::saveSetting(QStringLiteral("FormWidth"), twips(width(), logicalDpiX()));
        mSettings::saveSetting(QStringLiteral("FormHeight"), twips(height(), logicalDpiY()));
    }
    QMainWindow::closeEvent(event);
}

void frmMain::endProgram()
{
    m_ending = true;
    QCoreApplication::exit(0);
}

void frmMain::addPayPalBranch()
{
    ++m_payPalBranchRequests;
}

void frmMain::checkForUpdate() { }

void frmMain::connect() { }

void frmMain::startRefreshTimer()
{
    tmRefresh.start();
    m_refreshMinutes = 0;
}

void frmMain::stopRefreshTimer()
{
    tmRefresh.stop();
    m_refreshMinutes = 0;
}

void frmMain::tmStartupDelayTick()
{
    tmStartupDelay.stop();
    tmCheckVersion.start();
}

void frmMain::tmCheckVersionTick()
{
    tmCheckVersion.stop();
    checkForUpdate();
    if (mSettings::settings.autoStart) {
        mnuFile(0)->setChecked(true);
        tmStartup.start();
    } else {
        mnuFile(0)->setChecked(false);
        tmStartup.stop();
    }
}

void frmMain::tmStartupTick()
{
    // A failure here must not take the program down; the user can still refresh by hand.
    try {
        tmStartup.stop();
        if (mSettings::current.userId.size() < 1 || mSettings::current.password.size() < 1)
            showOptionsDialog(false);
        else
            connect();
    } catch (...) {
    }
}

// The refresh schedule, the alert scan and the banner rotation arrive with later work.
void frmMain::tmRefreshTick() { }

void frmMain::tmAlertTick() { }

void frmMain::tmAdBannerTick() { }

void frmMain::connectOrAskForCredentials()
{
    if (mSettings::current.password.isEmpty() || mSettings::current.userId.isEmpty())
        showOptionsDialog(false);
    else
        connect();
}

void frmMain::mnuFileClick(int index)
{
    using mSettings::settings;
    QAction *entry = mnuFile(index);
    switch (index) {
    case 0:
        settings.autoStart = entry->isChecked();
        mSettings::saveSetting(QStringLiteral("AutoStart"), vb::boolText(settings.autoStart));
        if (settings.autoStart)
            tmStartup.start();
        else
            tmStartup.stop();
        break;
    case 1:
        settings.showMinimized = entry->isChecked();
        mSettings::saveSetting(
            QStringLiteral("ShowMinimized"), vb::boolText(settings.showMinimized));
        break;
    case 2:
        settings.adBannerDisplay = entry->isChecked();
        mSettings::saveSetting(
            QStringLiteral("AdBannerDisplay"), vb::boolText(settings.adBannerDisplay));
        if (settings.adBannerDisplay)
            tmAdBanner.stop();
        else
            tmAdBanner.start();
        break;
    case 4:
        showOptionsDialog(true);
        break;
    case 6:
        endProgram();
        break;
    default:
        break;
    }
}

void frmMain::mnuRefreshClick(int index)
{
    m_menus.mnuRefresh.uncheckAll();
    mnuRefresh(index)->setChecked(true);
    mSettings::settings.refresh = frmMainMenuTables::refresh().at(index).caption;
    mSettings::saveSetting(QStringLiteral("Refresh"), mSettings::settings.refresh);
    connectOrAskForCredentials();
}

void frmMain::mnuHistoryClick(int index)
{
    m_menus.mnuHistory.uncheckAll();
    mnuHistory(index)->setChecked(true);
    mSettings::settings.dataView = frmMainMenuTables::history().at(index).caption;
    mSettings::saveSetting(QStringLiteral("DataView"), mSettings::settings.dataView);
    connectOrAskForCredentials();
}

void frmMain::mnuProfilesClick(int index)
{
    m_menus.mnuProfiles.uncheckAll();
    mnuProfiles(index)->setChecked(true);
    mSettings::current.userId = mSettings::settings.profileUserName[index - 1];
    mSettings::current.password = mSettings::settings.profilePassword[index - 1];
    connect();
}

void frmMain::mnuBidAlertsClick(int index)
{
    static constexpr SHORT kMinutes[] = { 5, 10, 15 };
    m_menus.mnuBidAlerts.uncheckAll();
    mnuBidAlerts(index)->setChecked(true);
    mSettings::settings.alertTime = kMinutes[index];
    mSettings::saveSetting(QStringLiteral("AlertTime"), QString::number(kMinutes[index]));
}
