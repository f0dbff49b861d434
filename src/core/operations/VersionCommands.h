#pragma once

#include <string>
#include <vector>

#include "core/operations/KeptVersions.h"

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kRestoreVersionCaption = "Restore Version";
inline constexpr const char* kNoVersionsText = "No older versions of this archive are kept.";

// One line of the version list: its time and size, e.g. "2026-12-08 14-03-11  (1234 bytes)".
std::string VersionListLine(const KeptVersion& version);

// "2 older versions kept (Restore Version...)" for an archive that has kept versions, else
// empty: the note its row's tool tip carries.
std::string KeptVersionsNote(FileSystem& fileSystem, const Clock& clock,
                             const std::string& archivePath);

// Restore Version: for the one selected row, the list of its archive's kept versions (newest
// first); the version picked is restored over the source the way Restore Selected restores
// the archive: the copy question, the restore with its boxes and Results text, the summary.
void OnRestoreVersion(CBrackenholdDoc& doc);

inline constexpr const char* kKeepVersionsCaption =
    "Keep the last N versions of each archive (0 keeps none)";

// The number a user typed for Keep Versions, or -1 when it is not one from 0 to
// kMaxKeptVersions.
int ParseKeptVersionCount(const std::string& text);

// Keep Versions: asks how many replaced archives a backup keeps of each archive, and makes it
// the manager's setting (saved with the manager).
void OnKeepVersions(CBrackenholdDoc& doc);

}  // namespace bh
