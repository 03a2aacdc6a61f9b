#pragma once
// The playlists the media library hands out. Each is a snapshot taken when
// its items are first needed: a standard playlist reads its file then (its
// count until then is the one the catalogue read), an auto playlist runs its
// rules over the index then. Items are built once; reading them is safe from
// any thread.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/library/auto_rules.h"
#include "platform/library/library_context.h"
#include "platform/media_player.h"

namespace lumo::platform::library {

class LibraryPlaylist : public Playlist {
public:
    int32_t count() const override;
    std::string name() const override { return name_; }
    MediaPtr item(int32_t index) const override;
    // "PlaylistType" ("Static" or "Auto") and "Name"; "" for anything else.
    std::string getItemInfo(std::string_view attribute) const override;

protected:
    LibraryPlaylist(std::string name, std::shared_ptr<LibraryContext> context)
        : name_(std::move(name)), context_(std::move(context)) {}
    virtual std::vector<MediaPtr> build() const = 0;
    // The count known without building the items; -1 when there is none.
    virtual int32_t countBeforeBuilt() const { return -1; }
    virtual const char* type() const = 0;
    LibraryContext& context() const { return *context_; }

private:
    const std::vector<MediaPtr>& items() const;

    std::string name_;
    std::shared_ptr<LibraryContext> context_;
    mutable std::once_flag built_;
    mutable std::vector<MediaPtr> items_;
    mutable std::atomic<bool> ready_ = false;
};

class StaticPlaylist final : public LibraryPlaylist {
public:
    StaticPlaylist(std::string name, std::filesystem::path file, int32_t count,
                   std::shared_ptr<LibraryContext> context);

private:
    std::vector<MediaPtr> build() const override;
    int32_t countBeforeBuilt() const override { return count_; }
    const char* type() const override { return "Static"; }

    std::filesystem::path file_;
    int32_t count_;
};

class AutoPlaylist final : public LibraryPlaylist {
public:
    AutoPlaylist(std::shared_ptr<const AutoPlaylistRules> rules, std::shared_ptr<LibraryContext> context);

private:
    std::vector<MediaPtr> build() const override;
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
