// A full walk over the drives with their volume data, as the selection
// dialog's CD list and the CD searches make it: 8 virtual drives holding disc
// images, each asked whether it is ready and for its name and serial number.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/linux/linux_drive_service.h"
#include "platform/user_settings.h"
#include "bench/bench_summary.h"

namespace {

using namespace lumo::platform;

class EightImages {
public:
    EightImages() {
        home_ = std::filesystem::temp_directory_path() / ("lumo-drives-bench-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        ::setenv("HOME", home_.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        for (int i = 0; i < 8; ++i) {
            const std::string name = "disc" + std::to_string(i);
            std::ofstream(home_ / (name + ".cue"))
                << "FILE \"" << name << ".bin\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
                << "INDEX 01 04:00:00\nTRACK 03 AUDIO\nINDEX 01 0" << (8 + i) << ":00:00\n";
            std::ofstream(home_ / (name + ".bin")).close();
            std::filesystem::resize_file(home_ / (name + ".bin"), uintmax_t{75 * 60 * 20} * 2352);
            writeSetting("LUMO Player", "Drives", std::string(1, static_cast<char>('D' + i)),
                         (home_ / (name + ".cue")).string());
        }
        service_ = std::make_unique<linux_drives::LinuxDriveService>(std::vector<std::string>{}, nullptr);
    }
    ~EightImages() { std::filesystem::remove_all(home_); }
    DriveService& service() { return *service_; }

private:
    std::filesystem::path home_;
    std::unique_ptr<linux_drives::LinuxDriveService> service_;
};

void DrivesWalkWithSerials(benchmark::State& state) {
    EightImages images;
    int64_t sum = 0;
    for (auto _ : state) {
        for (const DrivePtr& drive : images.service().drives()) {
            if (drive->driveType() != drive_type::CdRom || !drive->isReady()) continue;
            sum += drive->serialNumber() + static_cast<int64_t>(drive->volumeName().size());
        }
    }
    benchmark::DoNotOptimize(sum);
    if (sum == 0) state.SkipWithError("no drive was ready");
}
BENCHMARK(DrivesWalkWithSerials)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return lumo::bench::runBenchmarks(argc, argv, [](const lumo::bench::SummaryReporter& runs) {
        const double walk = runs.time("DrivesWalkWithSerials");  // microseconds, the benchmark's unit
        std::printf("\nSummary (median)\n  8 drives with volume data: %8.1f us   goal <= 1000 us: %s\n", walk,
                    lumo::bench::verdict(walk <= 1000));
    });
}
