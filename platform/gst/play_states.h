#pragma once
// The play states the engine moves through and the moves it may make, as
// one table (play_states.cpp). Every change of the state a host reads goes
// through the engine's one transition function, which checks the move here.
//
//   from            may go to
//   Undefined       Transitioning, Stopped
//   Stopped         Transitioning
//   Transitioning   Ready, Paused, Playing, Buffering, MediaEnded, Stopped
//   Ready           Transitioning, Playing, Buffering, MediaEnded, Stopped
//   Paused          Transitioning, Playing, Buffering, MediaEnded, Stopped
//   Playing         Transitioning, Paused, Buffering, MediaEnded, Stopped
//   Buffering       Transitioning, Playing, Paused, MediaEnded, Stopped
//   MediaEnded      Transitioning, Stopped
//   Waiting         (never entered)
//
// Staying in a state is always allowed. Stopped is reachable from every
// state the pipeline can fail in, because a failure ends in Stopped. Once
// play was pressed, an item can end (or start buffering) before its playing
// was seen: from Transitioning, Ready or Paused.

#include "platform/media_player.h"

namespace lumo::platform::gst {

bool transitionAllowed(PlayState from, PlayState to);

// "Playing", "MediaEnded", ...: for messages and test output.
const char* nameOf(PlayState state);

}  // namespace lumo::platform::gst
