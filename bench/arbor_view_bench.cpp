// The tree-list item window against QTreeView over a QStandardItemModel (uniform row heights) in
// the same run: painting the window and hit testing a point with 1k, 100k and 1M items shown, and
// adding items to a window that is already on screen and painting it once. Both sides are shown
// widgets of the same size, painted through their own paint events (scroll bars included) into
// the same kind of image. Prints the times, the ratios, how flat painting stays from 1k to 1M, and
// how linear adding is.
#include "arbor/model/additem.h"
#include "arbor/view/xtreeview.h"
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr QSize kWindow(400, 600);
// Items hang under parents of this many children, all expanded, so every item is a row.
constexpr int kPerParent = 100;
constexpr int kAddParents = 10;

std::string itemText(int i)
{
    return "Item " + std::to_string(i);
}

// Paints a widget with its children through its paint events into an image of the window's size,
// as the backing store would, whether or not the platform has exposed the window yet.
void paintWidget(QWidget &w)
{
    static QImage target(kWindow, QImage::Format_RGB32);
    w.render(&target);
}

// --- the two trees, built once per size and kept while that size is measured

struct ArborTree {
    explicit ArborTree(int n)
    {
        view.resize(kWindow);
        arbor::XTreeModel &m = view.model();
        for (int built = 0; built < n;) {
            const LONG parent = arbor::AddItem(m, "Parent");
            ++built;
            for (int k = 1; k < kPerParent && built < n; ++k, ++built)
                arbor::AddItem(m, itemText(built), parent);
            m.Expand(parent, true);
        }
        view.show();
        view.ensureLayout();
        view.ScrollTo(0, view.treeLayout().contentSize().height() / 2);
        paintWidget(view);
    }
    arbor::XTreeView view;
};

struct QtTree {
    explicit QtTree(int n)
    {
        for (int built = 0; built < n;) {
            auto *parent = new QStandardItem(QStringLiteral("Parent"));
            ++built;
            for (int k = 1; k < kPerParent && built < n; ++k, ++built)
                parent->appendRow(new QStandardItem(QString::fromStdString(itemText(built))));
            model.appendRow(parent);
        }
        view.setUniformRowHeights(true);
        view.setHeaderHidden(true);
        view.setModel(&model);
        view.resize(kWindow);
        view.expandAll();
        view.show();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        paintWidget(view);
    }
    QStandardItemModel model;
    QTreeView view;
};

// One tree of a kind at a time keeps the 1M pair in memory; both go before the application does.
template <class Tree> struct TreeSlot {
    static inline std::unique_ptr<Tree> tree;
    static inline int size = -1;
};

template <class Tree> Tree &treeOf(int n)
{
    if (TreeSlot<Tree>::size != n) {
        TreeSlot<Tree>::tree.reset();
        TreeSlot<Tree>::tree = std::make_unique<Tree>(n);
        TreeSlot<Tree>::size = n;
    }
    return *TreeSlot<Tree>::tree;
}

void releaseTrees()
{
    TreeSlot<ArborTree>::tree.reset();
    TreeSlot<QtTree>::tree.reset();
}

void BM_Arbor_Paint(benchmark::State &state)
{
    ArborTree &t = treeOf<ArborTree>(static_cast<int>(state.range(0)));
    for (auto _ : state)
        paintWidget(t.view);
}

void BM_QTreeView_Paint(benchmark::State &state)
{
    QtTree &t = treeOf<QtTree>(static_cast<int>(state.range(0)));
    for (auto _ : state)
        paintWidget(t.view);
}

void BM_Arbor_HitTest(benchmark::State &state)
{
    ArborTree &t = treeOf<ArborTree>(static_cast<int>(state.range(0)));
    int y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.view.hitTest(QPoint(40, y)));
        y = (y + 7) % 580;
    }
}

void BM_QTreeView_HitTest(benchmark::State &state)
{
    QtTree &t = treeOf<QtTree>(static_cast<int>(state.range(0)));
    int y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.view.indexAt(QPoint(40, y)));
        y = (y + 7) % 580;
    }
}

