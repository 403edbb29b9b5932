#include "app/modules/mShortcuts.h"

#include "app/modules/sites.h"
#include "platform/ui/shell.h"

namespace mShortcuts {

void OpenInBrowser(const QString &address)
{
    platform::ui::shellOpenDocument(address);
}

void OpenMail(const QString &address)
{
    platform::ui::shellOpenDocument(QStringLiteral("mailto:") + address);
}

QString EncodeSearchText(const QString &text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QString out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += u'+';
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += QChar(c);
        } else {
            out += u'%';
            out += QChar(kHex[c >> 4]);
            out += QChar(kHex[c & 0xF]);
        }
    }
    return out;
}

QString QuickSearchUrl(const QString &text, const QString &country)
{
    using sites::Country;
    if (text.trimmed().isEmpty()) {
        // The same page the toolbar's search button opens: the country's own pages host.
        return sites::siteUrl(sites::Role::Pages, country) +
            QStringLiteral("/search/items/search.html");
    }
    // Canada searches on the US host, as the search has always done.
    Country host = Country::US;
    if (country == u"Australia")
        host = Country::AU;
    else if (country == u"United Kingdom" || country == u"Ireland")
        host = Country::UK;
    return sites::siteUrl(sites::Role::Search, host) +
        QStringLiteral(
            "/search/search.dll?MfcISAPICommand=GetResult&ht=1&ebaytag1=ebayreg&query=") +
        EncodeSearchText(text);
}

void QuickSearch(const QString &text, const QString &country)
{
    OpenInBrowser(QuickSearchUrl(text, country));
}

} // namespace mShortcuts
