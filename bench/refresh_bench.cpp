// A refresh from the last byte of the My eBay page to the painted window: emptying the branches,
// parsing a 1,400-row page (200 rows in each of the seven sections, the parser's most) into the
// hosted tree and the alert list, the status texts, and painting the main window. It should stay
// under 50 ms. Runs offscreen in a scratch registry store, so it never touches the user's settings.
#include "app/forms/frmConnection.h"
#include "app/forms/frmMain.h"
#include "app/modules/mSettings.h"
#include "bench/bench_support.h"
#include "tools/mypages/pages.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <memory>

namespace {

std::unique_ptr<frmMain> g_window;

void BM_Refresh1400_LastByteToPaintedTree(benchmark::State &state)
{
    mypages::MyEbayOptions options;
    options.rowsPerSection = 200;
    const QString page = QString::fromLatin1(mypages::myEbayPage(options).bytes);
    frmConnection *form = frmConnection::Create(*g_window);
    QImage target(g_window->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        g_window->treeList().clearBranches();
        g_window->alerts().ClearAlerts();
        form->HandlePage(page);
        g_window->render(&target);
    }
    state.SetItemsProcessed(state.iterations() * 7 * options.rowsPerSection);
    form->Unload();
}
BENCHMARK(BM_Refresh1400_LastByteToPaintedTree)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    const benchsupport::ProgramSandbox sandbox;
    QApplication app(argc, argv);
    benchsupport::ProgramSandbox::useBuiltControl();
    mSettings::settings.eBayCountry = QStringLiteral("United States");
    g_window = std::make_unique<frmMain>();
    g_window->show();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
