#pragma once
// What the error entry gathers about an intercepted error: the error and the
// chain of errors behind it (slot 0 is the error itself), the call tree at the
// moment of interception, the system report and the user's own words.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumo::failsafe {

struct ErrorSlot {
    int32_t number = 0;
    std::string description;
    int32_t line = 0;
    std::string source;
    std::string module;
    std::string procedure;
    std::string category;
    std::string helpFile;
    int32_t helpContext = 0;
};

struct InterceptedError {
    static constexpr int slotCount = 11;
    std::array<ErrorSlot, slotCount> slots;
    int16_t lastSlot = 0;
    // Where the error itself was raised, "player/playlist_activation.cpp:120",
    // when that is in the program's own code; the chain comes from elsewhere.
    std::string origin;
    // callTree[0] is the depth as text, callTree[1..] the entries of the
    // levels with their level prefix.
    std::vector<std::string> callTree;
    std::vector<int16_t> callTreeMarks;  // the level mark of each call tree entry, index 0 unused
    int16_t failingMark = 0;
    std::string systemReport;
    std::string userText;
    int16_t action = 0;
};

// The error window that shows an intercepted error and returns the user's
// choice: 0 Continue, 5 Break to. It also fills in the user's text.
class ErrorWindow {
public:
    virtual ~ErrorWindow() = default;
    virtual int16_t show(InterceptedError& error) = 0;
};

}  // namespace lumo::failsafe
