#include "app/modules/mParse.h"

#include <initializer_list>

namespace mParse {

namespace {

constexpr std::u32string_view Q = U"\"";
constexpr std::u32string_view QG = U"\">";

Cut Cleaned(const Cut &cut)
{
    if (!cut)
        return std::nullopt;
    return CleanHtml(*cut);
}

QString Join(std::initializer_list<const QString *> fields)
{
    QString line;
    bool first = true;
    for (const QString *field : fields) {
        if (!first)
            line += u", ";
        line += *field;
        first = false;
    }
    return line;
}

// Characters, not UTF-16 units, so a sign outside the BMP would not shift the 10-character rule.
qsizetype CharCount(const QString &text)
{
    qsizetype n = text.size();
    for (const QChar ch : text) {
        if (ch.isHighSurrogate())
            --n;
    }
    return n;
}

// Ends a row loop where the page stops making sense. A row starts only when its anchor search was
// carried out, found something before the section's stop, and lies beyond the previous row's
// anchor: a failed cut leaves the next start where it was, and without this a broken row would be
// repeated up to kMaxRows times, with as many junk lines and alerts.
class RowAnchor {
public:
    // Stores the anchor in `target` and returns true when the next row may be read.
    bool Next(Pos found, qint64 stop, qint64 &target)
    {
        if (m_rows >= kMaxRows || !found.done || found.value == 0 || found.value > stop ||
            found.value <= m_last)
            return false;
        m_last = found.value;
        target = found.value;
        ++m_rows;
        return true;
    }

private:
    qint64 m_last = 0;
    int m_rows = 0;
};

// Steps shared by watching, bidding and selling: the check box value is the item number and the
// first item link after it holds the title.
void ItemAndTitle(
    const MarkedPage &page, qint64 c, qint64 &v, qint64 &t, qint64 &e, AuctionItem &row)
{
    Set(v, page.Find(U"value=", c) + 7);
    Set(e, page.Find(Q, v));
    Set(row.Item, page.Text(v, e));
    Set(t, page.Find(U"item=", v));
    Set(t, page.Find(U">", t) + 1);
    Set(e, page.Find(U"</a>", t));
    Set(row.ItemName, Cleaned(page.Text(t, e)));
}

} // namespace

QString SignFor(const QString &country)
{
    return country == u"United Kingdom" ? QStringLiteral("\u00A3") : QStringLiteral("$");
}

MyEbayParser::MyEbayParser(ItemTreeSink &tree, AlertSink &alerts, QString country)
    : m_tree(tree)
    , m_alerts(alerts)
    , m_country(std::move(country))
{
}

void MyEbayParser::ParsePage(const MarkedPage &page)
{
    ParseWatching(page);
    ParseBidding(page);
    ParseSelling(page);
    ParseSold(page);
    ParseUnsold(page);
    ParseWon(page);
    ParseDidntWin(page);
}

void MyEbayParser::handToAlerts(const AuctionItem &row)
{
    if (row.TimeLeft == u"Ended")
        m_alerts.RemoveAlert(row.Item);
    else
        m_alerts.QueueAlert(row.Item, row.ItemName, row.TimeLeft, row.Price);
}

void MyEbayParser::ParseWatching(const MarkedPage &page)
{
    m_sharedSign = SignFor(m_country);
    AuctionItem row;
    row.Section = ItemSection::Watching;
    qint64 start = 0, stop = 0, c = 0, v = 0, t = 0, p = 0, e = 0, q = 0, n = 0;
    Set(start, page.Find(U"Items I'm Watching", 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(U"Back to top", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, c)) {
        c += 2;
        ItemAndTitle(page, c, v, t, e, row);

        Set(p, page.Find(U"right", t) + 7);
        Set(p, page.Find(U">", p) + 1);
        Set(e, page.Find(U"</td>", p));
        Set(row.Price, page.Text(p, e));
        if (row.Price.contains(u"--"))
            row.Price = QStringLiteral("--");
        row.Price = CleanHtml(row.Price);
        if (row.Price.contains(u"img src")) {
            // The price cell holds a picture (a "buy it now" badge) before the amount.
            const qsizetype at = row.Price.indexOf(m_sharedSign);
            if (at >= 0)
                row.Price = row.Price.mid(at);
        }

        q = e;
        for (int i = 0; i < 4; ++i) {
            Set(q, page.Find(U"<td", q) + 5);
            // A shaded cell: step over its bgcolor attribute.
            if (page.StartsAt(U"color", q).value_or(false))
                q += 16;
        }
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.TimeLeft, Cleaned(page.Text(q, e)));
        if (row.TimeLeft.contains(u"Ended") || row.TimeLeft.isEmpty())
            row.TimeLeft = QStringLiteral("Ended");

        row.DisplayLine = Join({ &row.TimeLeft, &row.Price, &row.ItemName });
        m_tree.AddWatchingLine(row.DisplayLine, row.Item);
        handToAlerts(row);

        Set(n, page.Find(U"checkbox", q));
        if (n == 0)
            break;
        start = n;
    }
}

void MyEbayParser::ParseBidding(const MarkedPage &page)
{
    const QString signText = SignFor(m_country);
    const std::u32string sign = ToMarker(signText);
    AuctionItem row;
    row.Section = ItemSection::Bidding;
    qint64 start = 0, stop = 0, c = 0, v = 0, t = 0, p = 0, p2 = 0, e = 0, q = 0;
    Set(start, page.Find(U"Items I'm Bidding On", 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(U"Back to top", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, c)) {
        c += 2;
        if (c > stop)
            break;
        ItemAndTitle(page, c, v, t, e, row);

        Set(p, page.Find(sign, t));
        Set(e, page.Find(U"</td>", p));
        Set(row.Price, page.Text(p, e));
        if (CharCount(row.Price) > 10) {
            const qsizetype lt = row.Price.indexOf(u'<');
            if (lt >= 0)
                row.Price.truncate(lt);
        }

        // The page marks the user's position in an auction by the style of the amount.
        row.Colour.clear();
        if (const Cut before = page.Text(p - 50, p)) {
            if (before->contains(u"success"))
                row.Colour = QStringLiteral("GREEN");
            if (before->contains(u"failed"))
                row.Colour = QStringLiteral("RED");
        }
        if (row.Colour.isEmpty())
            row.Colour = QStringLiteral("BLACK");

        Set(p2, page.Find(sign, e));
        Set(e, page.Find(U"</td>", p2));
        Set(row.SecondPrice, page.Text(p2, e));

        Set(q, page.Find(U"<td", p2) + 5);
        Set(q, page.Find(U"<td", q) + 1);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.TimeLeft, Cleaned(page.Text(q, e)));
        if (row.TimeLeft.contains(u"Ended"))
            row.TimeLeft = QStringLiteral("Ended");

        row.DisplayLine = Join({ &row.TimeLeft, &row.Price, &row.SecondPrice, &row.ItemName });
        m_tree.AddBiddingLine(row.DisplayLine, row.Item, row.Colour);
        handToAlerts(row);
        start = e;
    }
}

void MyEbayParser::ParseSelling(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(SignFor(m_country));
    AuctionItem row;
    row.Section = ItemSection::Selling;
    qint64 start = 0, stop = 0, c = 0, v = 0, t = 0, p = 0, e = 0, q = 0;
    Set(start, page.Find(U"Items I'm Selling", 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(U"Items I've Sold", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, c)) {
        c += 2;
        if (c > stop)
            break;
        ItemAndTitle(page, c, v, t, e, row);

        Set(p, page.Find(sign, t));
        Set(e, page.Find(U"<", p));
        Set(row.Price, page.Text(p, e));

        Set(q, page.Find(U"<td", e) + 5);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.Detail, Cleaned(page.Text(q, e)));

        q = e;
        for (int i = 0; i < 3; ++i)
            Set(q, page.Find(U"<td", q) + 5);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.TimeLeft, Cleaned(page.Text(q, e)));
        start = e;

        row.DisplayLine = Join({ &row.TimeLeft, &row.Price, &row.Detail, &row.ItemName });
        m_tree.AddSellingLine(row.DisplayLine, row.Item, QString());
    }
}

