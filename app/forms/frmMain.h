// The main window: menu bar, the button and search toolbars, the item tree (the arbor control,
// created by class identifier), the banner strip, the two-panel status bar, the tray icon, the
// start-up timer chain and the size kept across runs. Creating the window runs its load; closing it
// with the close button runs its unload (the size is written); File > Close ends the program
// without the unload.
//
// Operations that belong to later work (the update check, the Options dialog, the PayPal tree
// branch) and Connect are virtual members, so the chain and the menus can be tested by overriding
// them.
#pragma once

#include "app/forms/frmAlert.h"
#include "app/forms/frmMainItems.h"
#include "app/forms/frmMainMenus.h"
#include "app/modules/mAlerts.h"
#include "app/modules/mSettings.h"
#include "app/modules/mTreeList.h"
#include "platform/com/connection.h"
#include "platform/com/ole/controlhost.h"
#include "platform/wintypes.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <memory>

namespace platform::net {
class Inet;
}
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSystemTrayIcon;
class QToolBar;

namespace platform::net {
class Inet;
}

class frmMain : public QMainWindow, public mSettings::SettingsHost {
    Q_OBJECT

public:
    // Timer intervals, in milliseconds.
    static constexpr int kStartupDelayInterval = 500;
    static constexpr int kCheckVersionInterval = 100;
    static constexpr int kStartupInterval = 2000;
    static constexpr int kRefreshInterval = 60000;
    static constexpr int kAlertInterval = 60000;
    static constexpr int kAdBannerInterval = 10000;

    // Size when nothing is stored (or the stored text is no number), in twips.
    // Stored sizes outside these pixel bounds fall back to the defaults.
    static constexpr int kMinStoredPixels = 1;
    static constexpr int kMaxStoredPixels = 16384;
    static constexpr float kDefaultWidthTwips = 4320.0f;
    static constexpr float kDefaultHeightTwips = 7680.0f;
    static constexpr double kTwipsPerInch = 1440.0;

    // Builds the window and runs its load from the in-memory settings (load them first).
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;
    Q_DISABLE_COPY(frmMain)

    // The live main window, or null.
    static frmMain *instance();

    // Menu control arrays.
    QAction *mnuFile(int i) const { return m_menus.mnuFile(i); }
    QAction *mnuHistory(int i) const { return m_menus.mnuHistory(i); }
    QAction *mnuRefresh(int i) const { return m_menus.mnuRefresh(i); }
    QAction *mnuProfiles(int i) const { return m_menus.mnuProfiles(i); }
    QAction *mnuBidAlerts(int i) const { return m_menus.mnuBidAlerts(i); }
    QAction *mnuEbay(int i) const { return m_menus.mnuEbay(i); }
    QAction *mnuBrowse(int i) const { return m_menus.mnuBrowse(i); }
    QAction *mnuPayPal(int i) const { return m_menus.mnuPayPal(i); }
    QAction *mnuHelp(int i) const { return m_menus.mnuHelp(i); }
    const frmMainMenuBar &menus() const { return m_menus; }

    // SettingsHost.
    const MenuArray &refreshMenu() const override { return m_menus.mnuRefresh; }
    const MenuArray &historyMenu() const override { return m_menus.mnuHistory; }
    // Adds the "PayPal" branch to the item tree unless it is there already.
    void addPayPalBranch() override;

    // The item tree builder; its operations do nothing when the control could not be created.
    mTreeList &treeList() { return *m_treeList; }
    const mTreeList &treeList() const { return *m_treeList; }

    // The window's parts, by their names.
    QToolBar *Toolbar1 = nullptr; // buttons 1..4: actions(), in order
    QToolBar *Toolbar2 = nullptr;
    QLineEdit *txtSearch = nullptr;
    QPushButton *cmdSearch = nullptr;
    platform::com::ControlHost *Arbor1 = nullptr;
    QFrame *picbanner = nullptr;
    QLabel *Picture1 = nullptr;
    QSystemTrayIcon *Tray = nullptr;
    // The window's transfer control: the update check's version file.
    platform::net::Inet *Inet1 = nullptr;

    // Toolbar1's buttons by index: 1 Refresh (or Options without credentials), 2 the country's
    // search page, 3 My eBay (the home page before a sign-in), 4 the help page. Others: nothing.
    void toolbar1ButtonClick(int index);
    // cmdSearch: the quick search of txtSearch's text; filled by the menus work.
    virtual void quickSearch();
    // Picture1: opens the banner link.
    void picture1Click();
    // The tray icon's event: normal state, shown.
    void restoreFromTray();
    // Whether minimising may hide the window: only a tray icon could bring it back.
    virtual bool systemTrayAvailable() const;

    // The alert tick's show: fills and shows the alert window, and when the user may not see it
    // (this window hidden in the tray or minimised, or another program in front) also raises the
    // same alert as a desktop notification (frmMainAlerts.cpp).
    void showAlertWindow();
    // Whether an alert window shown now might go unseen.
    virtual bool alertMayGoUnseen() const;
    // The tray icon's message; clicking it brings the alert window forward.
    virtual void showDesktopNotification(const QString &title, const QString &text);
    // The notification's text: one line per auction with its title and minutes left.
    static QString alertNotificationText(const QList<AlertLine> &lines);

