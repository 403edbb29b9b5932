#include "app/forms/frmMain.h"

#include "app/forms/frmConnection.h"
#include "app/forms/frmLogin.h"
#include "app/forms/frmMainArbor.h"
#include "app/forms/frmMainLayout.h"
#include "app/forms/frmMainPages.h"
#include "app/forms/frmMainPictures.h"
#include "app/forms/frmPayPal.h"
#include "app/modules/mRefreshText.h"
#include "app/modules/mShortcuts.h"
#include "app/modules/mStartup.h"
#include "app/modules/mWeb.h"
#include "app/modules/sites.h"
#include "app/modules/vb_convert.h"
#include "platform/net/inet.h"
#include "platform/ui/handles.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/shell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

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

// A picture box that reports clicks.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> clicked;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QLabel::mousePressEvent(event);
        if (clicked)
            clicked();
    }
};

struct ToolButton {
    const char *caption;
    const char *toolTip;
};

constexpr ToolButton kToolbar1[] = { { " Refresh ", "Refresh eBay" },
    { " Search ", "Search Auction Site" }, { "My eBay", "Visit eBay Web Site" },
    { "Help", "Help" } };

// Pixels of a signed twips value (a left or top may lie outside the window).
int signedPixels(double twips, double dpi)
{
    return int(std::lround(std::clamp(
        twips * dpi / frmMain::kTwipsPerInch, -double(QWIDGETSIZE_MAX), double(QWIDGETSIZE_MAX))));
}

// A size a widget cannot take (negative) leaves the old one.
int sizePixels(double twips, double dpi, int old)
{
    return twips < 0 ? old : frmMain::twipsToPixels(twips, dpi);
}

} // namespace

frmMain::frmMain(QWidget *parent)
    : QMainWindow(parent)
{
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(frmMainPictures::programIcon());
    // The "Visit" entry names the product site the site table points at.
    m_menus.build(menuBar(), QUrl(sites::siteUrl(sites::Role::Product)).host());
    buildStatusBar();

    // The client area below the menu bar; its children are placed by the layout rule.
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("formClient"));
    setCentralWidget(client);
    buildToolbars(client);
    Arbor1 = new platform::com::ControlHost(client);
    Arbor1->setObjectName(QStringLiteral("Arbor1"));
    Arbor1->setDisplayName(QStringLiteral("Arbor1"));
    buildBanner(client);
    buildTray();
    Inet1 = new platform::net::Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));

    const std::pair<QTimer *, int> timers[] = { { &tmStartupDelay, kStartupDelayInterval },
        { &tmCheckVersion, kCheckVersionInterval }, { &tmStartup, kStartupInterval },
        { &tmRefresh, kRefreshInterval }, { &tmAlert, kAlertInterval },
        { &tmAdBanner, kAdBannerInterval } };
    for (const auto &[timer, interval] : timers)
        timer->setInterval(interval);
    // Process tests shorten the refresh tick to see two refreshes in seconds.
    if (const int tick = qEnvironmentVariableIntValue("BIDLARK_REFRESH_TICK_MS"); tick > 0)
        tmRefresh.setInterval(tick);
    // ... and the demo the alert list's minute, so an auction's alert shows in seconds.
    if (const int tick = qEnvironmentVariableIntValue("BIDLARK_ALERT_TICK_MS"); tick > 0)
        tmAlert.setInterval(tick);
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
    wireAlerts();

    wireMenus();
    load();
    wireItemActions();
}

frmMain::~frmMain()
{
    if (g_instance == this)
        g_instance = nullptr;
    AlertList().setShowWindowHandler({});
    unwireItemActions();
    // A refresh under way holds on to this window: end it, so none of its steps reaches it later.
    if (frmLogin *login = frmLogin::instance())
        login->Unload();
    if (frmConnection *connection = frmConnection::instance())
        connection->Unload();
    // The control draws the image list's pictures: let it go before they do.
    m_treeList = std::make_unique<mTreeList>();
    Arbor1->closeControl();
    for (OLE_HANDLE &handle : m_imageList)
        DeleteObject(std::exchange(handle, 0));
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

void frmMain::buildToolbars(QWidget *client)
{
    Toolbar1 = new QToolBar(QStringLiteral("Toolbar1"), client);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(24, 24));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    int index = 1;
    for (const ToolButton &b : kToolbar1) {
        QAction *action =
            Toolbar1->addAction(frmMainPictures::toolbarIcon(index), QLatin1String(b.caption));
        action->setToolTip(QLatin1String(b.toolTip));
        QObject::connect(
            action, &QAction::triggered, this, [this, index] { toolbar1ButtonClick(index); });
        ++index;
    }

    Toolbar2 = new QToolBar(QStringLiteral("Toolbar2"), client);
    Toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    Toolbar2->setMovable(false);
    txtSearch = new QLineEdit(Toolbar2);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    txtSearch->setToolTip(
        QStringLiteral("Enter the item you want to search for on eBay and then click Search"));
    cmdSearch = new QPushButton(QStringLiteral("&Search"), Toolbar2);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdSearch->setToolTip(QStringLiteral("Quick Search"));
    Toolbar2->addWidget(txtSearch);
    Toolbar2->addWidget(cmdSearch);
    QObject::connect(cmdSearch, &QPushButton::clicked, this, [this] { quickSearch(); });
    QObject::connect(txtSearch, &QLineEdit::returnPressed, this, [this] { quickSearch(); });
}

