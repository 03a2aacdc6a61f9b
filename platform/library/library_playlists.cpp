#include "platform/library/library_playlists.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "failsafe/runtime_error.h"
#include "platform/library/auto_query.h"
#include "platform/library/library_media.h"
#include "platform/library/playlist_file.h"
#include "platform/library/text.h"

namespace lumo::platform::library {

namespace {

// Builds running on threads of their own; the process waits for them (a
// few seconds at most) before it ends, so that none is cut off inside
// GLib while the program's statics go.
class BackgroundBuilds {
public:
    ~BackgroundBuilds() {
        std::unique_lock lock(mutex_);
        finished_.wait_for(lock, std::chrono::seconds(5), [&] { return running_ == 0; });
    }
    void run(std::function<void()> work) {
        {
            std::lock_guard lock(mutex_);
            ++running_;
        }
        std::thread([this, work = std::move(work)] {
            work();
            std::lock_guard lock(mutex_);
            --running_;
            finished_.notify_all();
        }).detach();
    }

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    int running_ = 0;
};

BackgroundBuilds& backgroundBuilds() {
    static BackgroundBuilds builds;
    return builds;
}

}  // namespace

void LibraryPlaylist::start() const {
    std::call_once(started_, [&] {
        bool fresh = true;
        items_ = claimItems(fresh);
        begun_.store(true, std::memory_order_release);
        if (!fresh) return;
        auto run = [items = items_, build = builder()] {
            build([&](MediaPtr item) {
                std::lock_guard lock(items->mutex);
                items->items.push_back(std::move(item));
                items->grown.notify_all();
            });
            std::lock_guard lock(items->mutex);
            items->done = true;
            items->grown.notify_all();
        };
        if (countBeforeBuilt() >= BackgroundFrom)
            backgroundBuilds().run(std::move(run));
        else
            run();
    });
}

void LibraryPlaylist::waitFor(size_t index) const {
    std::unique_lock lock(items_->mutex);
    items_->grown.wait(lock, [&] { return items_->done || items_->items.size() > index; });
}

int32_t LibraryPlaylist::count() const {
    // A host lists the playlists with their counts: that reads no file.
    const int32_t known = countBeforeBuilt();
    if (known >= 0 && !begun_.load(std::memory_order_acquire)) return known;
    start();
    {
        std::lock_guard lock(items_->mutex);
        if (items_->done) return static_cast<int32_t>(items_->items.size());
    }
    if (known >= 0) return known;
    waitFor(SIZE_MAX);
    std::lock_guard lock(items_->mutex);
    return static_cast<int32_t>(items_->items.size());
}

MediaPtr LibraryPlaylist::item(int32_t index) const {
    start();
    if (index >= 0) {
        waitFor(static_cast<size_t>(index));
        std::lock_guard lock(items_->mutex);
        if (static_cast<size_t>(index) < items_->items.size()) return items_->items[static_cast<size_t>(index)];
    }
    failsafe::raiseError(failsafe::error::SubscriptOutOfRange,
                         "playlist \"" + name_ + "\" has no item " + std::to_string(index));
}

std::string LibraryPlaylist::getItemInfo(std::string_view attribute) const {
    const std::string key = lowerAscii(attribute);
    if (key == "playlisttype") return type();
    if (key == "name") return name_;
    return {};
}

StaticPlaylist::StaticPlaylist(std::string name, std::filesystem::path file, int32_t count,
                               std::shared_ptr<LibraryContext> context)
    : LibraryPlaylist(std::move(name), std::move(context)), file_(std::move(file)), count_(count) {}

namespace {

std::string versionOf(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return {};
    return std::to_string(info.st_size) + "/" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

}  // namespace

std::shared_ptr<BuiltItems> LibraryPlaylist::claimItems(bool& fresh) const {
    fresh = true;
    return std::make_shared<BuiltItems>();
}

std::shared_ptr<BuiltItems> StaticPlaylist::claimItems(bool& fresh) const {
    LibraryContext& shared = *context();
    const std::string version = versionOf(file_);
    std::lock_guard lock(shared.builtMutex);
    LibraryContext::Built& built = shared.built[file_];
    std::shared_ptr<BuiltItems> items = built.items.lock();
    fresh = !items || built.version != version || version.empty();
    if (fresh) {
        items = std::make_shared<BuiltItems>();
        built = {version, items};
    }
    return items;
}

LibraryPlaylist::Builder StaticPlaylist::builder() const {
    return [file = file_, context = context()](const Publish& publish) {
        readPlaylistFile(file, [&](PlaylistEntry entry) {
            publish(std::make_shared<LibraryMedia>(std::move(entry), context));
        });
    };
}

AutoPlaylist::AutoPlaylist(std::shared_ptr<const AutoPlaylistRules> rules, std::shared_ptr<LibraryContext> context)
    : LibraryPlaylist(rules->name, std::move(context)), rules_(std::move(rules)) {}

LibraryPlaylist::Builder AutoPlaylist::builder() const {
    return [rules = rules_, context = context(), name = name()](const Publish& publish) {
        try {
            for (Track& track : evaluateRules(context->index, *rules, context->now()))
                publish(std::make_shared<LibraryMedia>(std::move(track)));
        } catch (const SqliteError& error) {
            context->log.once("auto playlist " + name,
                              "auto playlist \"" + name + "\" cannot be evaluated: " + error.what());
        }
    };
}

PlaylistPtr LibraryPlaylistArray::item(int32_t index) const {
    if (index < 0 || index >= count())
        failsafe::raiseError(failsafe::error::SubscriptOutOfRange, "no playlist " + std::to_string(index));
    return playlists_[static_cast<size_t>(index)];
}

}  // namespace lumo::platform::library
