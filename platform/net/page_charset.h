// How a downloaded page becomes text: the transfer's charset, else the page's own <meta> charset,
// else Windows-1252. The transfer control decodes every body with it and the page readers decode
// saved pages with it, so both must agree; it is header-only so that the readers, which link no
// platform library, share this one copy.
#pragma once

#include "platform/cp1252.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>

namespace platform::net {

// How far into a page a <meta> charset is looked for.
inline constexpr qsizetype kCharsetSniffBytes = 4096;

// The charset a page declares in a <meta ... charset=NAME> within its first 4096 bytes, lower-case,
// or empty. Bounded: reads at most those bytes whatever the page.
inline QByteArray DeclaredCharset(QByteArrayView page)
{
    const QByteArray head =
        page.first(std::min(page.size(), kCharsetSniffBytes)).toByteArray().toLower();
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

// Windows-1252 bytes to text; the five unassigned bytes map to the C1 controls of the same value.
inline QString FromWindows1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char c : bytes)
        *dst++ = QChar(platform::cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

// The charset parameter of a Content-Type header value, lower-case, or empty.
inline QByteArray ContentTypeCharset(QByteArrayView contentType)
{
    const QByteArray lower = contentType.toByteArray().toLower();
    const qsizetype at = lower.indexOf("charset=");
    if (at < 0)
        return {};
    QByteArray name = lower.mid(at + 8);
    const qsizetype semi = name.indexOf(';');
    if (semi >= 0)
        name.truncate(semi);
    name = name.trimmed();
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\''))
        name = name.mid(1, name.size() - 2);
    return name.trimmed();
}

// Decodes a page by `charset` (the transfer's Content-Type charset), else by the charset the page
// declares, else as Windows-1252. "iso-8859-1", "latin1" and "us-ascii" are read as Windows-1252,
// as browsers do; an unknown name falls back to Windows-1252 rather than losing the page. O(n).
inline QString DecodePage(QByteArrayView bytes, QByteArrayView charset = {})
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

} // namespace platform::net
