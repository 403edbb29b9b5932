// The tree-list model against QTreeWidget doing the same work in the same run: a million text
// items as roots and under a thousand parents, expanding everything, sorting 100,000 siblings and
// removing everything. Prints the time ratios and the heap bytes each item costs beyond its text.
#include "arbor/model/additem.h"
#include "arbor/model/xtreemodel.h"
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 1'000'000;
constexpr int kParents = 1'000;
constexpr int kSortItems = 100'000;

// Heap in use as glibc counts it, chunk overhead included: what the process really pays.
std::size_t heapInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

struct Texts {
    std::vector<std::string> narrow;
    std::vector<QString> wide;
    double averageLength = 0;
};

const Texts &texts(int n, bool shuffled)
{
    static std::map<std::pair<int, bool>, Texts> cache;
    Texts &t = cache[{ n, shuffled }];
    if (t.narrow.empty()) {
        std::mt19937 rng(1);
        std::size_t total = 0;
        for (int i = 0; i < n; ++i) {
            const unsigned v = shuffled ? rng() % 1'000'000u : static_cast<unsigned>(i);
            t.narrow.push_back("Item " + std::to_string(v));
            t.wide.push_back(QString::fromStdString(t.narrow.back()));
            total += t.narrow.back().size();
        }
        t.averageLength = double(total) / n;
    }
    return t;
}

// --- arbor model

void fillArborRoots(arbor::XTreeModel &m, const Texts &t)
{
    for (const std::string &s : t.narrow)
        arbor::AddItem(m, s);
}

void fillArborChildren(arbor::XTreeModel &m, const Texts &t)
{
    const int perParent = static_cast<int>(t.narrow.size()) / kParents;
    std::size_t k = 0;
    for (int p = 0; p < kParents; ++p) {
        const LONG parent = arbor::AddItem(m, "Parent");
        for (int i = 0; i < perParent; ++i)
            arbor::AddItem(m, t.narrow[k++], parent);
    }
}

// Filling a model with kItems items by `fill`, and what each item costs beyond its text.
template <class Tree> void insertItems(benchmark::State &state, void (*fill)(Tree &, const Texts &))
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        auto m = std::make_unique<Tree>();
        fill(*m, t);
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
    const std::size_t before = heapInUse();
    {
        auto m = std::make_unique<Tree>();
        fill(*m, t);
        state.counters["bytes_per_item"] =
            double(heapInUse() - before) / kItems - (t.averageLength + 1);
    }
}

void BM_Arbor_InsertRoots(benchmark::State &state)
{
    insertItems(state, fillArborRoots);
}

void BM_Arbor_InsertChildren(benchmark::State &state)
{
    insertItems(state, fillArborChildren);
}

// The work QTreeWidget does below: each parent expanded once.
void BM_Arbor_ExpandAll(benchmark::State &state)
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<arbor::XTreeModel>();
        fillArborChildren(*m, t);
        state.ResumeTiming();
        for (LONG i = 0; i < m->RootCount(); ++i)
            m->Expand(m->Root(i), true);
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}

// ExpandAll proper: every item of the tree is visited and offered an expansion.
void BM_Arbor_ExpandAllItems(benchmark::State &state)
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<arbor::XTreeModel>();
        fillArborChildren(*m, t);
        state.ResumeTiming();
        for (LONG i = 0; i < m->RootCount(); ++i)
            m->ExpandAll(m->Root(i));
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}

void BM_Arbor_Sort100k(benchmark::State &state)
{
    const Texts &t = texts(kSortItems, true);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<arbor::XTreeModel>();
        const LONG parent = arbor::AddItem(*m, "Parent");
        for (const std::string &s : t.narrow)
            arbor::AddItem(*m, s, parent);
        state.ResumeTiming();
        m->AutoSort(parent, Ascending, false);
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}

void BM_Arbor_RemoveAll(benchmark::State &state)
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto m = std::make_unique<arbor::XTreeModel>();
        fillArborChildren(*m, t);
        state.ResumeTiming();
        m->RemoveAllItems();
        state.PauseTiming();
        m.reset();
        state.ResumeTiming();
    }
}

// --- QTreeWidget, filled item by item in a hidden widget

