// The cost of tracing a procedure: a push and pop pair with no sink (the path
// every procedure of the program takes), the same through the procedure
// mechanism, with the circular log on, and an spdlog call to a null sink for
// comparison. The summary at the end states the goals next to the medians.

#include <benchmark/benchmark.h>
#include <spdlog/sinks/null_sink.h>
#include <spdlog/spdlog.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "failsafe/failsafe.h"
#include "bench/bench_summary.h"

namespace {

using namespace lumo::failsafe;

// A framework whose program folder is a fresh temporary folder, optionally
// with an options file.
class BenchFramework {
public:
    explicit BenchFramework(const std::string& options) {
        folder_ = std::filesystem::temp_directory_path() / ("lumo-bench-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        if (!options.empty()) std::ofstream(folder_ / "FSCLIENT.INI") << options;
        ProgramInfo program;
        program.folder = folder_;
        program.fileName = "libLUMOAudioPlayer.so";
        program.name = program.projectName = "LUMOAudioPlayer";
        scoped_->setProgram(program);
        fsSTART();
    }
    ~BenchFramework() { std::filesystem::remove_all(folder_); }
    Framework& framework() { return *scoped_; }

private:
    std::filesystem::path folder_;
    ScopedFramework scoped_;
};

void PushPopNoSink(benchmark::State& state) {
    BenchFramework bench("");
    for (auto _ : state) {
        fsPUSH("modMain", "Sub CreateFSO", "");
        fsPOP("modMain", "Sub CreateFSO", "");
    }
    if (bench.framework().depth() != 0) state.SkipWithError("the trace stack did not balance");
}
BENCHMARK(PushPopNoSink);

void ProcedureNoSink(benchmark::State& state) {
    BenchFramework bench("");
    int value = 0;
    for (auto _ : state) {
        Procedure proc("modMain", "Function IsShuffleOn");
        proc.step([&] { benchmark::DoNotOptimize(++value); });
    }
}
BENCHMARK(ProcedureNoSink);

void SpdlogNullSink(benchmark::State& state) {
    auto logger = std::make_shared<spdlog::logger>("bench", std::make_shared<spdlog::sinks::null_sink_st>());
    logger->set_level(spdlog::level::info);
    for (auto _ : state) logger->info("{} : {}", "modMain", "Sub CreateFSO");
}
BENCHMARK(SpdlogNullSink);

void PushPopCircularLog(benchmark::State& state) {
    BenchFramework bench(
        "[Log File]\nCircularLog=1\n[CircularLog]\nFileName=circ0001.log\nRecordSize=512\nMaxRecords=100\n");
    if (!bench.framework().settings().circularLog) state.SkipWithError("the circular log did not open");
    for (auto _ : state) {
        fsPUSH("modMain", "Sub CreateFSO", "");
        fsPOP("modMain", "Sub CreateFSO", "");
    }
    state.SetItemsProcessed(state.iterations() * 2);  // two records per pair
    state.counters["ns_per_record"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 2, benchmark::Counter::kIsRate |
                                                                            benchmark::Counter::kInvert);
}
BENCHMARK(PushPopCircularLog);

}  // namespace

int main(int argc, char** argv) {
    using lumo::bench::verdict;
    return lumo::bench::runBenchmarks(argc, argv, [](const lumo::bench::SummaryReporter& runs) {
        const double pair = runs.time("PushPopNoSink"), spdlog = runs.time("SpdlogNullSink");
        const double circular = runs.time("PushPopCircularLog");
        std::printf("\nSummary (medians)\n");
        std::printf("  push+pop, no sink:        %8.2f ns   goal <= 10 ns: %s\n", pair, verdict(pair <= 10));
        if (spdlog > 0)
            std::printf("  spdlog call, null sink:   %8.2f ns   push+pop / spdlog = %.2f, goal <= 0.20: %s\n", spdlog,
                        pair / spdlog, verdict(pair / spdlog <= 0.2));
        std::printf("  procedure mechanism:      %8.2f ns\n", runs.time("ProcedureNoSink"));
        std::printf("  circular log, per record: %8.2f ns   goal <= 2000 ns: %s\n", circular / 2,
                    verdict(circular / 2 <= 2000));
    });
}
