// The My eBay section routines, the item page look-ups and the PayPal readers, over generated pages
// (whose expected calls the generator knows independently of the parser) and small hand-made pages
// for the edge cases.
#include "parse_test_support.h"

#include "tools/mypages/pages.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace parsetest;
using namespace Qt::Literals::StringLiterals;
using mypages::rowLine;

namespace {

const QString kUS = u"United States"_s;
const QString kUK = u"United Kingdom"_s;

// Generated pages against the calls stored beside them (the 230-row page: every section capped at
// 200 rows), and pages without any section.
TEST(MyEbayParser, GeneratedPagesGiveTheExpectedCalls)
{
    const std::pair<const char *, QString> cases[] = { { "generated/myebay-us", kUS },
        { "generated/myebay-uk", kUK }, // pounds in Windows-1252
        { "generated/myebay-230rows", kUS }, { "empty", kUS }, { "error", kUS } };
    for (const auto &[fixture, country] : cases) {
        const QString base = QLatin1String(fixture);
        const QString page = mParse::DecodePage(readFixture(base + u".html"_s));
        const QStringList expected =
            base.startsWith(u"generated"_s) ? expectedCalls(base + u".calls"_s) : QStringList();
        EXPECT_EQ(parseMyEbay(page, country), expected) << fixture;
    }
}

TEST(MyEbayParser, FreshlyGeneratedPagesAgreeForManySeeds)
{
    for (quint32 seed = 100; seed < 130; ++seed) {
        mypages::MyEbayOptions options;
        options.seed = seed;
        options.rowsPerSection = 1 + static_cast<int>(seed % 9);
        options.country = seed % 2 ? kUK : kUS;
        const mypages::GeneratedPage page = mypages::myEbayPage(options);
        ASSERT_EQ(
            parseMyEbay(mParse::DecodePage(page.bytes, page.charset), options.country), page.calls)
            << "seed " << seed;
    }
}

// Removing one marker silences exactly the section that needs it; the others are read as before.
TEST(MyEbayParser, ASectionMissingAMarkerAddsNothing)
{
    struct Case {
        const char *name;
        const char *remove;
        const char *replaceWith;
        const char *section;
        bool alerts;
    };
    const Case cases[] = {
        // "Watching" stays: it is where the didn't-win list stops.
        { "watching heading", "Items I'm Watching", "Items Watching", "Watching", true },
        { "bidding heading", "Items I'm Bidding On", "(gone)", "Bidding", true },
        { "didn't-win heading", "Items I Didn't Win", "(gone)", "DidntWin", false },
        { "unsold start marker", "Relist", "(gone)", "Unsold", false },
    };
    mypages::MyEbayOptions options;
    options.rowsPerSection = 5;
    const mypages::GeneratedPage generated = mypages::myEbayPage(options);
    const QString full = mParse::DecodePage(generated.bytes);
    for (const Case &c : cases) {
        QString page = full;
        page.replace(QLatin1String(c.remove), QLatin1String(c.replaceWith));
        // What remains expected: everything but the section's rows and, for watching and bidding,
        // the alert calls that follow each of its rows.
        QStringList expected;
        bool dropAlerts = false;
        for (const QString &line : generated.calls) {
            const bool row = line.startsWith(u"ROW\t"_s);
            const bool mine = line.startsWith(u"ROW\t"_s + QLatin1String(c.section) + u'\t');
            if (row)
                dropAlerts = mine && c.alerts;
            if (mine || (!row && dropAlerts))
                continue;
            expected << line;
        }
        EXPECT_EQ(parseMyEbay(page), expected) << c.name;
    }
}

// A row whose cuts fail leaves the next search where it was. Each section reads such a row once
// and stops, instead of repeating it up to the row limit.
TEST(MyEbayParser, ABrokenRowIsReadOnce)
{
    struct Case {
        const char *section;
        QString page;
        qsizetype rows;
    };
    const QString row = u"</p><th>Action</th><input type=checkbox value=\"123\">"_s;
    const QString unsold =
        u"Unsold Unsold Unsold Unsold Unsold Unsold Relist ViewItem&amp;item=12"_s;
    const Case cases[] = {
        { "Watching", u"<p>Items I'm Watching"_s + row + u"Back to top"_s, 1 },
        { "Selling", u"<p>Items I'm Selling"_s + row + u" Items I've Sold"_s, 1 },
        { "Unsold", unsold + u"\">T</a> Categories"_s, 1 },
        { "DidntWin", u"<p>Items I Didn't Win</p> category <a href=\"x?item=12\">T</a> Watching"_s,
            1 },
        // The link never closes: no row at all.
        { "Unsold", unsold + u" Categories"_s, 0 },
        { "DidntWin", u"<p>Items I Didn't Win</p> category <a href=x?item=12>T</a> Watching"_s, 0 },
    };
    for (const Case &c : cases) {
        const QStringList calls = parseMyEbay(c.page);
        EXPECT_EQ(rowsOf(calls, QLatin1String(c.section)).size(), c.rows)
            << c.section << ": " << calls.join(u" | "_s).toStdString();
    }
}

// Rows whose title link never closes: each cut would run to the one "</a>" at the far end of the
// page. Every field stays short however long the page is.
TEST(MyEbayParser, CellsMissingTheirClosingMarkerStayBounded)
{
    QString page = u"<b>Items I'm Watching</b><table><tr><th>Action</th></tr>\n"_s;
    for (int i = 0; i < 200; ++i)
        page += u"<tr><td><input type=\"checkbox\" value=\"555\"></td>"_s
                u"<td><a href=\"http://cgi/ViewItem&item=555\">Lamp</td>"_s
                u"<td align=\"right\">$1.00</td><td>1d 2h</td></tr>\n"_s;
    page += QString(300000, u'x') + u"</a></table>Back to top"_s;
    const QStringList calls = parseMyEbay(page);
    ASSERT_GE(rowsOf(calls, u"Watching"_s).size(), 100);
    for (const QString &call : calls)
        ASSERT_LT(call.size(), 4 * mParse::MarkedPage::kMaxCut);
}

// A watching row with only the cells the routine reads.
QString watchingPage(const QString &priceCell, const QString &timeCells)
{
    return u"<b>Items I'm Watching</b><table><tr><th>Action</th></tr>\n"_s
           u"<tr><td><input type=\"checkbox\" value=\"555\"></td>"_s
           u"<td><a href=\"http://cgi/ViewItem&item=555\">Lamp</a></td>"_s
           u"<td align=\"right\">"_s +
        priceCell + u"</td>\n"_s + timeCells + u"</tr></table>Back to top"_s;
}

TEST(ParseWatching, PriceAndTimeLeftCells)
{
    const QString plain = u"<td>1</td><td>2</td><td>3</td>"_s;
    struct Case {
        const char *name;
        QString priceCell, timeCells, timeLeft, price; // an "Ended" time left removes the alert
    };
    const Case cases[] = {
        { "running row queues", u"<b>$5.00</b>"_s, plain + u"<td align=center><b>12m</b></td>"_s,
            u"12m"_s, u"$5.00"_s },
        { "empty time left is Ended", u"<b>$5.00</b>"_s, plain + u"<td align=center></td>"_s,
            u"Ended"_s, u"$5.00"_s },
        { "-- price kept as --", u"<b>US --</b>"_s, plain + u"<td align=center><b>3m</b></td>"_s,
            u"3m"_s, u"--"_s },
        { "picture without a sign stays as cleaned", u"<b><img src=\"bin.gif\"> 9.99</b>"_s,
            plain + u"<td align=center>5m</td>"_s, u"5m"_s, u"<img src=bin.gif 9.99"_s },
        // Find("color", q) = q: the colour attribute right at q is stepped over, so the cell's
        // first tag is skipped too; "bgcolor" starts one character early and is not.
        { "colour attribute at q", u"<b>$1.00</b>"_s,
            plain + u"<td  color=\"#FF0000\"><font size=\"1\">4m</font></td>"_s, u"4m"_s,
            u"$1.00"_s },
        { "bgcolor is not at q", u"<b>$1.00</b>"_s,
            plain + u"<td bgcolor=\"#FFFFCC\"><font size=\"1\">4m</font></td>"_s,
            u"<font size=14m"_s, u"$1.00"_s },
    };
    for (const Case &c : cases) {
        const QString alert = c.timeLeft == u"Ended"_s
            ? u"REMOVE\t555"_s
            : u"QUEUE\t555\tLamp\t"_s + c.timeLeft + u'\t' + c.price;
        EXPECT_EQ(parseMyEbay(watchingPage(c.priceCell, c.timeCells)),
            (QStringList {
                rowLine(u"Watching"_s, c.timeLeft + u", "_s + c.price + u", Lamp"_s, u"555"_s),
                alert }))
            << c.name;
    }
}

// A bidding row whose amount cell is preceded by exactly `before` and followed by `after`.
QString biddingPage(const QString &before, const QString &amount, const QString &after)
{
    return u"<b>Items I'm Bidding On</b><table><tr><th>Action</th></tr>\n"_s
           u"<tr><td><input type=\"checkbox\" value=\"777\"></td>"_s
           u"<td><a href=\"http://cgi/ViewItem&item=777\">Clock</a></td>"_s +
        before + amount + after +
        u"</td><td>$8.00</td><td>3</td><td align=center>2d 1h</td></tr></table>Back to top"_s;
}

TEST(ParseBidding, ColourFromTheFiftyCharactersBeforeTheAmount)
{
    struct Case {
        const char *name;
        QString before;
        QString colour;
    };
    const Case cases[] = {
        { "both: failed wins", u"<td class=success><span class=failed>"_s, u"RED"_s },
        { "success starting 50 before the amount", u"<td>success"_s + QString(43, u'x'),
            u"GREEN"_s },
        { "success starting 51 before the amount", u"<td>success"_s + QString(44, u'x'),
            u"BLACK"_s },
    };
    for (const Case &c : cases) {
        const QStringList calls = parseMyEbay(biddingPage(c.before, u"$5.00"_s, QString()));
        ASSERT_FALSE(calls.isEmpty()) << c.name;
        EXPECT_EQ(calls.first(),
            rowLine(u"Bidding"_s, u"2d 1h, $5.00, $8.00, Clock"_s, u"777"_s, c.colour))
            << c.name;
    }
}

TEST(ParseBidding, AmountCellsLongerThanTenAreCutBeforeTheirFirstTag)
{
    struct Case {
        const char *name;
        QString cell; // from the sign to the end of the cell
        QString price;
    };
    const Case cases[] = {
        { "ten characters kept whole", u"$12.50</b>"_s, u"$12.50</b>"_s },
        { "eleven characters cut", u"$12.50</bb>"_s, u"$12.50"_s },
        { "not cleaned", u"$1&nbsp;234<i>x"_s, u"$1&nbsp;234"_s },
    };
    for (const Case &c : cases) {
        const QStringList calls = parseMyEbay(biddingPage(u"<td>"_s, c.cell, QString()));
        ASSERT_EQ(calls.size(), 2) << c.name;
        EXPECT_EQ(calls.at(1), u"QUEUE\t777\tClock\t2d 1h\t"_s + c.price) << c.name;
    }
}

// Only the exact name gets the pound sign.
TEST(MyEbayParser, TheCountryDecidesTheSign)
{
    EXPECT_EQ(mParse::SignFor(kUK), u"\u00A3"_s);
    for (const char *other : { "united kingdom", "United Kingdom ", "" })
        EXPECT_EQ(mParse::SignFor(QLatin1String(other)), u"$"_s) << other;
}

// The unsold list follows the sixth "Unsold"; with fewer the count wraps to the top of the page.
TEST(ParseUnsold, SixFoldSearchWrapsAround)
{
    const auto pageWith = [](int occurrences) {
        QString page = u"<html>"_s;
        for (int i = 1; i <= occurrences; ++i) {
            page += QStringLiteral(
                "<b>Unsold</b><table><tr><th>Relist</th></tr><tr><td><a "
                "href=\"x?ViewItem&amp;item=100%1\">List %1</a></td><td><font "
                "size=\"2\">$1.00</font>"
                "</td><td><font size=\"2\">$%1.00</font></td><td><font size=\"2\">May-0%1</font>"
                "</td></tr></table><a href=\"/\">Categories</a>\n")
                        .arg(i);
        }
        return page;
    };
    struct Case {
        int occurrences;
        int list; // the list whose row is read
    };
    const Case cases[] = { { 1, 1 }, { 3, 2 }, { 5, 1 }, { 6, 6 }, { 7, 6 } };
    for (const Case &c : cases) {
        mypages::CallRecorder recorder;
        mParse::MyEbayParser parser(recorder, recorder, kUS);
        const mParse::MarkedPage page(pageWith(c.occurrences));
        parser.ParseSold(page); // sets the shared sign
        parser.ParseUnsold(page);
        const QString n = QString::number(c.list);
        EXPECT_EQ(recorder.lines,
            QStringList { rowLine(
                u"Unsold"_s, u"May-0"_s + n + u", $"_s + n + u".00, List "_s + n, u"100"_s + n) })
            << c.occurrences << " occurrences";
    }
}

TEST(PayPalReaders, GeneratedAccountPages)
{
    const std::pair<const char *, qsizetype> cases[] = { { "paypal-10", 11 }, { "paypal-20", 16 } };
    for (const auto &[fixture, lines] : cases) {
        const QString base = u"generated/"_s + QLatin1String(fixture);
        const QStringList got = readPayPal(mParse::DecodePage(readFixture(base + u".html"_s)));
        EXPECT_EQ(got, expectedCalls(base + u".calls"_s)) << fixture;
        EXPECT_EQ(got.size(), lines) << fixture << ": the balance and at most 15 activity lines";
    }
}

TEST(PayPalReaders, BrokenPages)
{
    struct Case {
        const char *name;
        QString page;
        QStringList lines;
    };
    const Case cases[] = {
        { "sign-in page", u"<p>Please log in</p>"_s, {} },
        { "one _history only: no balance", u"cmd=_history\">$5.00</a>"_s, {} },
        { "balance in pounds still cut from $", u"_history _history \">\u00A35 or $7.00</a>"_s,
            { u"LINE\tBalance: $7.00"_s } },
        // The row lacks every cell: it is added once, not fifteen times.
        { "broken activity row", u"Recent Activity Recent Activity <input type=checkbox> Mobile"_s,
            { u"LINE\t"_s } },
        { "activity row after Mobile",
            u"Recent Activity Recent Activity Mobile <input type=checkbox>"_s, {} },
    };
    for (const Case &c : cases)
        EXPECT_EQ(readPayPal(c.page), c.lines) << c.name;
}

// The item page look-ups: a right ID or nothing, on hand-made cuts and on the item page excerpts
// that made them return markup, a truncated ID or the wrong person.
TEST(ItemPageLookUps, Cuts)
{
    struct Case {
        const char *name;
        QString page;
        QString seller, bidder, paypal;
    };
    const QString seller =
        u"Seller (Rating) <a href=\"f?ViewFeedback&amp;requested=sally_c&amp;iid=42\">9</a>"_s;
    const QString ask =
        u"<a href=\"c?ShowCoreAskSellerQuestion&amp;requested=sally_c&amp;iid=42\">Ask</a>"_s;
    const QString contact = u"<a href=\"c?ReturnUserEmail&amp;requested=bob77&amp;iid=42\">C</a>"_s;
    const QString pay =
        u"<a href=\"https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=sally@example.com&auction_type=ebay\">"_s;
    const Case cases[] = {
        { "all three", seller + ask + contact + pay, u"sally_c"_s, u"bob77"_s,
            u"sally@example.com"_s },
        { "https without a business", seller + u"<a href=\"https://signin.ebay.com/\">"_s,
            u"sally_c"_s, {}, {} },
        { "no heading: never the first link of the page", ask + contact, {}, u"bob77"_s, u"NA"_s },
        { "no contact link: never the seller as bidder", seller + ask, u"sally_c"_s, {}, u"NA"_s },
        { "contact link before the ask link", contact + ask, {}, {}, u"NA"_s },
        { "no & before iid", u"Seller (Rating) requested=sally_c;iid=1&x=2"_s, {}, {}, u"NA"_s },
        { "value holding markup",
            u"Seller (Rating) requested=<b>x</b>&iid=1 https:// business=a b&auction_type"_s, {},
            {}, {} },
        { "value holding quotes or a line break",
            u"Seller (Rating) requested=a\"b&iid=1 https:// business=a\nb&auction_type"_s, {}, {},
            {} },
        { "empty page", {}, {}, {}, u"NA"_s },
    };
    for (const Case &c : cases) {
        const mParse::MarkedPage page(c.page);
        EXPECT_EQ(mParse::LookUpSeller(page), c.seller) << c.name;
        EXPECT_EQ(mParse::LookUpHighBidder(page), c.bidder) << c.name;
        EXPECT_EQ(mParse::LookUpPayPalId(page), c.paypal) << c.name;
    }
}

// Saved item page excerpts and generated item pages against the answers stored beside them.
TEST(ItemPageLookUps, ItemPages)
{
    QStringList pages = { u"generated/item-secure"_s, u"generated/item-plain"_s };
    const QStringList excerpts =
        QDir(fixturePath(u"items"_s)).entryList({ u"*.html"_s }, QDir::Files, QDir::Name);
    ASSERT_EQ(excerpts.size(), 4);
    for (const QString &name : excerpts)
        pages << u"items/"_s + name.chopped(5);
    for (const QString &base : pages) {
        const mParse::MarkedPage page(mParse::DecodePage(readFixture(base + u".html"_s)));
        const QStringList got { u"SELLER\t"_s + mParse::LookUpSeller(page),
            u"BIDDER\t"_s + mParse::LookUpHighBidder(page),
            u"PAYPAL\t"_s + mParse::LookUpPayPalId(page) };
        EXPECT_EQ(got, expectedCalls(base + u".calls"_s)) << base.toStdString();
    }
}

struct DumpRun {
    int exitCode;
    QString out, err;
};

DumpRun RunDump(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("BIDLARK_BIN_DIR") + u"/myebay-dump"_s, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError()) };
}

TEST(MyEbayDump, Charsets)
{
    const QString page = fixturePath(u"items/contact-and-escaped-paypal.html"_s);
    struct Case {
        const char *name;
        QStringList arguments;
        int exitCode;
        QString inOut, inErr;
    };
    const Case cases[] = {
        { "unknown charset", { u"--charset"_s, u"no-such-set"_s, u"--item"_s, page }, 2, {},
            u"unknown charset no-such-set"_s },
        { "known charset", { u"--charset"_s, u"ISO-8859-15"_s, u"--item"_s, page }, 0,
            u"SELLER\tpez4me\n"_s, {} },
    };
    for (const Case &c : cases) {
        const DumpRun run = RunDump(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(c.inOut)) << c.name << ": " << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(c.inErr)) << c.name << ": " << run.err.toStdString();
    }
}

} // namespace
