// One step of a drag over a tree of 1k, 100k and 1M items, against QTreeView taking a drag-move
// event in the same run. A step is what the pointer's move costs while dragging: find the tree
// and the item under the pointer, decide whether the drop is allowed, move the highlight and
// repaint the window. The pointer walks down the visible rows of a tree scrolled to its middle.
// Prints the time per step and the ratio; the step must stay under 2 ms at 1M items.
#include "arbor/control/cxtreeview.h"
#include "arbor/dragdrop/idragdrop.h"
#include "arbor/dragdrop/xtreedraghost.h"
#include "arbor/dragdrop/xtreeviewdragdrop.h"
#include "arbor/model/additem.h"
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr QSize kWindow(400, 600);
constexpr int kPerParent = 100;
constexpr int kRowStep = 17; // about one row

// Paints a widget with its children through their paint events into an image of the window's
// size, as the backing store would, whether or not the platform has exposed the window.
void paintWidget(QWidget &w)
{
    static QImage target(kWindow, QImage::Format_RGB32);
    w.render(&target);
}

struct ArborTree {
    explicit ArborTree(int n)
        : control(arbor::CXTreeView::make())
    {
        QWidget &frame = control->frame();
        frame.setGeometry(QRect(QPoint(0, 0), kWindow));
        arbor::XTreeModel &m = control->model();
        for (int built = 0; built < n;) {
            const LONG parent = arbor::AddItem(m, "Parent");
            ++built;
            for (int k = 1; k < kPerParent && built < n; ++k, ++built)
                arbor::AddItem(m, "Item " + std::to_string(built), parent);
            m.Expand(parent, true);
        }
        frame.show();
        arbor::XTreeViewDragDrop &v = control->dragView();
        v.ensureLayout();
        v.ScrollTo(0, v.treeLayout().contentSize().height() / 2);
        paintWidget(frame);
    }
    ComPtr<arbor::CXTreeView> control;
};

struct QtTree {
    explicit QtTree(int n)
    {
        QStandardItem *root = model.invisibleRootItem();
        for (int built = 0; built < n;) {
            auto *parent = new QStandardItem(QStringLiteral("Parent"));
            ++built;
            QList<QStandardItem *> children;
            for (int k = 1; k < kPerParent && built < n; ++k, ++built)
                children.append(new QStandardItem(QStringLiteral("Item %1").arg(built)));
            parent->appendRows(children);
            root->appendRow(parent);
        }
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.setDragDropMode(QAbstractItemView::DragDrop);
        view.setGeometry(QRect(QPoint(450, 0), kWindow));
        view.expandAll();
        view.show();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        paintWidget(view);
        mime.setData(model.mimeTypes().value(0), QByteArray());
    }
    QStandardItemModel model;
    QTreeView view;
    QMimeData mime;
};

std::map<int, std::unique_ptr<ArborTree>> g_arbor;
std::map<int, std::unique_ptr<QtTree>> g_qt;

void BM_Arbor_DragOverStep(benchmark::State &state)
{
    auto &tree = g_arbor[static_cast<int>(state.range(0))];
    if (!tree)
        tree = std::make_unique<ArborTree>(static_cast<int>(state.range(0)));
    arbor::XTreeViewDragDrop &v = tree->control->dragView();
    arbor::IDragDrop &dd = *v.dragHost()->dragDrop();
    const QRect client = v.clientRect();
    int y = 20;
    for (auto _ : state) {
        y = y + kRowStep < client.bottom() - 20 ? y + kRowStep : 20;
        const QPoint screen = v.mapToGlobal(QPoint(40, y));
        DWORD effect = DROPEFFECT_MOVE;
        // Shift: a move, as the drag loop would ask with the default effects.
        (void)dd.DragOver(MK_LBUTTON | MK_SHIFT, POINTL { screen.x(), screen.y() }, &effect);
        paintWidget(v);
        benchmark::DoNotOptimize(effect);
    }
    state.counters["hover"] = static_cast<double>(v.hoverItem() != 0);
    state.counters["effect"] = static_cast<double>(dd.lastEffect());
}

void BM_QTreeView_DragOverStep(benchmark::State &state)
{
    auto &tree = g_qt[static_cast<int>(state.range(0))];
    if (!tree)
        tree = std::make_unique<QtTree>(static_cast<int>(state.range(0)));
    QWidget *vp = tree->view.viewport();
    int y = 20;
    double accepted = 0;
    for (auto _ : state) {
        y = y + kRowStep < vp->height() - 20 ? y + kRowStep : 20;
        QDragMoveEvent move(
            QPoint(40, y), Qt::MoveAction, &tree->mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
        paintWidget(tree->view);
        accepted += move.isAccepted() ? 1 : 0;
    }
    state.counters["accepted"] = benchmark::Counter(accepted, benchmark::Counter::kAvgIterations);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            const std::string name = r.benchmark_name();
            const auto slash = name.find('/');
            const std::string size = slash == std::string::npos ? "" : name.substr(slash + 1);
            const Times t { r.GetAdjustedRealTime(), r.GetAdjustedCPUTime() };
            if (name.rfind("BM_Arbor_", 0) == 0)
                m_arbor[size] = t;
            else
                m_qt[size] = t;
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        // Wall time suffers from other work on a shared machine; CPU time is the step's own cost.
        std::printf("\nDrag-over step (hit test, highlight, repaint), microseconds wall / CPU:\n");
        for (const auto &[size, t] : m_arbor) {
            const Times q = m_qt.count(size) ? m_qt[size] : Times {};
            std::printf(
                "  %9s items: arbor %8.1f / %7.1f  QTreeView %8.1f / %7.1f  CPU ratio %.2f%s\n",
                size.c_str(), t.wall, t.cpu, q.wall, q.cpu, q.cpu > 0 ? t.cpu / q.cpu : 0.0,
                size == "1000000" && (t.wall >= 2000 || t.cpu >= 2000) ? "  OVER 2 ms" : "");
        }
    }

private:
    struct Times {
        double wall = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> m_arbor, m_qt;
};

} // namespace

int main(int argc, char **argv)
{
    benchsupport::useOffscreenQt();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchsupport::registerPerSize({ { "BM_Arbor_DragOverStep", BM_Arbor_DragOverStep },
                                      { "BM_QTreeView_DragOverStep", BM_QTreeView_DragOverStep } },
        { 1'000, 100'000, 1'000'000 }, benchmark::kMicrosecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    g_arbor.clear();
    g_qt.clear();
    benchmark::Shutdown();
    return 0;
}
