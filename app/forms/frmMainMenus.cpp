#include "app/forms/frmMainMenus.h"

#include "app/modules/sites.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

QAction *MenuArray::operator()(int index) const
{
    const int i = index - m_lowerBound;
    return i >= 0 && i < m_entries.size() ? m_entries[i] : nullptr;
}

int MenuArray::indexOf(const QAction *action) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i] == action)
            return m_lowerBound + i;
    }
    return m_lowerBound - 1;
}

void MenuArray::uncheckAll() const
{
    for (QAction *a : m_entries)
        a->setChecked(false);
}

namespace frmMainMenuTables {

QList<MenuEntry> file()
{
    return { { "&Auto Connect to eBay", true }, { "S&how BIDLARK in Program Bar", true },
        { "&Stop Banner Rotation", true }, { "-" }, { "&Preferences" }, { "-" }, { "&Close" } };
}

QList<MenuEntry> history()
{
    return { { "Today", true }, { "2 Days", true }, { "5 Days", true }, { "10 Days", true },
        { "15 Days", true }, { "20 Days", true }, { "25 Days", true }, { "30 Days", true } };
}

QList<MenuEntry> refresh()
{
    return { { "5 Minutes", true }, { "15 Minutes", true }, { "30 Minutes", true },
        { "60 Minutes", true } };
}

QList<MenuEntry> profiles()
{
    return { { "User Profile 1", true }, { "User Profile 2", true }, { "User Profile 3", true },
        { "User Profile 4", true }, { "User Profile 5", true } };
}

QList<MenuEntry> bidAlerts()
{
    return { { "When 5 Minutes Left", true }, { "When 10 Minutes Left", true },
        { "When 15 Minutes Left", true } };
}

QList<MenuEntry> ebay()
{
    return { { "Sell Your Item" }, { "eBay Services" }, { "Site Help" }, { "eBay Community" },
        { "eBay Sitemap" }, { "-" }, { "Half.com" }, { "eBay Stores" }, { "eBay Motors" },
        { "eBay Premier" }, { "eBay Live Auctions" }, { "-" }, { "Browse Categories" } };
}

QList<MenuEntry> browseCategories()
{
    return { { "Antiques & Art", false, 353 }, { "Books", false, 267 },
        { "Business, Office && Industrial", false, 12576 },
        { "Clothing && Accessories", false, 11450 }, { "Coins", false, 11116 },
        { "Collectibles", false, 1 }, { "Computers", false, 160 },
        { "Consumer Electronics", false, 293 }, { "Dolls && Bears", false, 237 },
        { "Home && Garden", false, 11700 }, { "Jewelry, Gems && Watches", false, 281 },
        { "Movies && Television", false, 11232 }, { "Music", false, 11233 },
        { "Photo", false, 625 }, { "Pottery && Glass", false, 870 },
        { "Real Estate", false, 10542 }, { "Sports", false, 888 }, { "Stamps", false, 260 },
        { "Tickets && Travel", false, 11730 }, { "Toys && Hobbies", false, 220 },
        { "Everything Else", false, 99 }, { "eBay Premier", false, 2038 } };
}

QList<MenuEntry> payPal()
{
    return { { "Login" }, { "Help" }, { "Shop" }, { "-" }, { "Antiques && Art", false, 7 },
        { "Auction Services", false, 2750 }, { "Automotive", false, 2952 },
        { "Babies && Kids", false, 4140 }, { "Beauty", false, 4848 },
        { "Books, Music, Movies", false, 5249 }, { "Business Services && Supplies", false, 8025 },
        { "Clothing", false, 11039 }, { "Collectibles", false, 11335 },
        { "Communication", false, 16373 }, { "Computers && Internet", false, 16653 },
        { "Crafts", false, 21629 }, { "Cultures && Religions", false, 22776 },
        { "Currency && Coins", false, 22978 }, { "Dolls && Bears", false, 23298 },
        { "Electronics", false, 23913 }, { "Fashion", false, 25447 },
        { "Food && Drink", false, 28039 }, { "Gifts && Flowers", false, 28681 },
        { "Health && Nutrition", false, 31395 }, { "Hobbies", false, 32871 },
        { "Home && Garden", false, 33036 }, { "Media && Entertainment", false, 35449 },
        { "Non-Profit", false, 36394 }, { "Pets && Animals", false, 36930 },
        { "Real Estate", false, 37857 }, { "Services", false, 37898 },
        { "Sports && Recreation", false, 39358 }, { "Toys & Games", false, 41689 },
        { "Travel", false, 43084 } };
}

QList<MenuEntry> help(const QString &productSiteName)
{
    return { { QStringLiteral("&Visit ") + productSiteName }, { "Check for Bidlark &Updates" },
        { "-" }, { "&About Bidlark..." } };
}

} // namespace frmMainMenuTables

