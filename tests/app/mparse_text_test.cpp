// The marker idiom, the cleaner and page decoding: the rules every reader builds on.
#include "app/modules/mParseMarker.h"
#include "app/modules/mParseText.h"
#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <random>

using namespace mParse;

using namespace Qt::Literals::StringLiterals;

namespace {

struct FindCase {
    const char *name;
    const char16_t *page;
    const char32_t *marker;
    Pos from;
    Pos expected;
};

TEST(MarkedPage, FindFollowsTheNotation)
{
    // Ordinary hits and misses are compared with a plain search below; these are the edges.
    const FindCase cases[] = {
        { "marker longer than the rest", u"abcabc", U"bcx", 5, 0 },
        { "skipped from stays skipped", u"abcabc", U"a", Pos(3, false), Pos(0, false) },
        { "empty page", u"", U"a", 1, 0 },
        { "characters beyond the BMP count once", u"\U0001F600x\U0001F600x", U"x", 3, 4 },
    };
    for (const FindCase &c : cases) {
        const MarkedPage page(QString::fromUtf16(c.page));
        const Pos got = page.Find(c.marker, c.from);
        EXPECT_EQ(got.done, c.expected.done) << c.name;
        if (c.expected.done) {
            EXPECT_EQ(got.value, c.expected.value) << c.name;
        }
    }
}

TEST(MarkedPage, OffsetsOfASkippedStepStaySkipped)
{
    const MarkedPage page(u"value=\"123\"");
    qint64 v = 42;
    Set(v, page.Find(U"value=", 0) + 7);
    EXPECT_EQ(v, 42) << "a search from 0 leaves its target alone";
    Set(v, page.Find(U"missing", 1) + 7);
    EXPECT_EQ(v, 7) << "a search that ran and missed gives 0 plus the offset";
}

TEST(MarkedPage, TextCutsAndSkips)
{
    struct Case {
        const char *name;
        Pos from, to;
        std::optional<QString> expected;
    };
    const MarkedPage page(u"0123456789");
    const Case cases[] = {
        { "from just past the end is empty", 11, 20, QString() },
        { "negative length is skipped", 5, 4, std::nullopt },
        { "start 0 is skipped", 0, 4, std::nullopt },
        { "to 0 after a miss is skipped", 3, 0, std::nullopt },
        { "a skipped end is skipped", 1, Pos(5, false), std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(page.Text(c.from, c.to), c.expected) << c.name;

    QString field = u"previous row"_s;
    Set(field, page.Text(5, 4));
    EXPECT_EQ(field, u"previous row");
}

// The memo that keeps broken pages linear must never change an answer: compare every search of a
// random walk with a plain search.
TEST(MarkedPage, RepeatedSearchesAgreeWithAPlainSearch)
{
    // Characters beyond one byte and NUL take the other search path, and surrogates (a pair, a lone
    // one) the slow conversion; every answer must be that of a plain search.
    std::mt19937 rng(12345);
    const char16_t alphabet[] = u"ab<td>x\u00E9\u20AC\uFEFF";
    QString text;
    for (int i = 0; i < 3000; ++i) {
        if (i % 700 == 650)
            text += i % 1400 == 650 ? u"\U0001F600"_s : QString(QChar(0xD800));
        text += QChar(i % 500 == 7 ? u'\0' : alphabet[rng() % 10]);
    }
    const std::u32string wide = ToMarker(text);
    const MarkedPage page(text);
    const std::u32string markers[] = { U"<td", U"ab", U"x", U"b<t", U"zz", U"\u00E9", U"\u20ACx",
        std::u32string(1, U'\0'), std::u32string(70, U'a') };
    for (int i = 0; i < 20000; ++i) {
        const std::u32string &marker = markers[rng() % std::size(markers)];
        const qint64 from = static_cast<qint64>(rng() % 3100);
        const std::size_t at =
            wide.find(marker, static_cast<std::size_t>(std::max<qint64>(from - 1, 0)));
        const qint64 plain = at == std::u32string::npos ? 0 : static_cast<qint64>(at) + 1;
        const Pos got = page.Find(marker, from);
        if (from < 1) {
            ASSERT_FALSE(got.done);
        } else {
            ASSERT_EQ(got.value, from > text.size() ? 0 : plain)
                << "search " << i << " from " << from;
        }
        // Cuts keep what decoding the characters gives, byte order mark rule included.
        const qint64 to = from + static_cast<qint64>(rng() % 40);
        if (from >= 1 && from <= page.Length()) {
            const auto length = std::min<qint64>(to, page.Length() + 1) - from;
            ASSERT_EQ(page.Text(from, to),
                QString::fromUcs4(wide.data() + from - 1, static_cast<qsizetype>(length)))
                << "cut " << from << ".." << to;
        }
    }
}

TEST(CleanHtml, ReplacementsAndTheirOrder)
{
    // The results a reader would not guess from the list of steps checked below.
    struct Case {
        const char *name;
        const char16_t *in;
        const char16_t *out;
    };
    const Case cases[] = {
        { "empty stays empty", u"", u"" },
        { "entity quote survives, literal quote does not", u"12\" &quot;Mint&quot;",
            u"12 \"Mint\"" },
        { "one pass: __00 keeps one _0", u"__00", u"_0" },
        { "quoted colour matches after quote removal", u"<font color=\"#339933\">sold</font>",
            u"sold" },
        { "colour attribute left behind", u"<font color=\"#FF0000\">Ended</font>", u"<font Ended" },
        { "nbsp is a blank, amp stays", u"Tom&nbsp;&amp;&nbsp;Jerry", u"Tom &amp; Jerry" },
        { "case-sensitive", u"<FONT SIZE=2>x</FONT>", u"<FONT SIZE=2x</FONT" },
    };
    for (const Case &c : cases)
        EXPECT_EQ(CleanHtml(QString::fromUtf16(c.in)), QString::fromUtf16(c.out)) << c.name;
}

// The cleaner runs its steps as one streaming pass; it must give what replacing each piece in
// turn gives, on texts built from fragments of the pieces so that removals join new pieces, held
// partial matches break off at every point, and the text ends inside a piece.
TEST(CleanHtml, OnePassEqualsTheStepsInTurn)
{
    const char16_t *steps[][2] = { { u"\"", u"" }, { u"<span class=TextBold>", u"" },
        { u"</font>", u"" }, { u"</span>", u"" }, { u"<span>", u"" }, { u"\n", u"" },
        { u"\r", u"" }, { u"</b>", u"" }, { u"<b>", u"" }, { u"</B>", u"" }, { u"<B>", u"" },
        { u"</i>", u"" }, { u"<br", u"" }, { u"\"", u"" }, { u"<font color=#339933>", u"" },
        { u"<font color=#FF3300>", u"" }, { u"<font size=2>", u"" },
        { u"<font size=2 color=#FF0000>", u"" }, { u">", u"" }, { u"color=#FF0000", u"" },
        { u"<span class=body", u"" }, { u"&nbsp;", u" " }, { u"&quot;", u"\"" },
        { u"Transactions.", u"" }, { u"_0", u"" } };
    std::mt19937 rng(99);
    for (int round = 0; round < 4000; ++round) {
        QString in;
        const int parts = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < parts; ++i) {
            const QString piece = QString::fromUtf16(steps[rng() % std::size(steps)][0]);
            const qsizetype a = rng() % (piece.size() + 1);
            const qsizetype b = a + rng() % (piece.size() - a + 1);
            in += rng() % 3 ? piece.mid(a, b - a) : piece;
            if (rng() % 4 == 0)
                in += QChar(u"\"\n\r>&;_0x <\u00E9"[rng() % 12]);
        }
        QString want = in;
        for (const auto &step : steps)
            want.replace(QString::fromUtf16(step[0]), QString::fromUtf16(step[1]));
        ASSERT_EQ(CleanHtml(in), want) << in.toStdString();
    }
}

// Every byte value, alone in a run of ASCII long enough for the wide copying, decodes as 1252.
TEST(DecodePage, EveryByteInsideLongAsciiRuns)
{
    for (int b = 0; b < 256; ++b) {
        QByteArray bytes(40, 'a');
        bytes[17] = static_cast<char>(b);
        const QString text = FromWindows1252(bytes);
        ASSERT_EQ(text.size(), 40);
        EXPECT_EQ(text[17].unicode(), platform::cp1252ToUnicode(static_cast<unsigned char>(b)))
            << b;
        EXPECT_EQ(text.count(u'a'), b == 'a' ? 40 : 39) << b;
    }
}

TEST(DecodePage, CharsetRules)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QByteArray charset;
        QString expected;
    };
    const Case cases[] = {
        { "meta declares UTF-8",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\xC2\xA3", {},
            QStringLiteral(
                "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\u00A3") },
        { "meta declaring UTF-16 is read as UTF-8", "<meta charset=\"UTF-16\">\xC2\xA3", {},
            u"<meta charset=\"UTF-16\">\u00A3"_s },
        { "transfer charset wins over meta", "<meta charset=\"utf-8\">\xA3", "windows-1252",
            u"<meta charset=\"utf-8\">\u00A3"_s },
        { "unknown name falls back to 1252", "\xA3", "x-no-such-charset", u"\u00A3"_s },
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodePage(c.bytes, c.charset), c.expected) << c.name;
}

