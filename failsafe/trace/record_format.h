#pragma once
// The pieces of a trace record that have a fixed format.

#include <cstdint>
#include <string>

namespace lumo::failsafe {

// A fixed-point time (milliseconds scaled by 10000) divided by 10000 and
// written "00000.0000": 1234 ms reads 00000.1234. More digits appear when
// needed, never fewer; the separator is always ".".
std::string formatTimeField(int64_t fixedPointMilliseconds);

// The record counter, at least five digits: 00042.
std::string formatCounter(uint32_t count);

// The same, appended to a record being built.
void appendTimeField(std::string& out, int64_t fixedPointMilliseconds);
void appendCounter(std::string& out, uint32_t count);

// Cuts a record just before its second ':' and drops the blanks before the
// cut, so that it ends with the procedure text. A record with fewer than two
// ':' stays whole.
void cutAfterProcedure(std::string& record);

}  // namespace lumo::failsafe
