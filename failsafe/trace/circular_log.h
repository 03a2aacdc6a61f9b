#pragma once
// The circular trace log: a header line, then slots of a fixed size, each one
// trace record padded with blanks and ending in CR LF. Slot 0 keeps the first
// record after start; after the last slot the writing wraps to slot 1. Every
// slot is written straight to the file, so it survives a crash of the program
// the moment the write returns.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumo::failsafe {

class CircularLog {
public:
    static constexpr std::string_view header = "CIRCULAR\r\n";

    CircularLog() = default;
    CircularLog(const CircularLog&) = delete;
    CircularLog& operator=(const CircularLog&) = delete;
    ~CircularLog() { close(); }

    // Opens the file (created if missing, never truncated) and writes the
    // header; false when the file cannot be opened.
    bool open(const std::filesystem::path& file);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Writes `record` (its final CR LF replaced) into the current slot and
    // moves on; the slot wraps to 1 once it passes `highestSlot`. Write
    // failures are ignored, as for every trace sink.
    void write(std::string_view record, int32_t recordSize, int32_t highestSlot);
    int32_t currentSlot() const { return slot_; }

private:
    int fd_ = -1;
    int32_t slot_ = 0;
    std::string slotBuffer_;
};

}  // namespace lumo::failsafe