TEST(DecodePage, SniffingIsBounded)
{
    QByteArray page(5000, ' ');
    page += "<meta charset=\"utf-8\">";
    EXPECT_TRUE(DeclaredCharset(page).isEmpty())
        << "a declaration after 4096 bytes is not looked for";
    EXPECT_EQ(
        DeclaredCharset("<meta name=x><meta content=\"text/html; charset=koi8-r\">"), "koi8-r");
    EXPECT_TRUE(DeclaredCharset("<meta charset=").isEmpty());
}

// Searches remember markers by where the caller keeps them; a buffer that later holds another
// marker of the same length must be searched for its new text.
TEST(MarkedPage, AReusedMarkerBufferIsSearchedForItsNewText)
{
    const MarkedPage page(u"<td>ab</td><tr>cd</tr>");
    std::u32string marker = U"<td";
    const char32_t *buffer = marker.data();
    struct Step {
        const char32_t *text;
        qint64 from, expected;
    };
    const Step steps[] = { { U"<td", 1, 1 }, { U"<tr", 1, 12 }, { U"</t", 1, 7 }, { U"<td", 2, 0 },
        { U"<tr", 13, 0 } };
    for (const Step &s : steps) {
        marker.assign(s.text); // same length: the buffer stays where it is
        ASSERT_EQ(marker.data(), buffer);
        EXPECT_EQ(page.Find(marker, s.from).value, s.expected) << s.from;
    }
}

} // namespace