void fillWidgetRoots(QTreeWidget &w, const Texts &t)
{
    for (const QString &s : t.wide) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, s);
        w.addTopLevelItem(item);
    }
}

void fillWidgetChildren(QTreeWidget &w, const Texts &t)
{
    const int perParent = static_cast<int>(t.wide.size()) / kParents;
    std::size_t k = 0;
    for (int p = 0; p < kParents; ++p) {
        auto *parent = new QTreeWidgetItem;
        parent->setText(0, QStringLiteral("Parent"));
        w.addTopLevelItem(parent);
        for (int i = 0; i < perParent; ++i)
            (new QTreeWidgetItem(parent))->setText(0, t.wide[k++]);
    }
}

void BM_QTreeWidget_InsertRoots(benchmark::State &state)
{
    insertItems(state, fillWidgetRoots);
}

void BM_QTreeWidget_InsertChildren(benchmark::State &state)
{
    insertItems(state, fillWidgetChildren);
}

void BM_QTreeWidget_ExpandAll(benchmark::State &state)
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<QTreeWidget>();
        fillWidgetChildren(*w, t);
        state.ResumeTiming();
        // Parent by parent: expandAll() on a tree this size takes minutes.
        for (int i = 0; i < w->topLevelItemCount(); ++i)
            w->topLevelItem(i)->setExpanded(true);
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

void BM_QTreeWidget_Sort100k(benchmark::State &state)
{
    const Texts &t = texts(kSortItems, true);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<QTreeWidget>();
        auto *parent = new QTreeWidgetItem;
        w->addTopLevelItem(parent);
        for (const QString &s : t.wide)
            (new QTreeWidgetItem(parent))->setText(0, s);
        state.ResumeTiming();
        parent->sortChildren(0, Qt::AscendingOrder);
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

void BM_QTreeWidget_RemoveAll(benchmark::State &state)
{
    const Texts &t = texts(kItems, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<QTreeWidget>();
        fillWidgetChildren(*w, t);
        state.ResumeTiming();
        w->clear();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_Arbor_InsertRoots)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QTreeWidget_InsertRoots)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Arbor_InsertChildren)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QTreeWidget_InsertChildren)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Arbor_ExpandAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QTreeWidget_ExpandAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Arbor_ExpandAllItems)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Arbor_Sort100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QTreeWidget_Sort100k)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Arbor_RemoveAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QTreeWidget_RemoveAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// Console output plus one ratio line per task once both sides have run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            // Aggregates of repetitions are reported as their own runs; the median is kept.
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median")
                continue;
            const std::string name = r.benchmark_name();
            // CPU time: on a shared machine the wall clock also counts other processes.
            const double ms = r.GetAdjustedCPUTime();
            const auto split = name.find('_', 3);
            const auto end = name.find('/');
            if (split == std::string::npos)
                continue;
            const std::string side = name.substr(3, split - 3);
            const std::string task = name.substr(
                split + 1, end == std::string::npos ? std::string::npos : end - split - 1);
            m_times[task][side] = ms;
            if (const auto c = r.counters.find("bytes_per_item"); c != r.counters.end())
                m_bytes[task][side] = c->second;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-16s %12s %12s %8s\n", "task", "arbor ms", "QTreeWidget", "ratio");
        for (const auto &[task, sides] : m_times) {
            const auto a = sides.find("Arbor");
            const auto q = sides.find("QTreeWidget");
            if (a == sides.end() || q == sides.end())
                continue;
            std::printf("%-16s %12.1f %12.1f %7.1fx\n", task.c_str(), a->second, q->second,
                q->second / a->second);
        }
        std::printf("\n%-16s %12s %12s %8s\n", "bytes per item", "arbor", "QTreeWidget", "ratio");
        for (const auto &[task, sides] : m_bytes) {
            const auto a = sides.find("Arbor");
            const auto q = sides.find("QTreeWidget");
            if (a == sides.end() || q == sides.end())
                continue;
            std::printf("%-16s %12.1f %12.1f %7.1fx\n", task.c_str(), a->second, q->second,
                q->second / a->second);
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> m_times;
    std::map<std::string, std::map<std::string, double>> m_bytes; // heap bytes beyond the text
};

} // namespace

int main(int argc, char **argv)
{
    benchsupport::useOffscreenQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
