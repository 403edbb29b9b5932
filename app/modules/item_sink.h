// What the page readers call, and nothing more: the tree builder's add-line operations and the
// alert list's queue and remove. The parser is tested against recording doubles of these, and the
// main window plugs in the real tree builder and alert list.
#pragma once

#include <QString>

// The item tree builder as the My eBay parser and the PayPal readers see it. One call per row, in
// the order the rows are found; the texts are passed as built and must not be changed.
class ItemTreeSink {
public:
    virtual ~ItemTreeSink() = default;

    virtual void AddWatchingLine(const QString &displayLine, const QString &item) = 0;
    // colour is "GREEN", "RED" or "BLACK" as the parser decided.
    virtual void AddBiddingLine(
        const QString &displayLine, const QString &item, const QString &colour) = 0;
    // colour is always the empty text from the parser.
    virtual void AddSellingLine(
        const QString &displayLine, const QString &item, const QString &colour) = 0;
    virtual void AddSoldLine(const QString &displayLine, const QString &item) = 0;
    virtual void AddUnsoldLine(const QString &displayLine, const QString &item) = 0;
    virtual void AddWonLine(const QString &displayLine, const QString &item) = 0;
    virtual void AddDidntWinLine(const QString &displayLine, const QString &item) = 0;
    virtual void AddPayPalLine(const QString &text) = 0;
    virtual void AddPayPalBalanceLine(const QString &text) = 0;
};

// The alert list as the parser sees it: running watching and bidding rows are queued, ended ones
// removed.
class AlertSink {
public:
    virtual ~AlertSink() = default;

    virtual void QueueAlert(const QString &item, const QString &itemName, const QString &timeLeft,
        const QString &price) = 0;
    virtual void RemoveAlert(const QString &item) = 0;
};
