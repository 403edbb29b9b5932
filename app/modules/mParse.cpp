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

// A section's rows start at the "Action" column heading after `heading` and stop at `end`.
void SectionRows(const MarkedPage &page, std::u32string_view heading, std::u32string_view end,
    qint64 &start, qint64 &stop)
{
    Set(start, page.Find(heading, 1));
    Set(start, page.Find(U"Action", start));
    Set(stop, page.Find(end, start));
}

// The title is the text of the link whose tag is open at `from`; `title` and `cutEnd` are left at
// its start and end.
void LinkTitle(const MarkedPage &page, qint64 from, qint64 &title, qint64 &cutEnd, AuctionItem &row)
{
    Set(title, page.Find(U">", from) + 1);
    Set(cutEnd, page.Find(U"</a>", title));
    Set(row.ItemName, Cleaned(page.Text(title, cutEnd)));
}

// Leaves `cell` and `cutEnd` at the start and end of the text of the second cell after `from`.
void SecondCellAfter(const MarkedPage &page, qint64 from, qint64 &cell, qint64 &cutEnd)
{
    Set(cell, page.Find(U"<td", from) + 5);
    Set(cell, page.Find(U"<td", cell) + 5);
    Set(cell, page.Find(U">", cell) + 1);
    Set(cutEnd, page.Find(U"</td>", cell));
}

// Steps shared by watching, bidding and selling: the check box value is the item number and the
// first item link after it holds the title.
void ItemAndTitle(const MarkedPage &page, qint64 checkbox, qint64 &value, qint64 &title,
    qint64 &cutEnd, AuctionItem &row)
{
    Set(value, page.Find(U"value=", checkbox) + 7);
    Set(cutEnd, page.Find(Q, value));
    Set(row.Item, page.Text(value, cutEnd));
    Set(title, page.Find(U"item=", value));
    LinkTitle(page, title, title, cutEnd, row);
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
    qint64 start = 0, stop = 0, checkbox = 0, value = 0, title = 0, price = 0, cutEnd = 0, cell = 0,
           nextRow = 0;
    SectionRows(page, U"Items I'm Watching", U"Back to top", start, stop);

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, checkbox)) {
        checkbox += 2;
        ItemAndTitle(page, checkbox, value, title, cutEnd, row);

        Set(price, page.Find(U"right", title) + 7);
        Set(price, page.Find(U">", price) + 1);
        Set(cutEnd, page.Find(U"</td>", price));
        Set(row.Price, page.Text(price, cutEnd));
        if (row.Price.contains(u"--"))
            row.Price = QStringLiteral("--");
        row.Price = CleanHtml(row.Price);
        if (row.Price.contains(u"img src")) {
            // The price cell holds a picture (a "buy it now" badge) before the amount.
            const qsizetype at = row.Price.indexOf(m_sharedSign);
            if (at >= 0)
                row.Price = row.Price.mid(at);
        }

        cell = cutEnd;
        for (int i = 0; i < 4; ++i) {
            Set(cell, page.Find(U"<td", cell) + 5);
            // A shaded cell: step over its bgcolor attribute.
            if (page.StartsAt(U"color", cell).value_or(false))
                cell += 16;
        }
        Set(cell, page.Find(U">", cell) + 1);
        Set(cutEnd, page.Find(U"</td>", cell));
        Set(row.TimeLeft, Cleaned(page.Text(cell, cutEnd)));
        if (row.TimeLeft.contains(u"Ended") || row.TimeLeft.isEmpty())
            row.TimeLeft = QStringLiteral("Ended");

        row.DisplayLine = Join({ &row.TimeLeft, &row.Price, &row.ItemName });
        m_tree.AddWatchingLine(row.DisplayLine, row.Item);
        handToAlerts(row);

        Set(nextRow, page.Find(U"checkbox", cell));
        if (nextRow == 0)
            break;
        start = nextRow;
    }
}

