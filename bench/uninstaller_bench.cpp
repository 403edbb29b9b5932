// Uninstaller costs against what a user would compare them with: unscrambling a 64 MB log (both
// checksums and both layers) against a plain memcpy of the same buffer, and removing 20,000 listed
// files through the engine against `rm` of the same files.
#include "tools/uninstall-log/log_writer.h"
#include "uninstaller/engine/removal_engine.h"
#include "uninstaller/log/log_file.h"

#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstring>
#include <fstream>

namespace {

constexpr std::size_t kLogBytes = 64u << 20;
constexpr int kFileCount = 20000;

const std::vector<std::uint8_t> &ScrambledBlock()
{
    static const std::vector<std::uint8_t> block = [] {
        std::vector<std::uint8_t> plain(kLogBytes);
        for (std::size_t i = 0; i < plain.size(); ++i)
            plain[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
        return uninstall_log_writer::buildBlock(plain, uninstall_log_writer::ScrambleKeys {});
    }();
    return block;
}

void BM_Memcpy64MB(benchmark::State &state)
{
    const auto &source = ScrambledBlock();
    std::vector<std::uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

void BM_UnscrambleLog64MB(benchmark::State &state)
{
    const auto &source = ScrambledBlock();
    std::vector<std::uint8_t> work;
    for (auto _ : state) {
        state.PauseTiming();
        work.assign(source.begin(), source.end());
        state.ResumeTiming();
        if (uninstaller::log::unscrambleBlock(work) != uninstaller::log::ReadStatus::Ok)
            state.SkipWithError("the block did not unscramble");
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

std::vector<std::string> MakeFiles(const QString &folder)
{
    std::vector<std::string> paths;
    paths.reserve(kFileCount);
    for (int i = 0; i < kFileCount; ++i) {
        paths.push_back(QStringLiteral("%1/f%2.dat").arg(folder).arg(i).toStdString());
        std::ofstream(paths.back()) << "x";
    }
    return paths;
}

// No programs, components or questions are involved in deleting listed files.
class Unused final : public uninstaller::engine::ProcessLauncher,
                     public uninstaller::engine::ComponentUnregistrar {
public:
    std::optional<int> runAndWait(const std::string &) override { return 0; }
    void startDetached(const std::string &, const std::vector<std::string> &) override { }
    void unregisterTypeLibrary(const std::string &) override { }
    void unregisterServer(const std::string &) override { }
};

void BM_EngineDeletes20000Files(benchmark::State &state)
{
    auto files = uninstaller::engine::makePosixFileSystem();
    uninstaller::engine::StoreRegistryAccess registry;
    Unused unused;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        uninstaller::log::UninstallLog log;
        for (const std::string &path : MakeFiles(dir.path()))
            log.files += path + "\r\n";
        uninstaller::engine::RemovalEngine engine(
            log, "/nowhere", { true, true }, { *files, registry, unused, unused, nullptr, {} });
        state.ResumeTiming();
        engine.DeleteFiles();
        if (!engine.failedFiles().empty())
            state.SkipWithError("some files were not deleted");
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

void BM_Rm20000Files(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        QByteArray list;
        for (const std::string &path : MakeFiles(dir.path())) {
            list += QByteArray::fromStdString(path);
            list += '\0';
        }
        state.ResumeTiming();
        QProcess rm;
        rm.start(QStringLiteral("xargs"), { "-0", "rm", "-f", "--" });
        rm.write(list);
        rm.closeWriteChannel();
        rm.waitForFinished(-1);
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

} // namespace

BENCHMARK(BM_Memcpy64MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnscrambleLog64MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineDeletes20000Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Rm20000Files)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
