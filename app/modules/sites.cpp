#include "app/modules/sites.h"

#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QUrl>

#include <array>
#include <optional>

Q_LOGGING_CATEGORY(lcSites, "bidlark.net.sites", QtInfoMsg)

namespace sites {

namespace {

struct RoleInfo {
    Role role;
    const char *key;
    const char *byCountry[4]; // US, UK, CA, AU; null = the role's US entry serves
};

constexpr RoleInfo kRoles[] = {
    { Role::Home, "home",
        { "http://www.ebay.com", "http://www.ebay.co.uk", "http://www.ebay.ca",
            "http://www.ebay.com.au" } },
    { Role::Pages, "pages",
        { "http://pages.ebay.com", "http://pages.ebay.co.uk", "http://pages.ebay.ca",
            "http://pages.ebay.com.au" } },
    { Role::SignIn, "signin",
        { "https://signin.ebay.com", "https://signin.ebay.co.uk", "https://signin.ebay.ca",
            "https://signin.ebay.com.au" } },
    { Role::MyEbay, "myebay",
        { "http://my.ebay.com", "http://my.ebay.co.uk", "http://my.ebay.ca",
            "http://my.ebay.com.au" } },
    { Role::Search, "search",
        { "http://search.ebay.com", "http://search.ebay.co.uk", "http://search.ebay.ca",
            "http://search.ebay.com.au" } },
    { Role::Listings, "listings",
        { "http://listings.ebay.com", "http://listings.ebay.co.uk", "http://listings.ebay.ca",
            "http://listings.ebay.com.au" } },
    { Role::Stores, "stores",
        { "http://stores.ebay.com", "http://stores.ebay.co.uk", "http://stores.ebay.ca",
            "http://stores.ebay.com.au" } },
    { Role::Motors, "motors", { "http://www.motors.ebay.com" } },
    { Role::Premier, "premier", { "http://premier.ebay.com" } },
    { Role::LiveAuctions, "liveauctions", { "http://www.ebayliveauctions.com" } },
    { Role::Media, "media", { "http://www.half.com" } },
    { Role::Item, "item",
        { "http://cgi.ebay.com", "http://cgi.ebay.co.uk", "http://cgi.ebay.ca",
            "http://cgi.ebay.com.au" } },
    { Role::Feedback, "feedback", { "http://feedback.ebay.com" } },
    { Role::Contact, "contact", { "http://contact.ebay.com" } },
    { Role::PayPal, "paypal", { "https://www.paypal.com" } },
    { Role::Product, "product", { "https://www.bidlark.com" } },
    { Role::SupportMail, "supportmail", { "support@bidlark.com" } },
    { Role::Partner1, "partner1", { "http://www.ebay.com" } },
    { Role::Partner2, "partner2", { "https://www.paypal.com" } },
};
constexpr int kRoleCount = int(std::size(kRoles));
constexpr const char *kCountryKeys[] = { "us", "uk", "ca", "au" };

// Overrides from the sites file: [role][0] the bare role, [role][1 + country] a country.
struct Overrides {
    std::array<std::array<QString, 5>, kRoleCount> entry;
};

QMutex g_mutex;
std::optional<Overrides> g_overrides;

const RoleInfo &info(Role role)
{
    return kRoles[int(role)];
}

QStringList parse(QByteArrayView text, const QString &name, Overrides &out)
{
    out = {};
    QStringList problems;
    int lineNo = 0;
    for (const QByteArrayView raw : QByteArray::fromRawData(text.data(), text.size()).split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = eq > 0 ? line.left(eq).trimmed().toLower() : QString();
        QString value = eq > 0 ? line.mid(eq + 1).trimmed() : QString();
        while (value.endsWith(u'/'))
            value.chop(1);
        Role role {};
        const qsizetype dot = key.indexOf(u'.');
        const QString roleName = dot < 0 ? key : key.left(dot);
        const QString countryName = dot < 0 ? QString() : key.mid(dot + 1);
        int slot = -1;
        if (roleFromKey(roleName, &role)) {
            if (countryName.isEmpty())
                slot = 0;
            for (int c = 0; c < 4; ++c) {
                if (countryName == QLatin1String(kCountryKeys[c]))
                    slot = 1 + c;
            }
        }
        const QUrl url(value, QUrl::StrictMode);
        const bool mail = role == Role::SupportMail && value.contains(u'@');
        const bool urlOk = url.isValid() && !url.host().isEmpty() &&
            (url.scheme() == u"http" || url.scheme() == u"https");
        if (slot < 0 || value.isEmpty() || !(mail || (role != Role::SupportMail && urlOk))) {
            problems << QStringLiteral("%1:%2: ignored").arg(name).arg(lineNo);
            continue;
        }
        out.entry[int(role)][slot] = value;
    }
    return problems;
}

// Bounded: a sites file is a few lines; anything past 1 MiB is not read.
constexpr qint64 kMaxSitesFileBytes = 1024 * 1024;

QStringList load(Overrides &out)
{
    out = {};
    const QString path = qEnvironmentVariable("BIDLARK_SITES");
    if (path.isEmpty())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { QStringLiteral("%1: cannot be read").arg(path) };
    return parse(file.read(kMaxSitesFileBytes), path, out);
}

const Overrides &overrides()
{
    if (!g_overrides) {
        Overrides o;
        for (const QString &p : load(o))
            qCWarning(lcSites).noquote() << "sites file" << p;
        g_overrides = std::move(o);
    }
    return *g_overrides;
}

} // namespace

QString roleKey(Role role)
{
    return QString::fromLatin1(info(role).key);
}

QString countryKey(Country country)
{
    return QString::fromLatin1(kCountryKeys[int(country)]);
}

Country countryFor(const QString &eBayCountry)
{
    if (eBayCountry == u"United Kingdom" || eBayCountry == u"Ireland")
        return Country::UK;
    if (eBayCountry == u"Canada")
        return Country::CA;
    if (eBayCountry == u"Australia")
        return Country::AU;
    return Country::US;
}

bool roleFromKey(const QString &key, Role *role)
{
    for (const auto &r : kRoles) {
        if (key == QLatin1String(r.key)) {
            *role = r.role;
            return true;
        }
    }
    return false;
}

bool isSecure(Role role)
{
    return role == Role::SignIn || role == Role::PayPal;
}

QString siteUrl(Role role, Country country)
{
    QMutexLocker lock(&g_mutex);
    const auto &entry = overrides().entry[int(role)];
    const int c = int(country);
    if (!entry[1 + c].isEmpty())
        return entry[1 + c];
    if (!entry[0].isEmpty())
        return entry[0];
    const char *builtIn = info(role).byCountry[c];
    return QString::fromLatin1(builtIn != nullptr ? builtIn : info(role).byCountry[0]);
}

QStringList tableKeys()
{
    QStringList keys;
    for (const auto &r : kRoles) {
        keys << QString::fromLatin1(r.key);
        for (int c = 0; c < 4; ++c) {
            if (r.byCountry[c] != nullptr && c > 0)
                keys << QString::fromLatin1(r.key) + u'.' + QLatin1String(kCountryKeys[c]);
        }
    }
    return keys;
}

QStringList checkSitesText(QByteArrayView text)
{
    Overrides scratch;
    return parse(text, QStringLiteral("sites"), scratch);
}

QStringList reloadSites()
{
    QMutexLocker lock(&g_mutex);
    Overrides o;
    QStringList problems = load(o);
    g_overrides = std::move(o);
    return problems;
}

} // namespace sites
