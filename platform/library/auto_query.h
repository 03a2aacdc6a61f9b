#pragma once
// Evaluates an auto playlist's rules over the track index in one SQL query;
// every value from the rule file is a bound parameter. Text comparisons
// ignore letter case, of any script. "added" counts whole days before `now`;
// "duration" compares whole seconds (rounded) and orders by the exact value.
// Tracks without a year, track number or duration never match a comparison
// of that field (but do match "is not") and come last in an order by it.
// Ties, and the default order, follow the file path. A minutes limit keeps
// the tracks, in order, whose durations add up to at most that time.

#include <cstdint>
#include <vector>

#include "platform/library/auto_rules.h"
#include "platform/library/track_index.h"

namespace lumo::platform::library {

std::vector<Track> evaluateRules(TrackIndex& index, const AutoPlaylistRules& rules, int64_t now);

}  // namespace lumo::platform::library
