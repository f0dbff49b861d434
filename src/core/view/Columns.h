#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/base/ColumnIds.h"

namespace bh {

class CFileEntry;
class Clock;
class SystemErrors;

// Per-column state of the view: sort direction switch, index, shown or hidden.
struct CColumnState {
    std::int32_t sortFlag = 0;
    std::int32_t column = 0;
    std::int32_t visible = 1;
};

// Header and menu texts ("Name", ..., "Type Name"); empty for an invalid column.
std::string ColumnHeaderText(int column);
std::string ColumnMenuText(int column);
// Show/hide command of a column (32778 + column), and back; -1 when not such a command.
int ColumnCommandId(int column);
int ColumnOfCommand(int commandId);

// What a cell text needs besides its entry.
struct CellTextContext {
    std::int32_t dateMode;
    // Seconds since 1970 at which the row's texts were made: the Age date mode measures
    // against it, so that an age does not advance until the texts are remade.
    std::int64_t madeAt;
    const Clock& clock;
    const SystemErrors& errors;
};

// The text of one column for an entry; empty for an invalid column.
std::string MakeCellText(const CFileEntry& entry, int column, const CellTextContext& context);

// Results column: empty when lastError is 0, else the result's word ("", "source ",
// "archive ") and the system's message, trailing white space removed.
std::string ResultsText(const CFileEntry& entry, const SystemErrors& errors);

// Why the entry is a problem, without the "source"/"archive" word that the Results column
// puts first: the system's text of its last error (trimmed, never empty), or the program's
// own for a failure it detected (naming the other source of a shared archive). Empty when it
// has no error.
std::string EntryFailureText(const CFileEntry& entry, const SystemErrors& errors);

// Column layout settings: one value per column, named after the column index;
// low 16 bits the width of column i in pixels (0 = hidden), high 16 bits the column shown
// at display position i.
std::string ColumnLayoutValueName(int column);
std::int32_t PackColumnLayout(int order, int width);
int LayoutWidth(std::int32_t value);
int LayoutOrder(std::int32_t value);

// Pixel width of a text in the list's font; the toolkit measures, the rules stay here.
using TextWidthMeasure = std::function<int(const std::string& text)>;
// Twice the header text's width.
int DefaultColumnWidth(int column, const TextWidthMeasure& measure);
// column * 65536 + the default width.
std::int32_t DefaultColumnLayout(int column, const TextWidthMeasure& measure);
// Width of a column being shown again: the widest of its header and its texts, plus 20.
int ShownColumnWidth(int widestTextWidth);
// Width after a font change (integer division, so Medium to Large to Medium turns 100 into
// 133 and then 99).
int ScaleColumnWidth(int width, int newPoints, int oldPoints);

}  // namespace bh
