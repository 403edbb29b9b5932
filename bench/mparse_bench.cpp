// Page reader throughput: the full parse of a My eBay page with 200 rows in each of the seven
// sections (about 0.6 MB, what a heavy account's page weighs), the text cleaner, and a broken page
// on which every row's searches miss, which must stay linear in the page size.
#include "app/modules/mParse.h"
#include "tools/mypages/pages.h"
#include "tools/mypages/recorder.h"

#include <benchmark/benchmark.h>

namespace {

class NullSink final : public ItemTreeSink, public AlertSink {
public:
    int calls = 0;
    void AddWatchingLine(const QString &, const QString &) override { ++calls; }
    void AddBiddingLine(const QString &, const QString &, const QString &) override { ++calls; }
    void AddSellingLine(const QString &, const QString &, const QString &) override { ++calls; }
    void AddSoldLine(const QString &, const QString &) override { ++calls; }
    void AddUnsoldLine(const QString &, const QString &) override { ++calls; }
    void AddWonLine(const QString &, const QString &) override { ++calls; }
    void AddDidntWinLine(const QString &, const QString &) override { ++calls; }
    void AddPayPalLine(const QString &) override { ++calls; }
    void AddPayPalBalanceLine(const QString &) override { ++calls; }
    void QueueAlert(const QString &, const QString &, const QString &, const QString &) override
    {
        ++calls;
    }
    void RemoveAlert(const QString &) override { ++calls; }
};

const QByteArray &fullPage()
{
    static const QByteArray bytes = [] {
        mypages::MyEbayOptions options;
        options.rowsPerSection = 200;
        return mypages::myEbayPage(options).bytes;
    }();
    return bytes;
}

void BM_ParseFullPage(benchmark::State &state)
{
    const QByteArray &bytes = fullPage();
    for (auto _ : state) {
        NullSink sink;
        mParse::MyEbayParser(sink, sink, QStringLiteral("United States"))
            .ParsePage(mParse::DecodePage(bytes));
        benchmark::DoNotOptimize(sink.calls);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["page_kB"] = static_cast<double>(bytes.size()) / 1024.0;
}
BENCHMARK(BM_ParseFullPage)->Unit(benchmark::kMillisecond);

void BM_CleanHtml(benchmark::State &state)
{
    const QString text = mParse::DecodePage(fullPage());
    for (auto _ : state)
        benchmark::DoNotOptimize(mParse::CleanHtml(text));
    state.SetBytesProcessed(
        state.iterations() * text.size()); // one byte per character on this page
}
BENCHMARK(BM_CleanHtml)->Unit(benchmark::kMillisecond);

// Every section holds 200 anchors and nothing else, so each row's searches run to the end of the
// page; the time per byte must not grow with the page.
void BM_ParseBrokenPage(benchmark::State &state)
{
    QString page = QStringLiteral(
        "Items I'm Watching Action Items I'm Bidding On Action Items I'm Selling Action "
        "Items I've Won Action ");
    for (int i = 0; i < 200; ++i)
        page += QStringLiteral("<input type=checkbox value=\"%1\"><td  color=x<td").arg(i);
    page += QString(static_cast<qsizetype>(state.range(0)), u'x');
    page += QStringLiteral("Back to top Items I've Sold");
    for (auto _ : state) {
        NullSink sink;
        mParse::MyEbayParser(sink, sink, QStringLiteral("United States")).ParsePage(page);
        benchmark::DoNotOptimize(sink.calls);
    }
    state.SetBytesProcessed(state.iterations() * page.size());
}
BENCHMARK(BM_ParseBrokenPage)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
