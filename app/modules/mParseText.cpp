#include "app/modules/mParseText.h"

#include "platform/cp1252.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>

namespace mParse {

QString CleanHtml(QStringView text)
{
    struct Step {
        QStringView find;
        QStringView replaceWith;
    };
    // The order matters; see the header.
    static constexpr std::array<Step, 25> steps { {
        { u"\"", u"" },
        { u"<span class=TextBold>", u"" },
        { u"</font>", u"" },
        { u"</span>", u"" },
        { u"<span>", u"" },
        { u"\n", u"" },
        { u"\r", u"" },
        { u"</b>", u"" },
        { u"<b>", u"" },
        { u"</B>", u"" },
        { u"<B>", u"" },
        { u"</i>", u"" },
        { u"<br", u"" },
        { u"\"", u"" },
        { u"<font color=#339933>", u"" },
        { u"<font color=#FF3300>", u"" },
        { u"<font size=2>", u"" },
        { u"<font size=2 color=#FF0000>", u"" },
        { u">", u"" },
        { u"color=#FF0000", u"" },
        { u"<span class=body", u"" },
        { u"&nbsp;", u" " },
        { u"&quot;", u"\"" },
        { u"Transactions.", u"" },
        { u"_0", u"" },
    } };
    // Which ASCII characters the text may hold: a step whose piece has a character the text lacks
    // cannot match, so most steps on a short field cost a few bit tests instead of a search.
    // Steps only delete, apart from the characters a replacement adds, so the set stays a superset.
    std::uint64_t present[2] = { 0, 0 };
    auto mark = [&](QStringView s) {
        for (const QChar c : s) {
            if (c.unicode() < 128)
                present[c.unicode() >> 6] |= std::uint64_t(1) << (c.unicode() & 63);
        }
    };
    auto mayHold = [&](QStringView piece) {
        for (const QChar c : piece) {
            if (!(present[c.unicode() >> 6] & (std::uint64_t(1) << (c.unicode() & 63))))
                return false;
        }
        return true;
    };
    mark(text);
    QString out = text.toString();
    for (const Step &step : steps) {
        // Most fields hold few of the pieces; a plain search is far cheaper than a replace.
        if (!mayHold(step.find) || !QStringView(out).contains(step.find))
            continue;
        mark(step.replaceWith);
        out.replace(step.find.data(), step.find.size(), step.replaceWith.data(),
            step.replaceWith.size(), Qt::CaseSensitive);
    }
    return out;
}

QByteArray DeclaredCharset(QByteArrayView page)
{
    constexpr qsizetype kSniffBytes = 4096;
    const QByteArray head = page.first(std::min(page.size(), kSniffBytes)).toByteArray().toLower();
    qsizetype from = 0;
    while (true) {
        const qsizetype meta = head.indexOf("<meta", from);
        if (meta < 0)
            return {};
        const qsizetype close = head.indexOf('>', meta);
        const qsizetype end = close < 0 ? head.size() : close;
        const qsizetype cs = head.indexOf("charset=", meta);
        if (cs >= 0 && cs < end) {
            qsizetype a = cs + 8;
            while (a < end && (head[a] == '"' || head[a] == '\'' || head[a] == ' '))
                ++a;
            qsizetype b = a;
            while (b < end &&
                (std::isalnum(static_cast<unsigned char>(head[b])) || head[b] == '-' ||
                    head[b] == '_' || head[b] == ':' || head[b] == '.'))
                ++b;
            if (b > a)
                return head.mid(a, b - a);
        }
        from = meta + 5;
    }
}

QString FromWindows1252(QByteArrayView bytes)
{
    static constexpr auto table = [] {
        std::array<char16_t, 256> t {};
        for (int b = 0; b < 256; ++b)
            t[std::size_t(b)] = platform::cp1252ToUnicode(static_cast<unsigned char>(b));
        return t;
    }();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *src = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i)
        dst[i] = table[src[i]];
    return out;
}

QString DecodePage(QByteArrayView bytes, QByteArrayView charset)
{
    QByteArray name = charset.toByteArray().trimmed().toLower();
    if (name.isEmpty()) {
        name = DeclaredCharset(bytes).toLower();
        // A page whose own <meta> could be read is no UTF-16 or UTF-32 page, whatever it says:
        // browsers read such a page as UTF-8.
        if (name.startsWith("utf-16") || name.startsWith("utf-32") || name.startsWith("ucs-"))
            name = "utf-8";
    }
    if (name.isEmpty() || name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" ||
        name == "latin1" || name == "us-ascii" || name == "ascii")
        return FromWindows1252(bytes);
    if (name == "utf-8" || name == "utf8")
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return FromWindows1252(bytes);
    return decoder.decode(bytes);
}

} // namespace mParse
