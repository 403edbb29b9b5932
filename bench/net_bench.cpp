// The chunk loop on pages of 5 and 10 MB from the sandbox site: reading a page must cost time in
// proportion to its length (the loop appends and lets events run after every 1,024 characters).
// Only the loop is timed; the transfer itself is paused out. Prints the 10 MB / 5 MB ratio.
#include "app/modules/mWeb.h"
#include "platform/net/inet.h"
#include "tests/support/sandbox_site.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <map>

namespace {

testsupport::SandboxSite *g_site = nullptr;
std::map<long, double> g_secondsPerRead;

void BM_ReadWholeResponse(benchmark::State &state)
{
    const long chars = long(state.range(0));
    const QString url = g_site->httpOrigin() + QStringLiteral("/__sandbox/page?chars=%1").arg(chars);
    platform::net::Inet inet;
    double total = 0;
    long reads = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QEventLoop loop;
        int last = 0;
        auto c = QObject::connect(&inet, &platform::net::Inet::StateChanged, [&](int s) {
            if (s >= 11) {
                last = s;
                loop.quit();
            }
        });
        inet.Execute(url);
        loop.exec();
        QObject::disconnect(c);
        if (last != 12) {
            state.SkipWithError("transfer failed");
            break;
        }
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const QString text = mWeb::ReadWholeResponse(inet);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++reads;
        benchmark::DoNotOptimize(text.size());
    }
    if (reads)
        g_secondsPerRead[chars] = total / double(reads);
    state.SetBytesProcessed(int64_t(state.iterations()) * chars);
}
BENCHMARK(BM_ReadWholeResponse)->Arg(5'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    testsupport::SandboxSite site;
    if (!site.ok()) {
        std::fprintf(stderr, "sandbox site: %s\n", qPrintable(site.error()));
        return 1;
    }
    g_site = &site;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_secondsPerRead.count(5'000'000) && g_secondsPerRead.count(10'000'000)) {
        const double small = g_secondsPerRead[5'000'000], big = g_secondsPerRead[10'000'000];
        std::printf("chunk loop: 5 MB %.1f ms, 10 MB %.1f ms, ratio %.2f (linear: about 2, limit 2.5)\n",
            small * 1000, big * 1000, big / small);
    }
    return 0;
}