namespace {

void fill(QMenu *menu, MenuArray &array, const QList<MenuEntry> &entries)
{
    for (const MenuEntry &e : entries) {
        QAction *action = nullptr;
        if (e.caption == u"-") {
            action = menu->addSeparator();
        } else {
            action = menu->addAction(e.caption);
            action->setCheckable(e.checkable);
            if (e.code != 0)
                action->setData(e.code);
        }
        array.append(action);
    }
}

} // namespace

void frmMainMenuBar::build(QMenuBar *bar, const QString &productSiteName)
{
    using namespace frmMainMenuTables;
    mnuFileTop = bar->addMenu(QStringLiteral("&File"));
    fill(mnuFileTop, mnuFile, file());

    mnuViewTop = bar->addMenu(QStringLiteral("&View"));
    mnuHistoryTop = mnuViewTop->addMenu(QStringLiteral("&History"));
    fill(mnuHistoryTop, mnuHistory, history());

    mnuRefreshTop = bar->addMenu(QStringLiteral("&Refresh"));
    fill(mnuRefreshTop, mnuRefresh, refresh());

    mnuProfilesTop = bar->addMenu(QStringLiteral("&Profiles"));
    fill(mnuProfilesTop, mnuProfiles, profiles());

    mnuBidAlertsTop = bar->addMenu(QStringLiteral("Bid &Alerts"));
    fill(mnuBidAlertsTop, mnuBidAlerts, bidAlerts());

    mnuEbayTop = bar->addMenu(QStringLiteral("eBay"));
    const QList<MenuEntry> ebayEntries = ebay();
    // The last entry opens the categories submenu; it is still entry 12 of the array.
    fill(mnuEbayTop, mnuEbay, ebayEntries.mid(0, ebayEntries.size() - 1));
    mnuBrowseTop = mnuEbayTop->addMenu(ebayEntries.last().caption);
    mnuEbay.append(mnuBrowseTop->menuAction());
    fill(mnuBrowseTop, mnuBrowse, browseCategories());

    mnuPayPalTop = bar->addMenu(QStringLiteral("PayPal"));
    fill(mnuPayPalTop, mnuPayPal, payPal());

    mnuHelpTop = bar->addMenu(QStringLiteral("&Help"));
    fill(mnuHelpTop, mnuHelp, help(productSiteName));
}

namespace frmMainMenuPages {

using sites::Role;
using sites::siteUrl;

QString ebay(int index)
{
    switch (index) {
    case 0:
        return siteUrl(Role::Pages) + QStringLiteral("/sell/index.html");
    case 1:
        return siteUrl(Role::Pages) + QStringLiteral("/services/index.html");
    case 2:
        return siteUrl(Role::Pages) + QStringLiteral("/help/index.html");
    case 3:
        return siteUrl(Role::Pages) + QStringLiteral("/community/index.html");
    case 4:
        return siteUrl(Role::Pages) + QStringLiteral("/sitemap.html");
    case 6:
        return siteUrl(Role::Media) + u'/';
    case 7:
        return siteUrl(Role::Stores) + u'/';
    case 8:
        return siteUrl(Role::Pages) + QStringLiteral("/ebaymotors/index.html");
    case 9:
        return siteUrl(Role::Premier) + u'/';
    case 10:
        return siteUrl(Role::LiveAuctions) + QStringLiteral("/index.html");
    default:
        return {};
    }
}

QString browse(int index)
{
    const QList<MenuEntry> entries = frmMainMenuTables::browseCategories();
    if (index < 0 || index >= entries.size())
        return {};
    return siteUrl(Role::Listings) + QStringLiteral("/aw/plistings/list/category") +
        QString::number(entries[index].code) + QStringLiteral("/index.html");
}

QString payPal(int index)
{
    const QString base = siteUrl(Role::PayPal) + QStringLiteral("/cgi-bin/webscr?cmd=");
    switch (index) {
    case 1:
        return base + QStringLiteral("_login-run");
    case 2:
        return base + QStringLiteral("_help-ext");
    case 3:
        return base + QStringLiteral("_shop-ext");
    default:
        break;
    }
    const QList<MenuEntry> entries = frmMainMenuTables::payPal();
    if (index < 5 || index > entries.size())
        return {};
    return base + QStringLiteral("_shop-cat-ext&loc=") + QString::number(entries[index - 1].code);
}

QString help(int index)
{
    switch (index) {
    case 0:
        return siteUrl(Role::Product) + u'/';
    case 1:
        return siteUrl(Role::Product) +
            QStringLiteral("/support.asp?version=%1.%2.%3")
                .arg(BIDLARK_VERSION_MAJOR)
                .arg(BIDLARK_VERSION_MINOR)
                .arg(BIDLARK_VERSION_REVISION);
    default:
        return {};
    }
}

} // namespace frmMainMenuPages
