#pragma once

#include <cstdint>

#include "core/base/CommandIds.h"

namespace bh {

// The list's columns in creation order. The index is the column's number in commands, in
// the column layout settings and in sorting.
enum Column : int {
    kColumnName = 0,
    kColumnType,
    kColumnSize,
    kColumnLastModified,
    kColumnSourcePath,
    kColumnArchivePath,
    kColumnResults,
    kColumnObsolete,
    kColumnNotes,
    kColumnFolder,
    kColumnDrive,
    kColumnTypeName,
};
static_assert(kColumnTypeName + 1 == kColumnCount);

// Date modes of the Last Modified column.
constexpr std::int32_t kDateModeDayMonthYear = 0;
constexpr std::int32_t kDateModeMonthDayYear = 1;
constexpr std::int32_t kDateModeYearMonthDay = 2;
constexpr std::int32_t kDateModeAge = 3;
constexpr std::int32_t kDefaultDateMode = kDateModeMonthDayYear;

inline bool IsValidColumn(int column) {
    return column >= 0 && column < kColumnCount;
}

}  // namespace bh
