// Every web address the program opens or requests starts with one of these sites: the eBay sites of
// each country, eBay's other sites, PayPal and the product's own site. They are kept in one table
// with the real addresses, and a sites file can replace any entry so that the program, its tests
// and the demo can run against the sandbox site on 127.0.0.1.
//
// Sites file (named by BIDLARK_SITES): UTF-8 text, one "role[.country]=base-url" per line, '#'
// starts a comment line, blank lines are skipped; the base url is scheme://host[:port][/prefix]
// without a trailing slash. A bare "role" replaces every built-in entry of the role (so one line
// points a whole role elsewhere); "role.country" replaces one country's and wins over the bare
// role. Unknown roles,
// countries and malformed lines are reported once on the bidlark.net log and ignored.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace sites {

enum class Role {
    Home, // "home": the eBay home page of a country
    Pages, // "pages": eBay's general pages (sell, help, community, sitemap, motors, browse)
    SignIn, // "signin": sign-in page and sign-in post (https)
    MyEbay, // "myebay": My eBay pages
    Search, // "search": the item search
    Listings, // "listings": category listings and a seller's other auctions
    Stores, // "stores": eBay stores
    Motors, // "motors": eBay motors
    Premier, // "premier": premier goods pages
    LiveAuctions, // "liveauctions": the live-auctions site
    Media, // "media": the fixed-price media site
    Item, // "item": item pages
    Feedback, // "feedback": feedback pages
    Contact, // "contact": contact pages
    PayPal, // "paypal": the PayPal web host (https)
    Product, // "product": the product's own web site (version file, updater, help, support)
    SupportMail, // "supportmail": the support mail address (a mail address, not a url)
    Partner1, // "partner1": the first partner site of the banner
    Partner2, // "partner2": the second partner site of the banner
};

enum class Country { US, UK, CA, AU };

// The table's key of a role ("signin") and of a country ("uk").
QString roleKey(Role role);
QString countryKey(Country country);

// The country whose sites serve an eBayCountry setting: "United Kingdom" and "Ireland" the UK's,
// "Canada" and "Australia" their own, anything else the US sites. Where a page needs another rule
// (Ireland's home page is "/ie/" on the US pages), the caller applies it.
Country countryFor(const QString &eBayCountry);

// The base address of a role for a country, without a trailing slash: the sites file's
// "role.country", else its "role", else the built-in entry of the country, else the US one. Paths are appended by the caller:
//   siteUrl(Role::SignIn, Country::UK) + "/aw-cgi/eBayISAPI.dll?SignIn"
// Reads BIDLARK_SITES on first use. O(1).
QString siteUrl(Role role, Country country = Country::US);
inline QString siteUrl(Role role, const QString &eBayCountry)
{
    return siteUrl(role, countryFor(eBayCountry));
}

// Every "role" and "role.country" key the table has an entry for, for the sandbox site's file.
QStringList tableKeys();
bool isSecure(Role role); // sign-in and PayPal go over https
bool roleFromKey(const QString &key, Role *role);

// The problems a sites file's text would be reported with, without using it. Never fails.
QStringList checkSitesText(QByteArrayView text);

// Reads BIDLARK_SITES again (tests that change it). Returns the problems found, one per line.
QStringList reloadSites();

} // namespace sites