// Items go round-robin under expanded parents of a window already on screen; one paint follows.
void BM_Arbor_AddAndPaint(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<arbor::XTreeView>();
        view->resize(kWindow);
        arbor::XTreeModel &m = view->model();
        LONG parents[kAddParents];
        for (LONG &p : parents) {
            p = arbor::AddItem(m, "Parent");
            arbor::AddItem(m, "First", p); // an item without children does not expand
            m.Expand(p, true);
        }
        view->show();
        paintWidget(*view);
        state.ResumeTiming();
        for (int i = 0; i < n; ++i)
            arbor::AddItem(m, itemText(i), parents[i % kAddParents]);
        paintWidget(*view);
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

void BM_QTreeView_AddAndPaint(benchmark::State &state)
{
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<QStandardItemModel>();
        auto view = std::make_unique<QTreeView>();
        view->setUniformRowHeights(true);
        view->setHeaderHidden(true);
        view->setModel(model.get());
        view->resize(kWindow);
        QStandardItem *parents[kAddParents];
        for (QStandardItem *&p : parents) {
            p = new QStandardItem(QStringLiteral("Parent"));
            p->appendRow(new QStandardItem(QStringLiteral("First")));
            model->appendRow(p);
            view->expand(p->index());
        }
        view->show();
        paintWidget(*view);
        state.ResumeTiming();
        for (int i = 0; i < n; ++i)
            parents[i % kAddParents]->appendRow(
                new QStandardItem(QString::fromStdString(itemText(i))));
        paintWidget(*view);
        state.PauseTiming();
        view.reset();
        model.reset();
        state.ResumeTiming();
    }
}

// Console output, then the side-by-side table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            // Aggregates of repetitions are reported as their own runs; the median is kept.
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median")
                continue;
            const std::string name = r.benchmark_name(); // BM_<side>_<task>/<n>[/...]
            const auto split = name.find('_', 3);
            const auto slash = name.find('/');
            if (split == std::string::npos || slash == std::string::npos)
                continue;
            const std::string side = name.substr(3, split - 3);
            const std::string task = name.substr(split + 1, slash - split - 1);
            const long n = std::stol(name.substr(slash + 1));
            // CPU time per iteration in microseconds, whatever unit the run printed in: on a shared
            // machine the wall clock also counts the time other processes held the core.
            const double us = r.GetAdjustedCPUTime() *
                (r.time_unit == benchmark::kMillisecond         ? 1e3
                        : r.time_unit == benchmark::kNanosecond ? 1e-3
                        : r.time_unit == benchmark::kSecond     ? 1e6
                                                                : 1.0);
            m_us[task][n][side] = us;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-12s %9s %14s %14s %10s\n", "task", "items", "arbor us", "QTreeView us",
            "Qt/arbor");
        for (const auto &[task, sizes] : m_us)
            for (const auto &[n, sides] : sizes) {
                const double a = value(sides, "Arbor"), q = value(sides, "QTreeView");
                std::printf("%-12s %9ld %14.3f %14.3f %9.2fx\n", task.c_str(), n, a, q, q / a);
            }
        for (const char *task : { "Paint", "HitTest" }) {
            const auto it = m_us.find(task);
            if (it == m_us.end() || !it->second.count(1000) || !it->second.count(1000000))
                continue;
            std::printf("%s 1M / 1k: arbor %.2fx, QTreeView %.2fx\n", task,
                value(it->second[1000000], "Arbor") / value(it->second[1000], "Arbor"),
                value(it->second[1000000], "QTreeView") / value(it->second[1000], "QTreeView"));
        }
        if (const auto it = m_us.find("AddAndPaint"); it != m_us.end() && !it->second.empty()) {
            const auto &first = *it->second.begin();
            for (const auto &[n, sides] : it->second)
                std::printf("AddAndPaint %ld / %ld items: arbor %.2fx, QTreeView %.2fx "
                            "(linear: %.2fx)\n",
                    n, first.first, value(sides, "Arbor") / value(first.second, "Arbor"),
                    value(sides, "QTreeView") / value(first.second, "QTreeView"),
                    double(n) / double(first.first));
        }
    }

private:
    static double value(const std::map<std::string, double> &sides, const char *side)
    {
        const auto it = sides.find(side);
        return it == sides.end() ? 0.0 : it->second;
    }
    std::map<std::string, std::map<long, std::map<std::string, double>>> m_us;
};

} // namespace

int main(int argc, char **argv)
{
    benchsupport::useOffscreenQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Sizes interleaved by hand so each tree is built once and both sides of a size run together.
    benchsupport::registerPerSize(
        { { "BM_Arbor_Paint", BM_Arbor_Paint }, { "BM_Arbor_HitTest", BM_Arbor_HitTest },
            { "BM_QTreeView_Paint", BM_QTreeView_Paint },
            { "BM_QTreeView_HitTest", BM_QTreeView_HitTest } },
        { 1'000, 100'000, 1'000'000 }, benchmark::kMicrosecond);
    benchsupport::registerPerSize({ { "BM_Arbor_AddAndPaint", BM_Arbor_AddAndPaint },
                                      { "BM_QTreeView_AddAndPaint", BM_QTreeView_AddAndPaint } },
        { 25'000, 50'000, 100'000 }, benchmark::kMillisecond, 3);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    releaseTrees();
    benchmark::Shutdown();
    return 0;
}
