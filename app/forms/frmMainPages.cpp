#include "app/forms/frmMainPages.h"

#include "app/modules/sites.h"

namespace frmMainPages {

namespace {

// Ireland, New Zealand and Switzerland have home pages of their own on the US pages host; every
// other country's home is its own eBay host.
QString homePage(const QString &country)
{
    const QString usPages = sites::siteUrl(sites::Role::Pages, sites::Country::US);
    if (country == QLatin1String("Ireland"))
        return usPages + QStringLiteral("/ie/");
    if (country == QLatin1String("New Zealand"))
        return usPages + QStringLiteral("/nz/");
    if (country == QLatin1String("Switzerland"))
        return usPages + QStringLiteral("/ch");
    return sites::siteUrl(sites::Role::Home, country) + QLatin1Char('/');
}

} // namespace

QString searchPage(const QString &country)
{
    return sites::siteUrl(sites::Role::Pages, country) + QStringLiteral("/search/items/search.html");
}

QString myEbayPage(const QString &country, bool signedIn)
{
    if (!signedIn)
        return homePage(country);
    return sites::siteUrl(sites::Role::MyEbay, country) + QStringLiteral("/ws/ebayISAPI.dll?MyeBay");
}

} // namespace frmMainPages