void MyEbayParser::ParseSold(const MarkedPage &page)
{
    m_sharedSign = SignFor(m_country);
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::Sold;
    qint64 start = 0, stop = 0, c = 0, v = 0, p = 0, e = 0, q = 0;
    Set(start, page.Find(U"Items I've Sold", 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(U"Back to top", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, c)) {
        c += 2;
        Set(v, page.Find(U"value=", c) + 7);
        Set(e, page.Find(Q, v));
        Set(row.Item, Cleaned(page.Text(v, e)));

        Set(p, page.Find(sign, v));
        Set(e, page.Find(U"</td>", p));
        Set(row.Price, Cleaned(page.Text(p, e)));

        Set(q, page.Find(U"<td", p) + 5);
        Set(q, page.Find(U"<td", q) + 5);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.Detail, page.Text(q, e));

        // The title sits eight cells further on, past the buyer and payment columns.
        for (int i = 0; i < 8; ++i)
            Set(q, page.Find(U"<td", q) + 1);
        Set(q, page.Find(U"item=", q) + 1);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</a>", q));
        Set(row.ItemName, Cleaned(page.Text(q, e)));
        start = e;

        row.DisplayLine = Join({ &row.Detail, &row.Price, &row.ItemName });
        m_tree.AddSoldLine(row.DisplayLine, row.Item);
    }
}

