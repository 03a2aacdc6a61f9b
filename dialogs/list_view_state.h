#pragma once
// A report-style list as the dialogs keep it: column headers (key, text, a
// Tag text and the header's image), rows with a key, a text and the texts of
// the further columns, and at most one selected row.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::dialogs {

struct ColumnHeader {
    std::string key;
    std::string text;
    std::string tag;        // free text the program keeps with the header
    int32_t image = -1;     // image shown at the right of the text, -1 none
    double width = 0;       // twips
};

struct ListRow {
    std::string key;
    std::string text;                   // the first column
    std::vector<std::string> subItems;  // the columns after the first
};

struct ListViewState {
    std::vector<ColumnHeader> columns;
    std::vector<ListRow> rows;
    int32_t selectedIndex = -1;
    // Counts changes of the rows, so that a view rebuilds them only then.
    int32_t rowsRevision = 0;

    const ListRow* selected() const {
        return selectedIndex >= 0 && selectedIndex < static_cast<int32_t>(rows.size()) ? &rows[selectedIndex] : nullptr;
    }
    // -1, or an index outside the rows, selects nothing.
    void select(int32_t index) { selectedIndex = index >= 0 && index < static_cast<int32_t>(rows.size()) ? index : -1; }
    void clearRows() {
        rows.clear();
        selectedIndex = -1;
        ++rowsRevision;
    }
    int32_t columnIndex(std::string_view key) const {
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i].key == key) return static_cast<int32_t>(i);
        return -1;
    }
};

// The text of column 1 (the row's text) to n; "" for a column the row has no
// text for.
inline const std::string& cellText(const ListRow& row, int32_t column) {
    static const std::string none;
    if (column == 1) return row.text;
    const size_t sub = static_cast<size_t>(column - 2);
    return column >= 2 && sub < row.subItems.size() ? row.subItems[sub] : none;
}

}  // namespace lumo::dialogs
