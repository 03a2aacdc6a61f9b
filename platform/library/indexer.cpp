#include "platform/library/indexer.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/library/music_scan.h"
#include "platform/library/text.h"
#include "platform/library/track_index.h"
#include "platform/library/track_reader.h"

namespace lumo::platform::library {
namespace {

constexpr size_t BatchSize = 256;

struct ReadResult {
    size_t file;
    std::optional<Track> track;
};

// Reads the files on up to four threads (discovery and TagLib are blocking
// calls, SQLite stays on the caller's thread) and hands the results over in
// the order they finish.
class Readers {
public:
    explicit Readers(const std::vector<ScannedFile>& files) : files_(files) {
        const size_t cores = std::max(1u, std::thread::hardware_concurrency());
        const size_t count = std::min({cores, size_t{4}, files.size()});
        for (size_t i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
    }
    ~Readers() {
        stop_ = true;
        for (std::thread& thread : threads_) thread.join();
    }

    // Waits for a handful of results (or the last ones): waking the caller
    // for every file would take the processor from the readers.
    std::deque<ReadResult> take() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return enough(); });
        return std::exchange(results_, {});
    }

private:
    static constexpr size_t Handoff = 32;

    bool enough() const { return results_.size() >= Handoff || (produced_ == files_.size() && !results_.empty()); }

    void work() {
        Discoverer discoverer;
        for (size_t i = next_++; i < files_.size() && !stop_; i = next_++) {
            ReadResult result{i, std::nullopt};
            try {
                result.track = readTrack(files_[i].path, discoverer);
            } catch (...) {
                // A file that makes a reader fail is not audio the index can use.
            }
            std::lock_guard lock(mutex_);
            results_.push_back(std::move(result));
            ++produced_;
            if (enough()) ready_.notify_one();
        }
    }

    const std::vector<ScannedFile>& files_;
    std::atomic<size_t> next_ = 0;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<ReadResult> results_;
    size_t produced_ = 0;  // guarded by mutex_
    std::vector<std::thread> threads_;
};

}  // namespace

IndexReport updateIndex(TrackIndex& index, const std::vector<std::filesystem::path>& musicFolders,
                        const LibraryHooks& hooks, LibraryLog& log) {
    IndexReport report;
    const MusicScan scan = scanMusicFolders(musicFolders, log);
    auto known = index.knownFiles();
    std::vector<ScannedFile> toRead;
    for (const ScannedFile& file : scan.files) {
        const auto found = known.find(file.path.native());
        if (found != known.end() && found->second.version == file.version)
            ++report.unchanged;
        else
            toRead.push_back(file);
        if (found != known.end()) known.erase(found);
    }

    TrackIndex::Batch batch;
    // What is left was not found: gone, or outside the folders, unless its folder could not be read.
    for (const auto& entry : known) {
        const std::string& bytes = entry.first;  // named apart: clang before 16 captures no structured binding
        const bool kept = std::any_of(scan.unreadable.begin(), scan.unreadable.end(),
                                      [&](const std::filesystem::path& folder) { return isUnder(bytes, folder); });
        if (kept) continue;
        batch.remove(std::filesystem::path(bytes));
        ++report.removed;
    }

    const int64_t now = nowSeconds(hooks);
    if (!toRead.empty()) {
        Readers readers(toRead);
        for (size_t done = 0; done < toRead.size();) {
            for (ReadResult& result : readers.take()) {
                ++done;
                ++report.read;
                const ScannedFile& file = toRead[result.file];
                if (hooks.fileRead) hooks.fileRead(file.path);
                if (result.track) {
                    result.track->path = file.path.native();
                    result.track->version = file.version;
                    result.track->added = now;
                    batch.store(std::move(*result.track));
                    ++report.stored;
                } else if (std::error_code error; !std::filesystem::exists(file.path, error) && !error) {
                    // Gone since the folders were read: not a file that failed to read.
                    batch.remove(file.path);
                    ++report.removed;
                } else {
                    batch.reject(file.path, file.version);
                    ++report.rejected;
                    log.once("not audio:" + file.path.native(),
                             "not an audio file that TagLib or GStreamer can read: " + pathText(file.path));
                }
                if (batch.size() >= BatchSize) index.write(std::exchange(batch, {}));
            }
        }
    }
    if (batch.size() > 0) index.write(batch);
    return report;
}

}  // namespace lumo::platform::library
