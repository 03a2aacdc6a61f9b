#pragma once
// What every benchmark program ends with: the runs printed as usual, the
// median run of each benchmark kept by its name, and after the last run a
// summary that holds each figure against its goal.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lumo::bench {

inline const char* verdict(bool met) { return met ? "met" : "MISSED"; }

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    using Summary = std::function<void(const SummaryReporter&)>;
    explicit SummaryReporter(Summary summary) : summary_(std::move(summary)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // A run without repetitions is its own median; with them the median aggregate comes last.
        for (const Run& run : runs)
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name == "median") medians_[nameOf(run)] = run;
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        summary_(*this);
    }

    // The median real time in the benchmark's unit, or 0 when it did not run.
    double time(const std::string& name) const {
        const auto found = medians_.find(name);
        return found == medians_.end() ? 0.0 : found->second.GetAdjustedRealTime();
    }
    // A counter of the median run, or 0 when it did not run or has no such counter.
    double counter(const std::string& name, const std::string& counter) const {
        const auto found = medians_.find(name);
        if (found == medians_.end()) return 0.0;
        const auto value = found->second.counters.find(counter);
        return value == found->second.counters.end() ? 0.0 : static_cast<double>(value->second);
    }

private:
    // "Function/arguments", as the console prints it.
    static std::string nameOf(const Run& run) {
        return run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
    }

    Summary summary_;
    std::map<std::string, Run> medians_;
};

// Runs the benchmarks the command line selects, the summary last; 1 for an
// argument the library does not know.
inline int runBenchmarks(int argc, char** argv, const SummaryReporter::Summary& summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter(summary);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace lumo::bench
