#pragma once
// The frames that a traced program and a trace monitor exchange over the
// monitor's local socket (docs/lumo-trace-monitor.md). Every frame is one
// kind byte, a payload length (4 bytes, little-endian) and the payload. The
// program asks, the monitor answers every request with exactly one Answer.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::failsafe::wire {

enum class Kind : uint8_t {
    Hello = 'H',   // program -> monitor: version, process id, program name
    Record = 'T',  // program -> monitor: one trace record, as emitted
    Wait = 'W',    // program -> monitor: the wait request, wParam and lParam
    Answer = 'A',  // monitor -> program: the reply, a signed 32-bit value
};

inline constexpr uint32_t version = 1;
inline constexpr size_t headerSize = 5;
// Larger frames are refused; the program cuts a longer record to this size.
inline constexpr size_t maxPayload = 64 * 1024;
// How long a paused monitor may hold its answer to wait request 1, so that
// the paused program does not spin.
inline constexpr std::chrono::milliseconds pauseHold{100};

struct Frame {
    Kind kind;
    std::string payload;
};

struct Hello {
    uint32_t version = 0;
    uint32_t processId = 0;
    std::string programName;
};

std::string encode(Kind kind, std::string_view payload);
std::string helloFrame(uint32_t processId, std::string_view programName);
std::string recordFrame(std::string_view record);
std::string waitFrame(int32_t wParam, int32_t lParam);
std::string answerFrame(int32_t value);

std::optional<Hello> decodeHello(std::string_view payload);
// wParam of a wait request; nothing when the payload is malformed.
std::optional<int32_t> decodeWait(std::string_view payload);
std::optional<int32_t> decodeAnswer(std::string_view payload);

void appendInt32(std::string& out, uint32_t value);
uint32_t readUint32(std::string_view bytes, size_t at);

// Collects bytes from the stream and cuts them into frames. An unknown kind
// or an oversized length breaks the stream for good.
class FrameReader {
public:
    void feed(std::string_view bytes);
    std::optional<Frame> next();
    bool broken() const { return broken_; }

private:
    std::string buffer_;
    bool broken_ = false;
};

// $XDG_RUNTIME_DIR/lumo-trace-monitor; without a runtime folder,
// /tmp/lumo-trace-monitor-<uid>.
std::filesystem::path defaultSocketPath();

}  // namespace lumo::failsafe::wire
