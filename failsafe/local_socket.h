#pragma once
// Bounded input and output on local stream sockets: every call gives up at
// its deadline, so a peer that stops reading or answering never holds the
// caller. Sockets are used without SIGPIPE.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

#include "failsafe/monitor/monitor_wire.h"

namespace lumo::failsafe {

using Deadline = std::chrono::steady_clock::time_point;

inline Deadline deadlineIn(std::chrono::milliseconds span) { return std::chrono::steady_clock::now() + span; }

// Milliseconds left until the deadline, for poll(); 0 once it has passed.
int millisecondsLeft(Deadline deadline);

// Sends every byte before the deadline; false when the peer is gone or slow.
bool sendAllBefore(int fd, std::string_view bytes, Deadline deadline);

// The next whole frame; nothing when the peer closes, breaks the framing or
// sends nothing complete before the deadline.
std::optional<wire::Frame> readFrameBefore(int fd, wire::FrameReader& reader, Deadline deadline);

// The user id of the process at the other end.
std::optional<uid_t> peerUid(int fd);

// Connects (non-blocking, close-on-exec) to a socket file that this user owns
// and that a process of this user listens on; -1 otherwise.
int connectToOwnSocket(const std::filesystem::path& path);

}  // namespace lumo::failsafe
