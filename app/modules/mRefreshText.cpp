#include "app/modules/mRefreshText.h"

#include "app/modules/sites.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include <algorithm>
#include <array>

namespace mRefreshText {

namespace {

constexpr char kSignInBodyHead[] =
    "MfcISAPICommand=SignInWelcome&siteid=0&co_partnerId=2&UsingSSL=0&ru=&pp=&pa1=&pa2=&pa3=&pa4="
    "&pa5=&pa6=&pa7=&pa8=&pa9=&pa10=&i1=-1&i2=-1&i3=-1&i4=-1&i5=-1&i6=-1&i7=-1&i8=-1&i9=-1&i10=-1"
    "&i11=-1&pNextPage=&pageType=174&";

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character.
constexpr std::array<char16_t, 32> kCp1252High = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026,
    0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C,
    0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

int Cp1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(kCp1252High.size()); ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

void AppendByte(QString &out, unsigned char b)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(kHex[b >> 4]);
    out += QLatin1Char(kHex[b & 15]);
}

const char *const kSectionHeadings[] = { "Items I'm Watching", "Items I'm Bidding On",
    "Items I'm Selling", "Items I've Sold", "Items I've Won", "I Didn" };

} // namespace

QString FormEncode(const QString &value)
{
    QString out;
    out.reserve(value.size() * 3);
    for (const char32_t c : value.toUcs4()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '*') {
            out += QChar(char16_t(c));
        } else if (c == ' ') {
            out += QLatin1Char('+');
        } else if (const int b = Cp1252Byte(c); b >= 0) {
            AppendByte(out, static_cast<unsigned char>(b));
        } else {
            for (const char byte : QString::fromUcs4(&c, 1).toUtf8())
                AppendByte(out, static_cast<unsigned char>(byte));
        }
    }
    return out;
}

QByteArray SignInBody(const QString &userId, const QString &password)
{
    return QByteArray(kSignInBodyHead) + "userid=" + FormEncode(userId).toLatin1() +
        "&pass=" + FormEncode(password).toLatin1();
}

QString SignInPageAddress(const QString &eBayCountry)
{
    const bool uk = eBayCountry == u"United Kingdom"_qs || eBayCountry == u"Ireland"_qs;
    return sites::siteUrl(sites::Role::SignIn, uk ? sites::Country::UK : sites::Country::US) +
        (uk ? u"/aw-cgi/eBayISAPI.dll?SignIn"_qs : u"/aw-cgi/eBayISAPI.dll?SIgnIn"_qs);
}

QString SignInPostAddress(const QString &eBayCountry)
{
    return sites::siteUrl(sites::Role::SignIn, eBayCountry) + u"/aw-cgi/eBayISAPI.dll"_qs;
}

QString DaysSince(const QString &dataView)
{
    if (dataView == u"Today"_qs)
        return QStringLiteral("0");
    if (dataView.size() == 6)
        return dataView.left(1);
    return dataView.left(2);
}

QString MyEbayAddress(const QString &eBayCountry, const QString &dataView)
{
    return sites::siteUrl(sites::Role::MyEbay, eBayCountry) +
        u"/ws/ebayISAPI.dll?MyeBay&first=N&sellerSort=3&bidderSort=3&watchSort=3&dayssince="_qs +
        DaysSince(dataView);
}

std::optional<QString> CutSignInToken(const QString &answer)
{
    const qsizetype pass = answer.indexOf(u"pass="_qs);
    const qsizetype s = pass < 0 ? 4 : pass + 5; // 0-based
    if (s > answer.size())
        return std::nullopt;
    const qsizetype e = answer.indexOf(u"&amp"_qs, s);
    if (e < 0)
        return std::nullopt;
    return answer.mid(s, e - s).remove(u"&amp"_qs);
}

int RefreshMinutes(const QString &refresh)
{
    bool ok = false;
    const int minutes = refresh.left(2).remove(QLatin1Char(' ')).toInt(&ok);
    return ok && minutes > 0 ? minutes : 60;
}

QString LastSyncText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (!timeFormat.contains(u's'))
        timeFormat.replace(u"mm"_qs, u"mm:ss"_qs);
    return u"last sync: "_qs + locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
        locale.toString(when.time(), timeFormat);
}

bool LooksLikeMyEbay(const QString &page)
{
    for (const char *heading : kSectionHeadings) {
        if (page.contains(QLatin1String(heading)))
            return true;
    }
    return page.contains(u"Unsold"_qs) && page.contains(u"Relist"_qs);
}

QString UnrecognisedPageFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        u"/bidlark/unrecognised"_qs;
}

QString SaveUnrecognisedPage(const QString &page, const QString &folder, int keep)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return {};
    // Names sort by time; pages saved in one millisecond take a rising counter. A number freed by
    // the pruning below must not be taken again: that page would sort oldest and go at once.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString prefix = u"myebay-"_qs + stamp + u'-';
    int n = 0;
    for (const QString &name : dir.entryList({ prefix + u"*.html"_qs }, QDir::Files))
        n = std::max(n, QStringView(name).mid(prefix.size()).chopped(5).toInt() + 1);
    const QString path =
        dir.filePath(prefix + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) + u".html"_qs);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(page.toUtf8()) < 0)
        return {};
    file.close();
    const QStringList saved = dir.entryList(
        { QStringLiteral("myebay-*.html") }, QDir::Files, QDir::Name | QDir::Reversed);
    for (qsizetype i = keep; i < saved.size(); ++i)
        dir.remove(saved[i]);
    return path;
}

} // namespace mRefreshText
