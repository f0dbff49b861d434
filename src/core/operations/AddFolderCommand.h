#pragma once

#include <string>

namespace bh {

class CBrackenholdDoc;
struct AddFolderResult;

inline constexpr const char* kAddFolderCaption = "Add Folder to Backup Manager";
inline constexpr const char* kAddFolderSourcePrompt = "Folder to add (every file in it and below):";
inline constexpr const char* kAddFolderArchivePrompt =
    "Archive folder (the folder's layout is made again there):";
// Added to the offered archive folder's name when it would be the folder itself.
inline constexpr const char* kOwnArchiveFolderSuffix = "-archive";
// How many skipped or failed paths the summary names; the rest are counted.
inline constexpr int kAddFolderSummaryPaths = 8;

// The summary box's text: the counts, then the first skipped or failed paths with reasons.
std::string AddFolderSummary(const AddFolderResult& result);

// Add Folder...: asks for the folder (starting from the remembered add folder) and for the
// archive folder (starting beside the manager, under the folder's name), adds the folder,
// remembers it and shows the summary. A refusal is shown instead, and changes nothing.
void OnAddFolder(CBrackenholdDoc& doc);

}  // namespace bh
