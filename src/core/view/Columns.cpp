#include "core/view/Columns.h"

#include <array>

#include "core/base/ErrorText.h"
#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/base/Settings.h"
#include "core/document/FileEntry.h"
#include "core/ports/SystemErrors.h"
#include "core/view/EntryTexts.h"

namespace bh {

namespace {

// Header and menu texts are the same for every column.
constexpr std::array<const char*, kColumnCount> kColumnTexts{
    "Name",    "Type",     "Size",  "Last Modified", "Source Path", "Archive Path",
    "Results", "Obsolete", "Notes", "Folder",        "Drive",       "Type Name",
};

// Gap added to the widest text of a column that is shown again.
constexpr int kShownColumnMargin = 20;

const char* ResultWord(std::int32_t result) {
    switch (result) {
        case kResultSourceFailed:
            return "source ";
        case kResultArchiveFailed:
            return "archive ";
        case kResultVersionFailed:
            return "version not kept:";
        default:
            return "";
    }
}

}  // namespace

std::string ColumnHeaderText(int column) {
    return IsValidColumn(column) ? kColumnTexts[column] : std::string();
}

std::string ColumnMenuText(int column) {
    return ColumnHeaderText(column);
}

int ColumnCommandId(int column) {
    return IsValidColumn(column) ? kCmdColumnFirst + column : -1;
}

int ColumnOfCommand(int commandId) {
    const int column = commandId - kCmdColumnFirst;
    return IsValidColumn(column) ? column : -1;
}

std::string MakeCellText(const CFileEntry& entry, int column, const CellTextContext& context) {
    switch (column) {
        case kColumnName: {
            // Appended rather than " " + text, which GCC 12 misreads as an overlapping copy.
            std::string text = " ";
            text += GetNameText(entry);
            return text;
        }
        case kColumnType:
            return GetTypeText(entry);
        case kColumnSize:
            return GetSizeText(entry);
        case kColumnLastModified:
            return GetDateTextAt(entry, context.dateMode, context.clock, context.madeAt);
        case kColumnSourcePath:
            return entry.sourcePath;
        case kColumnArchivePath:
            return entry.archivePath;
        case kColumnResults:
            return ResultsText(entry, context.errors);
        case kColumnObsolete:
            return GetObsoleteText(entry);
        case kColumnNotes:
            return entry.notes;
        case kColumnFolder:
            return GetFolderText(entry);
        case kColumnDrive:
            return GetDriveText(entry);
        case kColumnTypeName:
            return entry.TypeName();
        default:
            return std::string();
    }
}

std::string EntryFailureText(const CFileEntry& entry, const SystemErrors& errors) {
    if (entry.LastErrorCode() == kNoError) {
        return std::string();
    }
    if (entry.LastErrorCode() == kErrorSharedArchive && !entry.SharedWith().empty()) {
        return "also the archive of " + entry.SharedWith();
    }
    return ErrorCodeText(errors, entry.LastErrorCode());
}

std::string ResultsText(const CFileEntry& entry, const SystemErrors& errors) {
    if (entry.LastErrorCode() == kNoError) {
        return std::string();
    }
    const std::string message = IsCoreError(entry.LastErrorCode())
                                    ? EntryFailureText(entry, errors)
                                    : errors.MessageText(entry.LastErrorCode());
    return TrimTrailingBlanks(Format("%s %s", ResultWord(entry.result), message.c_str()));
}

std::string ColumnLayoutValueName(int column) {
    return SettingName(ColumnLayoutSetting(column));
}

std::int32_t PackColumnLayout(int order, int width) {
    const std::uint32_t packed =
        (static_cast<std::uint32_t>(order) << 16) + static_cast<std::uint32_t>(width);
    return static_cast<std::int32_t>(packed);
}

int LayoutWidth(std::int32_t value) {
    return static_cast<int>(value & 0xFFFF);
}

int LayoutOrder(std::int32_t value) {
    return static_cast<int>(static_cast<std::uint32_t>(value) >> 16);
}

int DefaultColumnWidth(int column, const TextWidthMeasure& measure) {
    return 2 * measure(ColumnHeaderText(column));
}

std::int32_t DefaultColumnLayout(int column, const TextWidthMeasure& measure) {
    return PackColumnLayout(column, DefaultColumnWidth(column, measure));
}

int ShownColumnWidth(int widestTextWidth) {
    return widestTextWidth + kShownColumnMargin;
}

int ScaleColumnWidth(int width, int newPoints, int oldPoints) {
    if (oldPoints == 0) {
        return width;
    }
    return width * newPoints / oldPoints;
}

}  // namespace bh
