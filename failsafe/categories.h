#pragma once
// The category of an error number: a class code and its name.

#include <cstdint>
#include <string>

namespace lumo::failsafe {

int errorClass(int32_t number);
// The name of a class; "Unknown Error Class" for a code without one.
std::string errorClassName(int classCode);
// The category text the error reports carry: the class name + " error".
std::string errorCategory(int32_t number);

}  // namespace lumo::failsafe