void frmMain::buildBanner(QWidget *client)
{
    picbanner = new QFrame(client);
    picbanner->setObjectName(QStringLiteral("picbanner"));
    auto *picture = new ClickLabel(picbanner);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(frmMainPictures::bannerPicture(1));
    picture->adjustSize();
    picture->setCursor(Qt::PointingHandCursor);
    picture->clicked = [this] { picture1Click(); };
    Picture1 = picture;
    picbanner->resize(picture->width(), twipsToPixels(frmMainLayout::kBannerHeight, logicalDpiY()));
}

void frmMain::buildTray()
{
    Tray = new QSystemTrayIcon(frmMainPictures::programIcon(), this);
    Tray->setObjectName(QStringLiteral("Tray"));
    Tray->setToolTip(QLatin1String(mStartup::kProgramTitle));
    QObject::connect(Tray, &QSystemTrayIcon::activated, this, [this] { restoreFromTray(); });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        Tray->show();
}

void frmMain::createTree()
{
    QString problem;
    const QString library = frmMainArbor::libraryPath();
    if (FAILED(frmMainArbor::createTreeControl(*Arbor1, library, &problem))) {
        platform::ui::messageBox(problem, platform::ui::MsgButtons::OK,
            platform::ui::MsgIcon::Exclamation, QLatin1String(mStartup::kProgramTitle));
        return;
    }
    platform::com::ComPtr<IArbor> tree;
    if (const auto dispatch = Arbor1->control())
        (void)dispatch.As(tree);
    if (!tree)
        return;
    (void)frmMainArbor::applyDesignSettings(tree.Get());
    for (int i = 0; i < mTreeList::kImageCount; ++i)
        m_imageList[i] = platform::ui::registerBitmap(frmMainPictures::treeImage(i));
    m_treeList = std::make_unique<mTreeList>(tree);
    m_treeList->buildInitialTree(m_imageList, !mSettings::settings.payPalUserID.isEmpty());
}

void frmMain::toolbar1ButtonClick(int index)
{
    const QString &country = mSettings::settings.eBayCountry;
    switch (index) {
    case 1:
        connectOrAskForCredentials();
        break;
    case 2:
        platform::ui::shellOpenDocument(frmMainPages::searchPage(country));
        break;
    case 3:
        platform::ui::shellOpenDocument(
            frmMainPages::myEbayPage(country, !mStartup::signInToken.isEmpty()));
        break;
    case 4:
        platform::ui::shellOpenDocument(mStartup::productHomePage() + QStringLiteral("help.asp"));
        break;
    default:
        break;
    }
}

void frmMain::quickSearch()
{
    mShortcuts::QuickSearch(txtSearch->text(), mSettings::settings.eBayCountry);
}

void frmMain::picture1Click()
{
    platform::ui::shellOpenDocument(mStartup::bannerLink);
}

bool frmMain::systemTrayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void frmMain::restoreFromTray()
{
    setWindowState(Qt::WindowNoState);
    show();
}

void frmMain::placeToolbars()
{
    QWidget *client = centralWidget();
    const int h1 = Toolbar1->sizeHint().height();
    Toolbar1->setGeometry(0, 0, client->width(), h1);
    Toolbar2->setGeometry(0, h1, client->width(), Toolbar2->sizeHint().height());
}

