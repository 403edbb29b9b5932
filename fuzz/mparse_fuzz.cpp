// Fuzz target of the page readers: any bytes, decoded as a page, through the seven My eBay section
// routines, the item page look-ups, the PayPal readers and the alert countdown. Checks the row
// limits besides what ASan and UBSan catch.
#include "app/modules/mAlerts.h"
#include "app/modules/mParse.h"
#include "app/modules/mParseLookUp.h"
#include "app/modules/mParsePayPal.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Counts rows per section and feeds the alert calls to a real alert list.
class CountingSink final : public ItemTreeSink, public AlertSink {
public:
    explicit CountingSink(mAlerts &alerts)
        : m_alerts(alerts)
    {
    }
    int rows[7] = {};
    int payPalLines = 0;

    void AddWatchingLine(const QString &, const QString &) override { ++rows[0]; }
    void AddBiddingLine(const QString &, const QString &, const QString &colour) override
    {
        if (colour != u"GREEN" && colour != u"RED" && colour != u"BLACK")
            std::abort();
        ++rows[1];
    }
    void AddSellingLine(const QString &, const QString &, const QString &colour) override
    {
        if (!colour.isEmpty())
            std::abort();
        ++rows[2];
    }
    void AddSoldLine(const QString &, const QString &) override { ++rows[3]; }
    void AddUnsoldLine(const QString &, const QString &) override { ++rows[4]; }
    void AddWonLine(const QString &, const QString &) override { ++rows[5]; }
    void AddDidntWinLine(const QString &, const QString &) override { ++rows[6]; }
    void AddPayPalLine(const QString &) override { ++payPalLines; }
    void AddPayPalBalanceLine(const QString &text) override
    {
        if (!text.startsWith(u"Balance: "))
            std::abort();
        ++payPalLines;
    }
    void QueueAlert(const QString &item, const QString &itemName, const QString &timeLeft,
        const QString &price) override
    {
        m_alerts.QueueAlert(item, itemName, timeLeft, price);
    }
    void RemoveAlert(const QString &item) override { m_alerts.RemoveAlert(item); }

private:
    mAlerts &m_alerts;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The first byte picks the country and whether the page is read as declared or as UTF-8.
    const bool uk = size > 0 && (data[0] & 1);
    const QString text = mParse::DecodePage(
        bytes, size > 0 && (data[0] & 2) ? QByteArrayView("utf-8") : QByteArrayView());
    const mParse::MarkedPage page(text);

    mAlerts alerts;
    CountingSink sink(alerts);
    mParse::MyEbayParser(
        sink, sink, uk ? QStringLiteral("United Kingdom") : QStringLiteral("United States"))
        .ParsePage(page);
    for (const int rows : sink.rows) {
        if (rows > mParse::kMaxRows)
            std::abort();
    }

    mParse::AddBalanceLine(page, sink);
    mParse::AddActivityLines(page, sink);
    if (sink.payPalLines > 1 + mParse::kMaxActivityRows)
        std::abort();

    (void)mParse::LookUpSeller(page);
    (void)mParse::LookUpHighBidder(page);
    (void)mParse::LookUpPayPalId(page);
    (void)mParse::CleanHtml(text);

    for (int tick = 0; tick < 3; ++tick)
        alerts.Tick(5);
    for (qsizetype i = 1; i <= alerts.Count(); ++i) {
        if (alerts.At(i)->TimeLeft() > 9999)
            std::abort();
    }
    return 0;
}
