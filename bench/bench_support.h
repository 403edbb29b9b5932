// What the benchmarks share: offscreen Qt, and for those of the whole program a registry store of
// their own and the control's library from the build tree; one benchmark registered per size.
#pragma once

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <initializer_list>

namespace benchsupport {

// Before the QApplication: windows are drawn offscreen unless the caller chose a platform.
inline void useOffscreenQt()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Registers each of `benchmarks` once per size, the sizes outermost, so a tree built for one size
// serves every benchmark of that size before the next is built.
struct Sized {
    const char *name;
    void (*run)(benchmark::State &);
};
inline void registerPerSize(std::initializer_list<Sized> benchmarks,
    std::initializer_list<int> sizes, benchmark::TimeUnit unit,
    benchmark::IterationCount iterations = 0)
{
    for (const int n : sizes) {
        for (const Sized &b : benchmarks) {
            auto *registered = benchmark::RegisterBenchmark(b.name, b.run)->Arg(n)->Unit(unit);
            if (iterations > 0)
                registered->Iterations(iterations);
        }
    }
}

class ProgramSandbox {
public:
    // Before the QApplication.
    ProgramSandbox()
    {
        useOffscreenQt();
        qputenv("BIDLARK_REGISTRY_DIR", m_registry.path().toUtf8());
    }
    // After it: the benchmarks are built into bench/, beside bin/ where the library is.
    static void useBuiltControl()
    {
        if (qEnvironmentVariableIsEmpty("BIDLARK_ARBOR_LIBRARY"))
            qputenv("BIDLARK_ARBOR_LIBRARY",
                (QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/libarbor.so"))
                    .toUtf8());
    }

private:
    QTemporaryDir m_registry;
};

} // namespace benchsupport
