#pragma once

#include <string>

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kImportCaption = "Import Backup Manager Files";

enum class ImportResult {
    Imported,    // entries were appended
    Empty,       // the other manager holds no entries: nothing changed
    Itself,      // the manager's own file
    OpenFailed,  // the file could not be read
    NotManager,  // not a manager file
    Damaged,     // truncated or corrupt: nothing was added
};

// Appends every entry of the manager at `path` (with rows at the end of the list), all or
// nothing, then marks the manager modified and remembers the file's name and folder. Shows
// the designed message for each failure, and puts its reason in `failure` (may be null).
// Entries whose archives clash with others' are marked (see MarkSharedArchives).
ImportResult ImportManager(CBrackenholdDoc& doc, const std::string& path,
                           std::string* failure = nullptr);

// Import Backup: the file dialog, then ImportManager.
void OnImportBackup(CBrackenholdDoc& doc);

inline bool CanImport(const CBrackenholdDoc&) {
    return true;
}

}  // namespace bh