void MyEbayParser::ParseBidding(const MarkedPage &page)
{
    const QString signText = SignFor(m_country);
    const std::u32string sign = ToMarker(signText);
    AuctionItem row;
    row.Section = ItemSection::Bidding;
    qint64 start = 0, stop = 0, checkbox = 0, value = 0, title = 0, price = 0, secondPrice = 0,
           cutEnd = 0, cell = 0;
    SectionRows(page, U"Items I'm Bidding On", U"Back to top", start, stop);

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, checkbox)) {
        checkbox += 2;
        if (checkbox > stop)
            break;
        ItemAndTitle(page, checkbox, value, title, cutEnd, row);

        Set(price, page.Find(sign, title));
        Set(cutEnd, page.Find(U"</td>", price));
        Set(row.Price, page.Text(price, cutEnd));
        if (CharCount(row.Price) > 10) {
            const qsizetype lt = row.Price.indexOf(u'<');
            if (lt >= 0)
                row.Price.truncate(lt);
        }

        // The page marks the user's position in an auction by the style of the amount.
        row.Colour.clear();
        if (const Cut before = page.Text(price - 50, price)) {
            if (before->contains(u"success"))
                row.Colour = QStringLiteral("GREEN");
            if (before->contains(u"failed"))
                row.Colour = QStringLiteral("RED");
        }
        if (row.Colour.isEmpty())
            row.Colour = QStringLiteral("BLACK");

        Set(secondPrice, page.Find(sign, cutEnd));
        Set(cutEnd, page.Find(U"</td>", secondPrice));
        Set(row.SecondPrice, page.Text(secondPrice, cutEnd));

        Set(cell, page.Find(U"<td", secondPrice) + 5);
        Set(cell, page.Find(U"<td", cell) + 1);
        Set(cell, page.Find(U">", cell) + 1);
        Set(cutEnd, page.Find(U"</td>", cell));
        Set(row.TimeLeft, Cleaned(page.Text(cell, cutEnd)));
        if (row.TimeLeft.contains(u"Ended"))
            row.TimeLeft = QStringLiteral("Ended");

        row.DisplayLine = Join({ &row.TimeLeft, &row.Price, &row.SecondPrice, &row.ItemName });
        m_tree.AddBiddingLine(row.DisplayLine, row.Item, row.Colour);
        handToAlerts(row);
        start = cutEnd;
    }
}

void MyEbayParser::ParseSelling(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(SignFor(m_country));
    AuctionItem row;
    row.Section = ItemSection::Selling;
    qint64 start = 0, stop = 0, checkbox = 0, value = 0, title = 0, price = 0, cutEnd = 0, cell = 0;
    SectionRows(page, U"Items I'm Selling", U"Items I've Sold", start, stop);

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, checkbox)) {
        checkbox += 2;
        if (checkbox > stop)
            break;
        ItemAndTitle(page, checkbox, value, title, cutEnd, row);

        Set(price, page.Find(sign, title));
        Set(cutEnd, page.Find(U"<", price));
        Set(row.Price, page.Text(price, cutEnd));

        Set(cell, page.Find(U"<td", cutEnd) + 5);
        Set(cell, page.Find(U">", cell) + 1);
        Set(cutEnd, page.Find(U"</td>", cell));
        Set(row.Detail, Cleaned(page.Text(cell, cutEnd)));

        cell = cutEnd;
        for (int i = 0; i < 3; ++i)
            Set(cell, page.Find(U"<td", cell) + 5);
        Set(cell, page.Find(U">", cell) + 1);
        Set(cutEnd, page.Find(U"</td>", cell));
        Set(row.TimeLeft, Cleaned(page.Text(cell, cutEnd)));
        start = cutEnd;

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
    qint64 start = 0, stop = 0, checkbox = 0, value = 0, price = 0, cutEnd = 0, cell = 0;
    SectionRows(page, U"Items I've Sold", U"Back to top", start, stop);

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, checkbox)) {
        checkbox += 2;
        Set(value, page.Find(U"value=", checkbox) + 7);
        Set(cutEnd, page.Find(Q, value));
        Set(row.Item, Cleaned(page.Text(value, cutEnd)));

        Set(price, page.Find(sign, value));
        Set(cutEnd, page.Find(U"</td>", price));
        Set(row.Price, Cleaned(page.Text(price, cutEnd)));

        SecondCellAfter(page, price, cell, cutEnd);
        Set(row.Detail, page.Text(cell, cutEnd));

        // The title sits eight cells further on, past the buyer and payment columns.
        for (int i = 0; i < 8; ++i)
            Set(cell, page.Find(U"<td", cell) + 1);
        Set(cell, page.Find(U"item=", cell) + 1);
        LinkTitle(page, cell, cell, cutEnd, row);
        start = cutEnd;

        row.DisplayLine = Join({ &row.Detail, &row.Price, &row.ItemName });
        m_tree.AddSoldLine(row.DisplayLine, row.Item);
    }
}

