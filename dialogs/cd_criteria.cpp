#include "dialogs/cd_criteria.h"

#include <array>

#include "common/codes.h"
#include "failsafe/procedure.h"
#include "failsafe/runtime_error.h"

namespace lumo::dialogs::cd_criteria {
namespace {

using failsafe::Procedure;

struct Criterion {
    std::string_view key;
    int32_t bit;
    std::string_view label;  // how the confirmation names the value
    int32_t cell;            // the row's column that holds the value
};

// In the order the clicks and GetHowToIDCDROM visit them.
constexpr std::array<Criterion, 3> criteria{{
    {"drive_letter", how_to_id::DriveLetter, " Drive Letter = '", 1},
    {"volume_name", how_to_id::VolumeName, " Volume Name = '", 4},
    {"serial_number", how_to_id::SerialNumber, " Serial Number = '", 5},
}};

const Criterion* criterionOf(std::string_view key) {
    for (const Criterion& c : criteria)
        if (c.key == key) return &c;
    return nullptr;
}

}  // namespace

ListViewState cdromList() {
    ListViewState list;
    for (const auto& [key, text] : {std::pair{"drive_letter", "Drive Letter"},
                                    {"disk_available", "Disk Available?"},
                                    {"file_system", "File System"},
                                    {"volume_name", "Volume Name"},
                                    {"serial_number", "Serial Number"}})
        list.columns.push_back({key, text, "", -1, 0});
    return list;
}

void ColumnClick(ListViewState& cdroms, int32_t column) {
    Procedure proc("frmSelPlaylist", "Sub lvCDROMS_ColumnClick");
    if (column < 0 || column >= static_cast<int32_t>(cdroms.columns.size())) return;
    ColumnHeader& clicked = cdroms.columns[column];
    if (!criterionOf(clicked.key)) return;
    for (const Criterion& other : criteria) {
        if (other.key == clicked.key) continue;
        const int32_t index = cdroms.columnIndex(other.key);
        if (index < 0 || cdroms.columns[index].tag != ticked) continue;
        proc.step([&] {
            cdroms.columns[index].tag.clear();
            ShowHeaderIcon(cdroms, index, tickImage, false);
        });
    }
    proc.step([&] {
        const bool wasTicked = !clicked.tag.empty();
        ShowHeaderIcon(cdroms, column, tickImage, !wasTicked);
        clicked.tag = wasTicked ? "" : std::string(ticked);
    });
}

void ShowHeaderIcon(ListViewState& cdroms, int32_t column, int32_t image, bool show) {
    Procedure proc("frmSelPlaylist", "Sub ShowHeaderIcon");
    proc.step([&] {
        if (column < 0 || column >= static_cast<int32_t>(cdroms.columns.size()))
            failsafe::raiseError(failsafe::error::SubscriptOutOfRange);
        cdroms.columns[column].image = show ? image : -1;
    });
}

int32_t GetHowToIDCDROM(const ListViewState& cdroms, std::string& description) {
    Procedure proc("frmSelPlaylist", "Function GetHowToIDCDROM");
    int32_t bits = 0;
    for (const Criterion& c : criteria) {
        proc.step([&] {
            const int32_t index = cdroms.columnIndex(c.key);
            if (index < 0 || cdroms.columns[index].tag != ticked) return;
            const ListRow* row = cdroms.selected();
            if (!row) failsafe::raiseError(failsafe::error::ObjectNotSet);
            bits |= c.bit;
            description += std::string(c.label) + cellText(*row, c.cell) + "'\r\r";
        });
    }
    return bits;
}

}  // namespace lumo::dialogs::cd_criteria