void frmMain::applyLayout()
{
    placeToolbars();
    const double dx = logicalDpiX();
    const double dy = logicalDpiY();
    frmMainLayout::Input in;
    in.windowWidth = pixelsToTwips(frameGeometry().width(), dx);
    in.windowHeight = pixelsToTwips(frameGeometry().height(), dy);
    in.toolbar1Height = pixelsToTwips(Toolbar1->height(), dy);
    in.toolbar2Height = pixelsToTwips(Toolbar2->height(), dy);
    // The status bar sits right below the client area.
    in.statusBarTop = pixelsToTwips(centralWidget()->height(), dy);
    in.statusBarHeight = pixelsToTwips(statusBar()->isVisible() ? statusBar()->height() : 0, dy);
    in.bannerHeight = pixelsToTwips(picbanner->height(), dy);
    in.pictureWidth = pixelsToTwips(Picture1->width(), dx);
    const frmMainLayout::Result r = frmMainLayout::compute(in);
    if (!r.apply)
        return;
    const auto place = [dx, dy](QWidget *w, const frmMainLayout::Box &b) {
        w->setGeometry(signedPixels(b.left, dx), signedPixels(b.top, dy),
            sizePixels(b.width, dx, w->width()), sizePixels(b.height, dy, w->height()));
    };
    place(Arbor1, r.tree);
    place(picbanner, r.banner);
    Picture1->move(signedPixels(r.pictureLeft, dx), Picture1->y());
    // A cap rather than a fixed width, so the window can still be made narrower.
    m_statusText->setMaximumWidth(
        sizePixels(r.statusPanel2Width, dx, m_statusText->maximumWidth()));
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (!isMinimized())
        applyLayout();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Hidden, the window leaves the task bar; only a tray icon could bring it back.
    if (event->type() == QEvent::WindowStateChange && isMinimized() &&
        !mSettings::settings.showMinimized && systemTrayAvailable())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::Paint && m_firstPaintAt == 0)
        m_firstPaintAt = QDateTime::currentMSecsSinceEpoch();
    return QMainWindow::event(event);
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

    createTree();

    mSettings::checkRefreshMenu(m_menus.mnuRefresh);
    mSettings::checkHistoryMenu(m_menus.mnuHistory);

    mnuFile(0)->setChecked(settings.autoStart);
    mnuFile(1)->setChecked(settings.showMinimized);
    mnuFile(2)->setChecked(settings.adBannerDisplay);

    if (!settings.firewallHost.isEmpty())
        mWeb::ApplyFirewallSettings(this);

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
    m_treeList->addPayPalBranch();
}

void frmMain::Connect()
{
    if (refreshRunning())
        return;
    frmLogin::Load(*this);
}

bool frmMain::refreshRunning()
{
    return frmLogin::instance() || frmConnection::instance() || frmPayPal::instance();
}

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
    if (m_ending) // the user took the update
        return;
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
            Connect();
    } catch (...) {
    }
}

void frmMain::tmRefreshTick()
{
    // Saturates instead of wrapping, and connects at or past the interval: a counter that ran past
    // it (the chain could not run at that tick) must not wait another 22 days for the wrap.
    if (m_refreshMinutes < std::numeric_limits<SHORT>::max())
        ++m_refreshMinutes;
    if (m_refreshMinutes >= mRefreshText::RefreshMinutes(mSettings::settings.refresh)) {
        m_refreshMinutes = 0;
        Connect();
    }
}

void frmMain::tmAlertTick()
{
    AlertList().Tick(mSettings::settings.alertTime);
}

void frmMain::tmAdBannerTick()
{
    if (m_bannerIndex >= 1 && m_bannerIndex <= frmMainPictures::kBannerCount) {
        m_bannerShown = m_bannerIndex;
        Picture1->setPixmap(frmMainPictures::bannerPicture(m_bannerShown));
        mStartup::bannerLink = frmMainPictures::bannerLink(m_bannerShown);
        m_bannerIndex = SHORT(m_bannerShown % frmMainPictures::kBannerCount + 1);
    } else {
        // The first picture stays for one more tick.
        m_bannerIndex = 2;
    }
}

void frmMain::connectOrAskForCredentials()
{
    if (mSettings::current.password.isEmpty() || mSettings::current.userId.isEmpty())
        showOptionsDialog(false);
    else
        Connect();
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
    Connect();
}

void frmMain::mnuBidAlertsClick(int index)
{
    static constexpr SHORT kMinutes[] = { 5, 10, 15 };
    m_menus.mnuBidAlerts.uncheckAll();
    mnuBidAlerts(index)->setChecked(true);
    mSettings::settings.alertTime = kMinutes[index];
    mSettings::saveSetting(QStringLiteral("AlertTime"), QString::number(kMinutes[index]));
}