void MyEbayParser::ParseUnsold(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::Unsold;
    qint64 start = 1, stop = 0, viewItem = 0, linkEnd = 0, cutEnd = 0, itemNumber = 0, amount = 0,
           fontEnd = 0, detail = 0;
    // The unsold list has no heading of its own; it follows the sixth "Unsold" of the page. A miss
    // gives 0 + 1, so the count wraps to the top of the page.
    for (int k = 0; k < 6; ++k)
        Set(start, page.Find(U"Unsold", start) + 1);
    Set(start, page.Find(U"Relist", start));
    Set(stop, page.Find(U"Categories", start));

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"ViewItem", start), stop, viewItem)) {
        viewItem += 13;
        Set(linkEnd, page.Find(QG, viewItem + 7));
        if (linkEnd == 0)
            break;
        Set(cutEnd, page.Find(U"</a>", linkEnd));
        Set(row.ItemName, Cleaned(page.Text(linkEnd + 2, cutEnd)));
        Set(itemNumber, page.Find(U"item=", viewItem));
        Set(row.Item, page.Text(itemNumber + 5, linkEnd));

        amount = cutEnd;
        for (int k = 0; k < 2; ++k)
            Set(amount, page.Find(sign, amount) + 1);
        amount = amount - 1;
        Set(fontEnd, page.Find(U"</font>", amount));
        Set(row.Price, Cleaned(page.Text(amount, fontEnd)));

        Set(detail, page.Find(U"size", amount) + 9);
        Set(fontEnd, page.Find(U"</font>", detail));
        Set(row.Detail, Cleaned(page.Text(detail, fontEnd)));
        start = fontEnd;

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
    qint64 start = 0, stop = 0, checkbox = 0, price = 0, cutEnd = 0, cell = 0;
    SectionRows(page, U"Items I've Won", U"Back to top", start, stop);

    RowAnchor anchor;
    while (anchor.Next(page.Find(U"checkbox", start), stop, checkbox)) {
        checkbox += 2;
        // Here the amount comes before the title.
        Set(price, page.Find(sign, checkbox));
        Set(cutEnd, page.Find(U"</td>", price));
        Set(row.Price, page.Text(price, cutEnd));

        SecondCellAfter(page, cutEnd, cell, cutEnd);
        Set(row.Detail, Cleaned(page.Text(cell, cutEnd)));

        Set(cell, page.Find(U"ViewItem&amp;", cutEnd));
        Set(cell, page.Find(U"item=", cell) + 5);
        Set(cutEnd, page.Find(U"&amp", cell));
        Set(row.Item, page.Text(cell, cutEnd));

        LinkTitle(page, cutEnd, cell, cutEnd, row);
        start = cutEnd;

        row.DisplayLine = Join({ &row.Detail, &row.Price, &row.ItemName });
        m_tree.AddWonLine(row.DisplayLine, row.Item);
    }
}

void MyEbayParser::ParseDidntWin(const MarkedPage &page)
{
    const std::u32string sign = ToMarker(m_sharedSign);
    AuctionItem row;
    row.Section = ItemSection::DidntWin;
    qint64 start = 0, stop = 0, itemLink = 0, linkEnd = 0, cutEnd = 0, cell = 0, cellEnd = 0,
           price = 0, nextRow = 0;
    Set(start, page.Find(U"I Didn", 1));
    Set(start, page.Find(U"category", start));
    Set(stop, page.Find(U"Watching", start));

    // No check box leads these rows; the item link is the anchor.
    RowAnchor anchor;
    while (anchor.Next(page.Find(U"item=", start), stop, itemLink)) {
        Set(linkEnd, page.Find(QG, itemLink + 7));
        if (linkEnd == 0)
            break;
        Set(cutEnd, page.Find(U"</a>", linkEnd));
        Set(row.ItemName, Cleaned(page.Text(linkEnd + 2, cutEnd)));

        Set(cell, page.Find(U"center", cutEnd) + 8);
        Set(cell, page.Find(U"center", cell) + 8);
        Set(cellEnd, page.Find(U"<", cell));
        Set(row.Item, page.Text(cell, cellEnd));

        Set(price, page.Find(sign, cell) + 1);
        Set(price, page.Find(sign, price));
        Set(cellEnd, page.Find(U"</td>", price));
        Set(row.Price, page.Text(price, cellEnd));
        if (row.Price.contains(u"--"))
            row.Price = QStringLiteral("--");
        row.Price = CleanHtml(row.Price);

        row.DisplayLine = Join({ &row.Price, &row.ItemName });
        m_tree.AddDidntWinLine(row.DisplayLine, row.Item);

        Set(nextRow, page.Find(U"checkbox", price));
        if (nextRow == 0)
            break;
        start = nextRow;
    }
}

} // namespace mParse
