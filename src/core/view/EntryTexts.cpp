#include "core/view/EntryTexts.h"

#include <array>
#include <ctime>

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/FileEntry.h"
#include "core/ports/Clock.h"

namespace bh {

namespace {

struct AgeUnit {
    std::int32_t below;  // the unit applies to counts below this bound
    std::int32_t divisor;
    const char* format;
};

constexpr std::array<AgeUnit, 6> kAgeUnits{{
    {60, 1, "%d sec"},
    {3600, 60, "%d min"},
    {86400, 3600, "%d hour"},
    {604800, 86400, "%d day"},
    {2592000, 604800, "%d week"},
    {31536000, 2592000, "%d month"},
}};

constexpr std::int32_t kSecondsPerYear = 31536000;

// strftime patterns of the calendar date modes.
constexpr std::array<const char*, 3> kDatePatterns{
    "%d-%m-%Y %H:%M:%S",
    "%m/%d/%Y %I:%M:%S %p",
    "%Y-%m-%d %H:%M:%S",
};

constexpr std::array<const char*, 4> kDateModeMenuTexts{
    "DD / MM / YYYY",
    "MM / DD / YYYY",
    "YYYY / MM / DD",
    "Age",
};

// Room for the longest pattern's 22 characters and the terminator.
constexpr std::size_t kDateBufferSize = 23;

bool SourceFound(const CFileEntry& entry) {
    return entry.sourceTime > 0;
}

std::string CalendarText(std::int32_t sourceTime, const char* pattern, const Clock& clock) {
    std::tm local{};
    if (!clock.LocalTime(sourceTime, local)) {
        return std::string();
    }
    std::array<char, kDateBufferSize> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), pattern, &local);
    return std::string(buffer.data(), length);
}

std::size_t FirstSeparatorFrom(std::string_view path, std::size_t from) {
    for (std::size_t i = from; i < path.size(); ++i) {
        if (IsPathSeparator(path[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t LastSeparatorOf(std::string_view text) {
    for (std::size_t i = text.size(); i > 0; --i) {
        if (IsPathSeparator(text[i - 1])) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}

// SplitPath's dir, fname and ext as views of the path, for texts made at every repaint and
// every sort key without the copies of all four parts.
struct PathViews {
    std::string_view dir;
    std::string_view fname;
    std::string_view ext;
};

PathViews SplitPathView(std::string_view path) {
    PathViews parts;
    if (path.size() >= 2 && path[1] == ':') {
        path.remove_prefix(2);
    }
    const std::size_t sep = LastSeparatorOf(path);
    if (sep != std::string_view::npos) {
        parts.dir = path.substr(0, sep + 1);
        path.remove_prefix(sep + 1);
    }
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos) {
        parts.ext = path.substr(dot);
        path = path.substr(0, dot);
    }
    parts.fname = path;
    return parts;
}

}  // namespace

std::string FormatAge(std::int32_t seconds) {
    for (const AgeUnit& unit : kAgeUnits) {
        if (seconds < unit.below) {
            return Format(unit.format, seconds / unit.divisor);
        }
    }
    return Format("%d year", seconds / kSecondsPerYear);
}

std::string_view NameTextView(const CFileEntry& entry) {
    return SplitPathView(entry.sourcePath).fname;
}

std::string_view TypeTextView(const CFileEntry& entry) {
    const std::string_view ext = SplitPathView(entry.sourcePath).ext;
    return ext.empty() ? ext : ext.substr(1);
}

std::string GetNameText(const CFileEntry& entry) {
    return std::string(NameTextView(entry));
}

std::string GetTypeText(const CFileEntry& entry) {
    return std::string(TypeTextView(entry));
}

std::string GetSizeText(const CFileEntry& entry) {
    if (!SourceFound(entry)) {
        return std::string();
    }
    static constexpr std::array<const char*, 4> kUnits{"B", "KB", "MB", "GB"};
    std::uint32_t value = entry.sourceSize;
    std::size_t unit = 0;
    while (value >= 1000 && unit + 1 < kUnits.size()) {
        value /= 1000;
        ++unit;
    }
    return Format("%u %s", value, kUnits[unit]);
}

std::string GetDateText(const CFileEntry& entry, std::int32_t mode, const Clock& clock) {
    return GetDateTextAt(entry, mode, clock, clock.Now());
}

std::string GetDateTextAt(const CFileEntry& entry, std::int32_t mode, const Clock& clock,
                          std::int64_t now) {
    if (!SourceFound(entry)) {
        return std::string();
    }
    const auto index = static_cast<std::uint32_t>(mode);
    if (index < kDatePatterns.size()) {
        return CalendarText(entry.sourceTime, kDatePatterns[index], clock);
    }
    if (index == static_cast<std::uint32_t>(kDateModeAge)) {
        // Times are 32-bit counts, so the difference is taken as one.
        return FormatAge(static_cast<std::int32_t>(now - entry.sourceTime));
    }
    return std::string();
}

std::string GetObsoleteText(const CFileEntry& entry) {
    if (!SourceFound(entry) || entry.archiveSize == 0) {
        return std::string();
    }
    return FormatAge(entry.timeDiff);
}

std::string FolderTextOf(std::string_view path) {
    return std::string(FolderTextView(path));
}

std::string_view FolderTextView(std::string_view path) {
    std::string_view dir = SplitPathView(path).dir;
    std::size_t sep = LastSeparatorOf(dir);
    if (sep != std::string_view::npos) {
        dir = dir.substr(0, sep);
    }
    sep = LastSeparatorOf(dir);
    if (sep != std::string_view::npos) {
        dir.remove_prefix(sep + 1);
    }
    return dir;
}

std::string DriveTextOf(std::string_view path) {
    return std::string(DriveTextView(path));
}

std::string_view DriveTextView(std::string_view path) {
    const std::size_t sep = FirstSeparatorFrom(path, 2);
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep + 1);
}

std::string GetFolderText(const CFileEntry& entry) {
    return FolderTextOf(entry.sourcePath);
}

std::string GetDriveText(const CFileEntry& entry) {
    return DriveTextOf(entry.sourcePath);
}

std::string DateModeMenuText(std::int32_t mode) {
    const auto index = static_cast<std::uint32_t>(mode);
    return index < kDateModeMenuTexts.size() ? kDateModeMenuTexts[index] : std::string();
}

}  // namespace bh
