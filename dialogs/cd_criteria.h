#pragma once
// How a CD chosen in the selection dialog is recognised later: the user
// ticks one of the CD list's column headers "Drive Letter", "Volume Name" or
// "Serial Number" (or none). The tick lives in the headers' Tag texts and
// nowhere else, so it survives a refresh of the rows and every new showing.

#include <cstdint>
#include <string>
#include <string_view>

#include "dialogs/list_view_state.h"

namespace lumo::dialogs::cd_criteria {

inline constexpr std::string_view ticked = "ticked";
inline constexpr int32_t tickImage = 0;  // "red_tick", the only image

// The CD list's columns in order; the first of each pair is the key.
ListViewState cdromList();

// A click on a header: a criterion header takes the tick (or gives it up if
// it had it); the other criterion headers lose theirs. Other headers, and
// positions outside the list, change nothing. Never touches the rows.
void ColumnClick(ListViewState& cdroms, int32_t column);

// Shows (or removes) image at the right of the text of the header at the
// 0-based position.
void ShowHeaderIcon(ListViewState& cdroms, int32_t column, int32_t image, bool show);

// The criterion bits of the ticked headers (8 drive letter, 4 volume name,
// 2 serial number), appending for each a line with the selected row's value
// and two CRs to description. Needs a selected row.
int32_t GetHowToIDCDROM(const ListViewState& cdroms, std::string& description);

}  // namespace lumo::dialogs::cd_criteria
