#pragma once
// Resident memory sampled over a phase of a soak run: a sample after every
// hundredth of the work, and the growth from the first tenth of the samples
// to the last.

#include <unistd.h>

#include <cstdio>
#include <numeric>
#include <vector>

namespace lumo::soak {

inline double residentMegabytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class ResidentSamples {
public:
    explicit ResidentSamples(long work) : every_(work >= 100 ? work / 100 : 1) {}
    // Call after each unit of work (counted from 1).
    void after(long done) {
        if (done % every_ == 0) samples_.push_back(residentMegabytes());
    }
    double firstTenth() const { return meanOf(0, tenth()); }
    double lastTenth() const { return meanOf(samples_.size() - tenth(), samples_.size()); }
    double growth() const { return samples_.empty() ? 0 : lastTenth() - firstTenth(); }
    size_t count() const { return samples_.size(); }

private:
    size_t tenth() const { return samples_.size() >= 10 ? samples_.size() / 10 : (samples_.empty() ? 0 : 1); }
    double meanOf(size_t from, size_t to) const {
        if (to <= from) return 0;
        return std::accumulate(samples_.begin() + static_cast<long>(from), samples_.begin() + static_cast<long>(to), 0.0) /
               static_cast<double>(to - from);
    }
    long every_;
    std::vector<double> samples_;
};

}  // namespace lumo::soak
