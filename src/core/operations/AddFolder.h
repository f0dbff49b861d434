#pragma once

#include <string>
#include <vector>

#include "core/operations/FolderWalk.h"

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kAddFolderProgressCaption = "Adding files";

struct AddFolderCounts {
    int added = 0;
    int alreadyInManager = 0;
    int skipped = 0;     // links, special files, the manager's own files, the archive folder
    int failed = 0;      // files not added and folders not read
    int notReached = 0;  // files left when the user stopped the run
};

enum class AddFolderOutcome {
    Done,
    Stopped,  // the user stopped it between two files; what was added stays
    Refused,  // nothing was done; `refusal` says why
};

struct AddFolderResult {
    AddFolderOutcome outcome = AddFolderOutcome::Done;
    std::string refusal;
    AddFolderCounts counts;
    std::vector<PathNote> skipped;
    std::vector<PathNote> failed;
    // The archives this run created, in the order added (the caller removes them again
    // when the manager cannot be saved).
    std::vector<std::string> createdArchives;
};

// Adds every regular file below `folder` as AddFile adds one, each with its empty archive
// at the same relative path below `archiveFolder` (folders made as needed). Sources already
// in the manager are counted, not added again, so a second run adds only new files. Links
// and special files are skipped and named; so are the manager's own files and, when it lies
// inside `folder`, the archive folder. Refused when either path is not a full path, when
// `folder` is not a folder, or when `archiveFolder` is `folder` (archives would take the
// sources' names). Shows a progress bar that can stop the run between two files.
AddFolderResult AddFolder(CBrackenholdDoc& doc, const std::string& folder,
                          const std::string& archiveFolder);

// Whether a path is a full path: it starts at a root ("/", "\\\\server", "C:\\").
bool IsFullPath(const std::string& path);

}  // namespace bh
