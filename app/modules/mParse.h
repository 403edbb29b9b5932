// The My eBay page parser. There is no HTML parser: every field of every row is cut out of the raw
// page by searching for fixed marker texts from a moving position (mParseMarker.h). The markers,
// the order of the searches and the offsets after each hit are the design; a page whose layout
// differs gives rows with wrong or empty fields, never an error.
#pragma once

#include "app/modules/item_sink.h"
#include "app/modules/mParseMarker.h"
#include "app/modules/mParseText.h"

#include <QString>

namespace mParse {

// The sections, in the order in which they are parsed.
enum class ItemSection { Watching, Bidding, Selling, Sold, Unsold, Won, DidntWin };

// One parsed row. All fields are text as cut from the page; nothing is converted to a number.
struct AuctionItem {
    ItemSection Section = ItemSection::Watching;
    QString Item;
    QString ItemName;
    QString Price;
    QString SecondPrice;
    QString TimeLeft;
    QString Detail;
    QString Colour;
    QString DisplayLine;
};

// Every section routine reads at most this many rows.
inline constexpr int kMaxRows = 200;

// "£" for exactly "United Kingdom", "$" for any other country.
QString SignFor(const QString &country);

// The seven section routines. Each takes the whole page and reports its rows to the tree builder
// and, for watching and bidding, to the alert list. The shared currency sign is the only state kept
// between routines: watching, sold and won set it; bidding and selling use a private copy; unsold
// and didn't win read what their predecessors left, so run them in ParsePage's order.
//
// Each routine is linear in the page size: at most kMaxRows rows, a bounded number of forward
// searches per row, and a row loop ends as soon as its anchor search stops advancing.
class MyEbayParser {
public:
    MyEbayParser(ItemTreeSink &tree, AlertSink &alerts, QString country);

    // All seven routines in their fixed order.
    void ParsePage(const MarkedPage &page);
    void ParsePage(const QString &page) { ParsePage(MarkedPage(page)); }

    void ParseWatching(const MarkedPage &page);
    void ParseBidding(const MarkedPage &page);
    void ParseSelling(const MarkedPage &page);
    void ParseSold(const MarkedPage &page);
    void ParseUnsold(const MarkedPage &page);
    void ParseWon(const MarkedPage &page);
    void ParseDidntWin(const MarkedPage &page);

    // The shared sign as the last routine left it (empty before the first that sets it).
    const QString &SharedSign() const { return m_sharedSign; }

private:
    void handToAlerts(const AuctionItem &row);

    ItemTreeSink &m_tree;
    AlertSink &m_alerts;
    QString m_country;
    QString m_sharedSign;
};

} // namespace mParse
