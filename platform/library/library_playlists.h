#pragma once
// The playlists the media library hands out. Each is a snapshot taken when
// its items are first needed: a standard playlist reads its file then (its
// count until then is the one the catalogue read), an auto playlist runs its
// rules over the index then. Items are built once; reading them is safe from
// any thread. A large standard playlist is read on a thread of its own, and
// an item is handed out as soon as the file has been read up to it, so that
// the first items of a hundred thousand are there at once; every playlist
// object of the same unchanged file shares what was read, so a playlist made
// current again is not read again.

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/library/auto_rules.h"
#include "platform/library/library_context.h"
#include "platform/media_player.h"

namespace lumo::platform::library {

struct BuiltItems {
    std::mutex mutex;
    std::condition_variable grown;
    std::vector<MediaPtr> items;
    bool done = false;
};

class LibraryPlaylist : public Playlist {
public:
    int32_t count() const override;
    std::string name() const override { return name_; }
    MediaPtr item(int32_t index) const override;
    // "PlaylistType" ("Static" or "Auto") and "Name"; "" for anything else.
    std::string getItemInfo(std::string_view attribute) const override;

    // From this many items on (as the catalogue counted them) a standard
    // playlist is read in the background.
    static constexpr int32_t BackgroundFrom = 1000;

protected:
    using Publish = std::function<void(MediaPtr)>;
    // Builds the items, handing each to `publish` in order. It runs on a
    // thread of its own when the playlist is large, so it may use only what
    // it captures, never the playlist.
    using Builder = std::function<void(const Publish& publish)>;

    LibraryPlaylist(std::string name, std::shared_ptr<LibraryContext> context)
        : name_(std::move(name)), context_(std::move(context)) {}
    virtual Builder builder() const = 0;
    // The count known without building the items; -1 when there is none.
    virtual int32_t countBeforeBuilt() const { return -1; }
    // Where the items go: those another playlist object built (or is
    // building) from the same source (`fresh` false), or new ones to build.
    virtual std::shared_ptr<BuiltItems> claimItems(bool& fresh) const;
    virtual const char* type() const = 0;
    const std::shared_ptr<LibraryContext>& context() const { return context_; }

private:
    void start() const;
    // Waits until item `index` is built or the build is done.
    void waitFor(size_t index) const;

    std::string name_;
    std::shared_ptr<LibraryContext> context_;
    mutable std::once_flag started_;
    mutable std::atomic<bool> begun_ = false;  // set once items_ is
    mutable std::shared_ptr<BuiltItems> items_;
};

class StaticPlaylist final : public LibraryPlaylist {
public:
    StaticPlaylist(std::string name, std::filesystem::path file, int32_t count,
                   std::shared_ptr<LibraryContext> context);

private:
    Builder builder() const override;
    int32_t countBeforeBuilt() const override { return count_; }
    std::shared_ptr<BuiltItems> claimItems(bool& fresh) const override;
    const char* type() const override { return "Static"; }

    std::filesystem::path file_;
    int32_t count_;
};

class AutoPlaylist final : public LibraryPlaylist {
public:
    AutoPlaylist(std::shared_ptr<const AutoPlaylistRules> rules, std::shared_ptr<LibraryContext> context);

private:
    Builder builder() const override;
    const char* type() const override { return "Auto"; }

    std::shared_ptr<const AutoPlaylistRules> rules_;
};

class LibraryPlaylistArray final : public PlaylistArray {
public:
    explicit LibraryPlaylistArray(std::vector<PlaylistPtr> playlists) : playlists_(std::move(playlists)) {}
    int32_t count() const override { return static_cast<int32_t>(playlists_.size()); }
    PlaylistPtr item(int32_t index) const override;

private:
    std::vector<PlaylistPtr> playlists_;
};

}  // namespace lumo::platform::library
