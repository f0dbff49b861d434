#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/ColumnIds.h"

namespace bh {

class CFileEntry;
class Clock;

// The texts a list row shows for an entry. Each is read-only and returns a new string.
// Texts that depend on the source's status are empty when sourceTime is 0 or less (the
// source was not found); texts made from the path are always shown.

// Age of a signed count of seconds in one unit, without plural: "5 sec", "3 day", "1 year".
std::string FormatAge(std::int32_t seconds);

// Base name of the source path ("archive.tar" for archive.tar.gz).
std::string GetNameText(const CFileEntry& entry);
// Extension of the source path without its dot ("gz"); empty when there is none.
std::string GetTypeText(const CFileEntry& entry);
// Source size in whole B, KB, MB or GB (decimal steps, fraction dropped).
std::string GetSizeText(const CFileEntry& entry);
// sourceTime in the date mode; the Age mode measures against clock.Now(). A mode other
// than 0 to 3 gives an empty text.
std::string GetDateText(const CFileEntry& entry, std::int32_t mode, const Clock& clock);
// The same, with the Age mode measured against `now` (the time the row's texts were made).
std::string GetDateTextAt(const CFileEntry& entry, std::int32_t mode, const Clock& clock,
                          std::int64_t now);
// Age of timeDiff; empty when the source is missing or the archive is empty.
std::string GetObsoleteText(const CFileEntry& entry);
// Name of the folder that holds the source ("Docs" for C:\Work\Docs\a.txt and for
// /home/ann/Docs/a.txt); empty for a file in a root folder.
std::string GetFolderText(const CFileEntry& entry);
// Drive or server part of the source path: "C:\", "\\server\", "/home/".
std::string GetDriveText(const CFileEntry& entry);

// The path rules of the two texts above, for any path. Both '/' and '\\' separate.
std::string FolderTextOf(std::string_view path);
std::string DriveTextOf(std::string_view path);

// The Name, Type, Folder and Drive texts as views of the entry's source path: what the
// functions above copy, for work that needs no copy (sort keys).
std::string_view NameTextView(const CFileEntry& entry);
std::string_view TypeTextView(const CFileEntry& entry);
std::string_view FolderTextView(std::string_view path);
std::string_view DriveTextView(std::string_view path);

// Menu text of a date mode ("DD / MM / YYYY", ..., "Age"); empty outside 0 to 3.
std::string DateModeMenuText(std::int32_t mode);

}  // namespace bh
