// The main window's refresh: emptying the tree's branches and adding 1,400 lines (200 per My eBay
// section, the parser's most) through the tree builder into the hosted control, then painting the
// window, against the same lines in a QTreeWidget in a window of the same size. After the runs it
// prints the process's resident memory, which must stay under 80 MB with the refreshed tree held.
// Runs offscreen in a scratch registry store, so it never touches the user's settings.
#include "app/forms/frmMain.h"
#include "app/modules/mSettings.h"
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

namespace {

constexpr int kRowsPerSection = 200;

QString row(int i)
{
    return QStringLiteral("%1d %2h %3m  $%4.00  Item number %5 with a title of usual length")
        .arg(i % 10)
        .arg(i % 24)
        .arg(i % 60)
        .arg(i)
        .arg(i);
}

void paintWindow(QWidget &w)
{
    static QImage target(w.size(), QImage::Format_RGB32);
    w.render(&target);
}

std::unique_ptr<frmMain> g_window;

void refresh(mTreeList &t)
{
    t.clearBranches();
    for (int i = 0; i < kRowsPerSection; ++i) {
        const QString text = row(i);
        const QString item = QString::number(1'000'000 + i);
        t.AddWatchingLine(text, item);
        t.AddBiddingLine(text, item, i % 3 ? QStringLiteral("BLACK") : QStringLiteral("RED"));
        t.AddSellingLine(text, item, QString());
        t.AddSoldLine(text, item);
        t.AddUnsoldLine(text, item);
        t.AddWonLine(text, item);
        t.AddDidntWinLine(text, item);
    }
}

void BM_Window_Refresh1400(benchmark::State &state)
{
    for (auto _ : state) {
        refresh(g_window->treeList());
        paintWindow(*g_window);
    }
    state.SetItemsProcessed(state.iterations() * 7 * kRowsPerSection);
}

void BM_QTreeWidget_Refresh1400(benchmark::State &state)
{
    QTreeWidget tree;
    tree.resize(g_window->Arbor1->size());
    tree.show();
    const char *captions[] = { "Items I am Selling", "Items I have Sold", "Bids I have Placed",
        "Auctions I have Won", "Items I am Watching", "Auctions I did not Win",
        "Items I did not Sell" };
    std::vector<QTreeWidgetItem *> branches;
    for (const char *caption : captions)
        branches.push_back(new QTreeWidgetItem(&tree, { QLatin1String(caption) }));
    for (auto _ : state) {
        for (QTreeWidgetItem *b : branches)
            qDeleteAll(b->takeChildren());
        for (int i = 0; i < kRowsPerSection; ++i) {
            const QString text = row(i);
            for (QTreeWidgetItem *b : branches) {
                auto *line = new QTreeWidgetItem(b, { text });
                line->setData(0, Qt::UserRole, QString::number(1'000'000 + i));
                if (i % 3 == 0)
                    line->setForeground(0, Qt::red);
            }
        }
        paintWindow(tree);
    }
    state.SetItemsProcessed(state.iterations() * 7 * kRowsPerSection);
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const benchsupport::ProgramSandbox sandbox;
    QApplication app(argc, argv);
    benchsupport::ProgramSandbox::useBuiltControl();
    benchmark::Initialize(&argc, argv);
    mSettings::loadSettings();
    g_window = std::make_unique<frmMain>();
    g_window->resize(900, 700);
    g_window->show();
    if (!g_window->treeList().hasTree()) {
        std::fprintf(stderr, "frmmain_bench: the tree control could not be created\n");
        return 1;
    }
    benchmark::RegisterBenchmark("BM_Window_Refresh1400", BM_Window_Refresh1400)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_QTreeWidget_Refresh1400", BM_QTreeWidget_Refresh1400)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    // The window as a user has it after a refresh: every line held, painted once more.
    refresh(g_window->treeList());
    paintWindow(*g_window);
    std::printf(
        "Resident memory after a 1,400-row refresh: %.1f MB (limit 80 MB)\n", residentMegabytes());
    g_window.reset();
    benchmark::Shutdown();
    return 0;
}
