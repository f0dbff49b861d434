#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bh {

class CFileEntry;
class ListRows;
struct FileIdentity;

// A key that is equal for two paths of one file: the file's identity when known, else the
// path with its letters folded.
std::string FileKey(const FileIdentity& identity, const std::string& path);

// Finds entries of different sources that share one archive file (same file, or the same
// path without regard to letter case when the file is unknown) and marks each of them a
// problem: red, an archive failure with kErrorSharedArchive, and the other source in
// sharedWith. A backup then copies nothing over the shared archive, where the last copy would
// silently win and the other source would be backed up nowhere. Entries whose source could
// not be read are left alone (their archive was not looked at). Returns the positions in
// `entries` of the entries it marked.
std::vector<std::size_t> MarkSharedArchives(const std::vector<CFileEntry*>& entries);

// The same over every row's entry, redrawing the rows it marked.
void MarkSharedArchives(ListRows& rows);

}  // namespace bh