    // The item tree's selection handler and its menus (frmMainItems.cpp).
    ItemActions *itemActions() const { return m_itemActions; }
    // Downloads an item page synchronously on the window's own transfer control.
    virtual ItemActions::Page fetchItemPage(const QString &url);

    // Moves the children by the layout rule for the current sizes (done on every resize).
    void applyLayout();

    // Writes the window's state and the whole tree to `path` as UTF-8 text (documented in the
    // README); false when the file cannot be written.
    bool dumpState(const QString &path) const;
    // When the window was first painted, in milliseconds since the epoch; 0 before.
    qint64 firstPaintAt() const { return m_firstPaintAt; }

    // Status bar: panel 1 the busy picture (shown or cleared), panel 2 a text.
    void setStatusBusy(bool busy);
    bool statusBusy() const;
    void setStatusText(const QString &text);
    QString statusText() const;

    // Operations the start-up chain, the menus and the toolbar call.
    // The update check: reads the product site's version file and, when it differs from the
    // running version, offers the updater (its https page on the product site) and then ends the
    // program. A failed read or an HTTP error status is a quiet "Latest version is: ".
    virtual void checkForUpdate();
    // Sign in and download My eBay (the sign-in window starts the chain). Does nothing while a
    // refresh is under way, so a tick, a menu and the toolbar never start two at once.
    virtual void Connect();
    // Whether a sign-in, retrieval or PayPal window exists.
    static bool refreshRunning();
    // Shows the Options dialog (modal from File > Preferences, otherwise non-modal); later work.
    virtual void showOptionsDialog(bool modal);
    // Ends the program at once, without the unload (File > Close).
    virtual void endProgram();

    // Puts the Profiles captions in line with the current user ID and stored user names.
    void setProfileCaptions();
    // Shows the PayPal menu while a PayPal password is stored, hides it otherwise.
    void setPayPalMenuVisible();
    // Help > About: the one non-modal About box.
    void showAbout();

    // Refresh schedule: each resets the minute counter.
    void startRefreshTimer();
    void stopRefreshTimer();
    SHORT refreshMinuteCounter() const { return m_refreshMinutes; }
    void setRefreshMinuteCounter(SHORT minutes) { m_refreshMinutes = minutes; }

    // The alert list the retrieval fills and tmAlert counts down.
    mAlerts &alerts() { return AlertList(); } // the program's one alert list

    // Tick handlers, callable directly so tests never wait.
    void tmStartupDelayTick();
    void tmCheckVersionTick();
    void tmStartupTick();
    void tmRefreshTick();
    void tmAlertTick();
    void tmAdBannerTick();

    // The banner to show at the next tick: 0 at start, then 2, 3, 4, 1, ...
    SHORT bannerIndex() const { return m_bannerIndex; }
    // Which banner picture (1..4) Picture1 shows.
    int bannerShown() const { return m_bannerShown; }

    QTimer tmStartupDelay;
    QTimer tmCheckVersion;
    QTimer tmStartup;
    QTimer tmRefresh;
    QTimer tmAlert;
    QTimer tmAdBanner;

    // Twips <-> pixels at a logical resolution (dots per inch). Pixels are clamped to what a widget
    // can take, so any stored number gives a usable size.
    static int twipsToPixels(double twips, double dpi);
    static double pixelsToTwips(int pixels, double dpi);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void load();
    void buildStatusBar();
    void buildToolbars(QWidget *client);
    void buildBanner(QWidget *client);
    void buildTray();
    void createTree();
    void placeToolbars();
    void wireMenus();
    void wireAlerts();
    void wireItemActions();
    void unwireItemActions();
    void wirePageMenus(); // eBay, Browse Categories, PayPal, Help (frmMainActions.cpp)
    void applyStoredSize();
    void mnuFileClick(int index);
    void mnuRefreshClick(int index);
    void mnuHistoryClick(int index);
    void mnuProfilesClick(int index);
    void mnuBidAlertsClick(int index);
    // Refresh, History: with no credentials ask for them, otherwise refresh at once.
    void connectOrAskForCredentials();

    frmMainMenuBar m_menus;
    QLabel *m_statusPicture = nullptr;
    QLabel *m_statusText = nullptr;
    SHORT m_refreshMinutes = 0;
    std::unique_ptr<mTreeList> m_treeList = std::make_unique<mTreeList>();
    // The graphics handles of the tree's images; the control draws them, the window owns them.
    std::array<OLE_HANDLE, mTreeList::kImageCount> m_imageList {};
    qint64 m_firstPaintAt = 0;
    ItemActions *m_itemActions = nullptr;
    platform::com::ComPtr<IConnectionPoint> m_itemSelectPoint;
    DWORD m_itemSelectCookie = 0;
    SHORT m_bannerIndex = 0;
    int m_bannerShown = 1;
    // Set by File > Close: the program is ending without an unload, so closing writes nothing.
    bool m_ending = false;
};
