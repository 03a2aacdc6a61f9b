#include "failsafe/monitor/monitor_wire.h"

#include <unistd.h>

#include <cstdlib>

namespace lumo::failsafe::wire {
namespace {

bool knownKind(uint8_t kind) {
    return kind == static_cast<uint8_t>(Kind::Hello) || kind == static_cast<uint8_t>(Kind::Record) ||
           kind == static_cast<uint8_t>(Kind::Wait) || kind == static_cast<uint8_t>(Kind::Answer);
}

}  // namespace

void appendInt32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t readUint32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

std::string encode(Kind kind, std::string_view payload) {
    std::string frame;
    frame.reserve(headerSize + payload.size());
    frame.push_back(static_cast<char>(kind));
    appendInt32(frame, static_cast<uint32_t>(payload.size()));
    frame.append(payload);
    return frame;
}

std::string helloFrame(uint32_t processId, std::string_view programName) {
    std::string payload;
    appendInt32(payload, version);
    appendInt32(payload, processId);
    payload.append(programName.substr(0, 255));
    return encode(Kind::Hello, payload);
}

std::string recordFrame(std::string_view record) { return encode(Kind::Record, record.substr(0, maxPayload)); }

std::string waitFrame(int32_t wParam, int32_t lParam) {
    std::string payload;
    appendInt32(payload, static_cast<uint32_t>(wParam));
    appendInt32(payload, static_cast<uint32_t>(lParam));
    return encode(Kind::Wait, payload);
}

std::string answerFrame(int32_t value) {
    std::string payload;
    appendInt32(payload, static_cast<uint32_t>(value));
    return encode(Kind::Answer, payload);
}

std::optional<Hello> decodeHello(std::string_view payload) {
    if (payload.size() < 8) return std::nullopt;
    return Hello{readUint32(payload, 0), readUint32(payload, 4), std::string(payload.substr(8))};
}

std::optional<int32_t> decodeWait(std::string_view payload) {
    if (payload.size() != 8) return std::nullopt;
    return static_cast<int32_t>(readUint32(payload, 0));
}

std::optional<int32_t> decodeAnswer(std::string_view payload) {
    if (payload.size() != 4) return std::nullopt;
    return static_cast<int32_t>(readUint32(payload, 0));
}

void FrameReader::feed(std::string_view bytes) {
    if (!broken_) buffer_.append(bytes);
}

std::optional<Frame> FrameReader::next() {
    if (broken_ || buffer_.empty()) return std::nullopt;
    if (!knownKind(static_cast<uint8_t>(buffer_[0]))) {
        broken_ = true;
        return std::nullopt;
    }
    if (buffer_.size() < headerSize) return std::nullopt;
    const uint32_t length = readUint32(buffer_, 1);
    if (length > maxPayload) {
        broken_ = true;
        return std::nullopt;
    }
    if (buffer_.size() < headerSize + length) return std::nullopt;
    Frame frame{static_cast<Kind>(buffer_[0]), buffer_.substr(headerSize, length)};
    buffer_.erase(0, headerSize + length);
    return frame;
}

std::filesystem::path defaultSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::filesystem::path(runtime) / "lumo-trace-monitor";
    return "/tmp/lumo-trace-monitor-" + std::to_string(::geteuid());
}

}  // namespace lumo::failsafe::wire
