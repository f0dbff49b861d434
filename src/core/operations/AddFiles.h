#pragma once

#include <cstddef>
#include <string>

namespace bh {

class CBrackenholdDoc;

// How many archive names AddFile tries: the plain name and 99 substitutes.
inline constexpr int kArchiveNameTries = 100;

enum class AddFileResult {
    Added,
    NotAFile,           // nothing at the path, or a folder (silent)
    AlreadyInManager,   // the source is already an entry's source (silent)
    NoManagerFolder,    // the manager is untitled (message shown)
    NoSubstituteName,   // every archive name was taken (message shown)
    ArchiveNotCreated,  // the empty archive could not be created (silent; sets the last error)
    PathTooLong,        // the archive path would not fit the platform's path limit (silent)
};

// Adds one source: an empty archive is created in the manager's folder under the source's
// name or the first free substitute "name[k].ext", the entry is appended with its row and the
// manager is marked modified. Only the two designed messages are shown.
AddFileResult AddFile(CBrackenholdDoc& doc, const std::string& sourcePath);

// Whether AddFileInto shows the two designed messages. A whole folder lists its failures
// instead, so that one full archive folder does not raise a box per file.
enum class AddFileMessages { Show, Quiet };

// AddFile with the archive made in `archiveFolder` (ending in a separator; empty means the
// manager is untitled) instead of the manager's folder.
AddFileResult AddFileInto(CBrackenholdDoc& doc, const std::string& sourcePath,
                          const std::string& archiveFolder,
                          AddFileMessages messages = AddFileMessages::Show);

// A short English reason for a result that added nothing (for the command-line program).
const char* AddFileResultText(AddFileResult result);

// Add Files: deselects every row, shows the multi-selection dialog starting in addDirStr,
// adds each chosen file in the dialog's order and remembers the last file's folder.
void OnAddFiles(CBrackenholdDoc& doc);

}  // namespace bh
