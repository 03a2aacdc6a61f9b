#pragma once
// The selection dialog as SelectPlaylists sees it: shown modally, it hands
// back the eight values the host keeps (SelectionResult, common/codes.h).

#include <cstdint>
#include <functional>
#include <string>

#include "common/codes.h"

namespace lumo::automation {

SelectionResult showSelectionDialog();

// The dialog the library shows; replaced by the windows library at start-up
// and by tests.
using SelectionDialog = std::function<SelectionResult()>;
void setSelectionDialog(SelectionDialog dialog);

}  // namespace lumo::automation
