#pragma once
// The texts with which a check ends at a failing item: which steps were
// running decides the text, and the item is named by its number and, when
// the player has an item open, by its name.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/media_player.h"

namespace lumo::report {

enum class StepGroup {
    Playlist,   // getting the playlist and preparing the player
    LoopCount,  // reading the number of items again
    ItemGet,    // making the item current
    ItemName,   // reading its name
    ItemUrl,    // its source and the three waits
    ItemType,   // its media type, and the end of an item that is not audio
    ItemDuration,
};

struct FailureContext {
    bool cdrom = false;
    std::string playlist;
    int32_t number = 1;                   // the item's position, from 1
    std::optional<std::string> mediaName;  // none when the player has no item open
};

std::string namePart(const FailureContext& context);
std::string stepFailureText(StepGroup group, const FailureContext& context);
// With an error item from the player's queue, or without one.
std::string playerErrorText(const FailureContext& context, const platform::ErrorItem* item);
std::string timeOutText(const FailureContext& context);

}  // namespace lumo::report
