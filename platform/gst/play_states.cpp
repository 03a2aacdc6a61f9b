#include "platform/gst/play_states.h"

#include <array>
#include <initializer_list>

namespace lumo::platform::gst {
namespace {

using S = PlayState;

struct Moves {
    S from;
    std::initializer_list<S> to;
};

// The table of play_states.h.
const std::array<Moves, 9> kMoves = {{
    {S::Undefined, {S::Transitioning, S::Stopped}},
    {S::Stopped, {S::Transitioning}},
    {S::Transitioning, {S::Ready, S::Paused, S::Playing, S::Buffering, S::MediaEnded, S::Stopped}},
    {S::Ready, {S::Transitioning, S::Playing, S::Buffering, S::MediaEnded, S::Stopped}},
    {S::Paused, {S::Transitioning, S::Playing, S::Buffering, S::MediaEnded, S::Stopped}},
    {S::Playing, {S::Transitioning, S::Paused, S::Buffering, S::MediaEnded, S::Stopped}},
    {S::Buffering, {S::Transitioning, S::Playing, S::Paused, S::MediaEnded, S::Stopped}},
    {S::MediaEnded, {S::Transitioning, S::Stopped}},
    {S::Waiting, {}},
}};

}  // namespace

bool transitionAllowed(PlayState from, PlayState to) {
    if (from == to) return true;
    for (const Moves& moves : kMoves) {
        if (moves.from != from) continue;
        for (S allowed : moves.to)
            if (allowed == to) return true;
        return false;
    }
    return false;
}

const char* nameOf(PlayState state) {
    switch (state) {
        case S::Undefined: return "Undefined";
        case S::Stopped: return "Stopped";
        case S::Paused: return "Paused";
        case S::Playing: return "Playing";
        case S::Buffering: return "Buffering";
        case S::Waiting: return "Waiting";
        case S::MediaEnded: return "MediaEnded";
        case S::Transitioning: return "Transitioning";
        case S::Ready: return "Ready";
    }
    return "Unknown";
}

}  // namespace lumo::platform::gst
