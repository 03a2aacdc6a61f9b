// Stored settings values as the program parses them: any bytes as the text
// of a window coordinate, "MBLog" or "ShuffleMode", and as a value given to
// the framework's numeric options; the first eight bytes also as a number
// an option may be given (NaN and infinities included).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/form_settings.h"
#include "common/message_boxes.h"
#include "dialogs/sel_playlist.h"
#include "failsafe/framework.h"
#include "failsafe/value.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using lumo::failsafe::Value;
using lumo::fuzz::require;

// The options that take a number or a flag; the others name files.
constexpr int numericOptions[] = {11, 12, 13, 14, 15, 20, 21, 22, 23, 24, 25, 27, 31};

void checkValue(const Value& value) {
    const std::optional<double> number = value.number();
    if (number) require(value.isNumeric(), "a number that is not numeric");
    if (const std::optional<int16_t> small = value.toInt16()) require(number.has_value(), "a 16-bit value from no number");
    if (const std::optional<int32_t> large = value.toInt32()) require(number.has_value(), "a 32-bit value from no number");
    (void)value.text();
}

void giveOptions(lumo::failsafe::Framework& framework, const Value& value) {
    for (const int option : numericOptions) {
        framework.option(option, value);
        (void)framework.option(option, Value("Get"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Its own framework, not the process's: options here touch no file.
    static lumo::failsafe::Framework framework;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (const std::optional<double> coordinate = lumo::common::savedCoordinateOf(text))
        require(std::isfinite(*coordinate) && *coordinate >= 0, "a window coordinate that cannot be applied");

    const int32_t level = lumo::common::mbLogLevelOf(text);
    require(level >= 1 && level <= 3, "an MBLog level out of 1..3");

    const lumo::dialogs::StoredShuffleMode shuffle = lumo::dialogs::storedShuffleModeOf(text);
    require(shuffle.ticked == (shuffle.mode == lumo::shuffle_mode::On), "tick and mode disagree");
    require(!shuffle.replaceStored || shuffle.ticked, "a replaced value that leaves the tick off");

    const double leading = lumo::failsafe::leadingNumber(text);
    require(std::isfinite(leading), "a leading number that is not finite");

    const Value textValue(text);
    checkValue(textValue);
    giveOptions(framework, textValue);

    if (size >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, data, sizeof number);
        const Value numberValue(number);
        checkValue(numberValue);
        giveOptions(framework, numberValue);
        int32_t whole = 0;
        std::memcpy(&whole, data, sizeof whole);
        giveOptions(framework, Value(whole));
    }
    return 0;
}
