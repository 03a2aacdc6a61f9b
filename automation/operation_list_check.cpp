// The build's proof that include/lumo/lumo_audio.h, which hosts read and
// compile against, declares what operation_list.h lists: every row is a
// member of its interface with exactly the row's parameters, slots count up
// in list order and dispatch ids follow names. That the vtable holds the
// slots in that order is the automation tests' (a slot's place in the vtable
// is no constant expression); that the interface has no slot the list lacks
// is the compiler's, since cLUMOAudio would stay abstract.

#include <span>
#include <string_view>
#include <type_traits>

#include "automation/operation_list.h"
#include "lumo/lumo_audio.h"

namespace lumo::automation {
namespace {

// Declared in `Interface` itself, not inherited, with the listed parameters.
#define LUMO_CHECK_SIGNATURE(slot, id, kind, name, member, result, parameters, names)     \
    static_assert(std::is_same_v<decltype(&Interface::member), HRESULT(Interface::*) parameters>, \
                  #member " in lumo_audio.h differs from its row in operation_list.h");

namespace audio {
using Interface = _cLUMOAudio;
LUMO_AUDIO_OPERATIONS(LUMO_CHECK_SIGNATURE)
}  // namespace audio

namespace extension {
using Interface = _cLUMOAudioEx;
LUMO_AUDIO_EXTENSION_OPERATIONS(LUMO_CHECK_SIGNATURE)
}  // namespace extension

#undef LUMO_CHECK_SIGNATURE

struct Listed {
    int32_t slot;
    DISPID id;
    std::string_view name;
};

#define LUMO_LISTED(slot, id, kind, name, member, result, parameters, names) Listed{slot, id, #name},
constexpr Listed audioRows[] = {LUMO_AUDIO_OPERATIONS(LUMO_LISTED)};
constexpr Listed extensionRows[] = {LUMO_AUDIO_EXTENSION_OPERATIONS(LUMO_LISTED)};
#undef LUMO_LISTED

constexpr bool slotsCountUp(std::span<const Listed> rows) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].slot != static_cast<int32_t>(i) + 1) return false;
    return true;
}

// A property's read and assignments share one id; no other two rows do.
constexpr bool idsFollowNames(std::span<const Listed> rows, std::span<const Listed> others) {
    for (const Listed& row : rows)
        for (const Listed& other : others)
            if ((row.name == other.name) != (row.id == other.id)) return false;
    return true;
}

// findOperation tells the interfaces apart by id.
constexpr bool idsInRange(std::span<const Listed> rows, DISPID low, DISPID high) {
    for (const Listed& row : rows)
        if (row.id < low || row.id > high) return false;
    return true;
}

static_assert(slotsCountUp(audioRows) && slotsCountUp(extensionRows), "a row's slot is its place in its list");
static_assert(idsFollowNames(audioRows, audioRows) && idsFollowNames(extensionRows, extensionRows) &&
                  idsFollowNames(audioRows, extensionRows),
              "rows share a dispatch id exactly when they share a name");
static_assert(idsInRange(audioRows, 1, 100) && idsInRange(extensionRows, 101, 200),
              "_cLUMOAudio's ids are 1 to 100, the extension's from 101");

}  // namespace
}  // namespace lumo::automation
