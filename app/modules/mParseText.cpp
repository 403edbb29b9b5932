#include "app/modules/mParseText.h"

#include "platform/net/page_charset.h"

#include <QStringDecoder>

#include <array>

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
    QString out = text.toString();
    for (const Step &step : steps) {
        // Most fields hold few of the pieces; a plain search is far cheaper than a replace.
        if (!QStringView(out).contains(step.find))
            continue;
        out.replace(step.find.data(), step.find.size(), step.replaceWith.data(),
            step.replaceWith.size(), Qt::CaseSensitive);
    }
    return out;
}

QByteArray DeclaredCharset(QByteArrayView page)
{
    return platform::net::DeclaredCharset(page);
}

QString FromWindows1252(QByteArrayView bytes)
{
    return platform::net::FromWindows1252(bytes);
}

QString DecodePage(QByteArrayView bytes, QByteArrayView charset)
{
    return platform::net::DecodePage(bytes, charset);
}

} // namespace mParse