void MyEbayParser::ParseUnsold(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::Unsold;
    qint64 start = 1, stop = 0, v = 0, g = 0, e = 0, i = 0, a = 0, f = 0, s = 0;
    // The unsold list has no heading of its own; it follows the sixth "Unsold" of the page. A miss
    // gives 0 + 1, so the count wraps to the top of the page.
    for (int k = 0; k < 6; ++k)
        Set(start, page.Find(U"Unsold", start) + 1);
    Set(start, page.Find(U"Relist", start));
    Set(stop, page.Find(U"Categories", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"ViewItem", start), stop, v)) {
        v += 13;
        Set(g, page.Find(QG, v + 7));
        if (g == 0)
            break;
        Set(e, page.Find(U"</a>", g));
        Set(row.ItemName, Cleaned(page.Text(g + 2, e)));
        Set(i, page.Find(U"item=", v));
        Set(row.Item, page.Text(i + 5, g));

        a = e;
        for (int k = 0; k < 2; ++k)
            Set(a, page.Find(sign, a) + 1);
        a = a - 1;
        Set(f, page.Find(U"</font>", a));
        Set(row.Price, Cleaned(page.Text(a, f)));

        Set(s, page.Find(U"size", a) + 9);
        Set(f, page.Find(U"</font>", s));
        Set(row.Detail, Cleaned(page.Text(s, f)));
        start = f;

        row.DisplayLine = Join({ &row.Detail, &row.Price, &row.ItemName });
        m_tree.AddUnsoldLine(row.DisplayLine, row.Item);
    }
}

void MyEbayParser::ParseWon(const MarkedPage &page)
{
    m_sharedSign = SignFor(m_country);
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::Won;
    qint64 start = 0, stop = 0, c = 0, p = 0, e = 0, q = 0;
    Set(start, page.Find(U"Items I've Won", 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(U"Back to top", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, c)) {
        c += 2;
        // Here the amount comes before the title.
        Set(p, page.Find(sign, c));
        Set(e, page.Find(U"</td>", p));
        Set(row.Price, page.Text(p, e));

        Set(q, page.Find(U"<td", e) + 5);
        Set(q, page.Find(U"<td", q) + 5);
        Set(q, page.Find(U">", q) + 1);
        Set(e, page.Find(U"</td>", q));
        Set(row.Detail, Cleaned(page.Text(q, e)));

        Set(q, page.Find(U"ViewItem&amp;", e));
        Set(q, page.Find(U"item=", q) + 5);
        Set(e, page.Find(U"&amp", q));
        Set(row.Item, page.Text(q, e));

        Set(q, page.Find(U">", e) + 1);
        Set(e, page.Find(U"</a>", q));
        Set(row.ItemName, Cleaned(page.Text(q, e)));
        start = e;

        row.DisplayLine = Join({ &row.Detail, &row.Price, &row.ItemName });
        m_tree.AddWonLine(row.DisplayLine, row.Item);
    }
}

void MyEbayParser::ParseDidntWin(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::DidntWin;
    qint64 start = 0, stop = 0, i = 0, g = 0, e = 0, q = 0, f = 0, p = 0, n = 0;
    Set(start, page.Find(U"I Didn", 1));
    Set(start, page.Find(U"category", start));
    Set(stop, page.Find(U"Watching", start));

    // No check box leads these rows; the item link is the anchor.
    RowAnchor anchor;
    while (anchor.Next(page.Find(U"item=", start), stop, i)) {
        Set(g, page.Find(QG, i + 7));
        if (g == 0)
            break;
        Set(e, page.Find(U"</a>", g));
        Set(row.ItemName, Cleaned(page.Text(g + 2, e)));

        Set(q, page.Find(U"center", e) + 8);
        Set(q, page.Find(U"center", q) + 8);
        Set(f, page.Find(U"<", q));
        Set(row.Item, page.Text(q, f));

        Set(p, page.Find(sign, q) + 1);
        Set(p, page.Find(sign, p));
        Set(f, page.Find(U"</td>", p));
        Set(row.Price, page.Text(p, f));
        if (row.Price.contains(u"--"))
            row.Price = QStringLiteral("--");
        row.Price = CleanHtml(row.Price);

        row.DisplayLine = Join({ &row.Price, &row.ItemName });
        m_tree.AddDidntWinLine(row.DisplayLine, row.Item);

        Set(n, page.Find(U"checkbox", p));
        if (n == 0)
            break;
        start = n;
    }
}

} // namespace mParse
