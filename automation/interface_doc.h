#pragma once
// The interface documentation, written from the operation table so that it
// cannot drift from what Invoke accepts (docs/interface.md).

#include <string>

namespace lumo::automation {

std::string interfaceMarkdown();

}  // namespace lumo::automation
