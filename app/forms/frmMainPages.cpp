#include "app/forms/frmMainPages.h"

namespace frmMainPages {

namespace {

struct Site {
    const char *pages; // the pages host (search, help pages)
    const char *myEbay; // the My eBay host
    const char *home; // the home page, a full address
};

constexpr Site kUs { "http://pages.ebay.com", "http://my.ebay.com", "http://www.ebay.com/" };
constexpr Site kAu { "http://pages.ebay.com.au", "http://my.ebay.com.au",
    "http://www.ebay.com.au/" };
constexpr Site kCa { "http://pages.ebay.ca", "http://my.ebay.ca", "http://www.ebay.ca/" };
constexpr Site kUk { "http://pages.ebay.co.uk", "http://my.ebay.co.uk", "http://www.ebay.co.uk/" };

// Ireland searches and signs in on the UK site; only its home page differs.
const Site &siteFor(const QString &country)
{
    if (country == QLatin1String("Australia"))
        return kAu;
    if (country == QLatin1String("Canada"))
        return kCa;
    if (country == QLatin1String("United Kingdom") || country == QLatin1String("Ireland"))
        return kUk;
    return kUs;
}

QString homePage(const QString &country)
{
    const QString usPages = QLatin1String(kUs.pages);
    if (country == QLatin1String("Ireland"))
        return usPages + QStringLiteral("/ie/");
    if (country == QLatin1String("New Zealand"))
        return usPages + QStringLiteral("/nz/");
    if (country == QLatin1String("Switzerland"))
        return usPages + QStringLiteral("/ch");
    return QLatin1String(siteFor(country).home);
}

} // namespace

QString searchPage(const QString &country)
{
    return QLatin1String(siteFor(country).pages) + QStringLiteral("/search/items/search.html");
}

QString myEbayPage(const QString &country, bool signedIn)
{
    if (!signedIn)
        return homePage(country);
    return QLatin1String(siteFor(country).myEbay) + QStringLiteral("/ws/ebayISAPI.dll?MyeBay");
}

} // namespace frmMainPages
