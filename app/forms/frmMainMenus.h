// The main window's menu bar as data: every menu's entries in order, with separators keeping their
// index, and the control-array view (mnuFile(0), mnuPayPal(34), ...) the handlers address them by.
// Captions are kept exactly as the menus show them before mnemonic processing: "&&" is one
// ampersand on screen, a single "&" marks the next character as the access key.
#pragma once

#include <QList>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// A menu control array: entries addressed by index from a lower bound (0 for most menus, 1 for
// Profiles and PayPal). Separators are entries too, so every caption keeps its table index.
class MenuArray {
public:
    explicit MenuArray(int lowerBound = 0)
        : m_lowerBound(lowerBound)
    {
    }

    // The entry at `index`, or null outside lBound()..uBound().
    QAction *operator()(int index) const;
    int lBound() const { return m_lowerBound; }
    int uBound() const { return m_lowerBound + int(m_entries.size()) - 1; }
    int count() const { return int(m_entries.size()); }
    // Index of `action` in this array, or lBound() - 1 when it is not one of ours.
    int indexOf(const QAction *action) const;

    void append(QAction *action) { m_entries.append(action); }
    // Clears every check mark (separators included harmlessly).
    void uncheckAll() const;

private:
    int m_lowerBound;
    QList<QAction *> m_entries;
};

// One entry of a menu table. `code` carries the number the entry's page address is made from (the
// category or shop-location number), 0 when it has none.
struct MenuEntry {
    QString caption; // "-" for a separator
    bool checkable = false;
    int code = 0;
};

namespace frmMainMenuTables {
QList<MenuEntry> file();
QList<MenuEntry> history();
QList<MenuEntry> refresh();
QList<MenuEntry> profiles();
QList<MenuEntry> bidAlerts();
QList<MenuEntry> ebay(); // entry 12 is the Browse Categories submenu
QList<MenuEntry> browseCategories();
QList<MenuEntry> payPal(); // indexes from 1
QList<MenuEntry> help(const QString &productSiteName);
} // namespace frmMainMenuTables

// Every menu of the main window, built into a menu bar. The QMenu objects are owned by the bar.
struct frmMainMenuBar {
    QMenu *mnuFileTop = nullptr;
    QMenu *mnuViewTop = nullptr;
    QMenu *mnuHistoryTop = nullptr;
    QMenu *mnuRefreshTop = nullptr;
    QMenu *mnuProfilesTop = nullptr;
    QMenu *mnuBidAlertsTop = nullptr;
    QMenu *mnuEbayTop = nullptr;
    QMenu *mnuBrowseTop = nullptr;
    QMenu *mnuPayPalTop = nullptr;
    QMenu *mnuHelpTop = nullptr;

    MenuArray mnuFile { 0 };
    MenuArray mnuHistory { 0 };
    MenuArray mnuRefresh { 0 };
    MenuArray mnuProfiles { 1 };
    MenuArray mnuBidAlerts { 0 };
    MenuArray mnuEbay { 0 };
    MenuArray mnuBrowse { 0 };
    MenuArray mnuPayPal { 1 };
    MenuArray mnuHelp { 0 };

    void build(QMenuBar *bar, const QString &productSiteName);
};

// The page each entry of the eBay, Browse Categories, PayPal and Help menus opens, by the entry's
// index: a site-table address plus the entry's path. Empty for separators, the submenu, the About
// entry and indexes outside the menu. The eBay menu's pages are the same for every country.
namespace frmMainMenuPages {
QString ebay(int index);
QString browse(int index);
QString payPal(int index);
QString help(int index);
} // namespace frmMainMenuPages
