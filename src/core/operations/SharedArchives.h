#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bh {

class CFileEntry;
class ManagerList;
struct FileIdentity;

// A key that is equal for two paths of one file: the file's identity when known, else the
// path's comparable spelling (ComparablePath).
std::string FileKey(const FileIdentity& identity, const std::string& path);

// Every key a file may be found by: its comparable path always, and its identity when known.
// An identity can be stale (a path changed, or the file replaced, since the last look) and two
// spellings of one file differ in path, so a match by either counts.
std::vector<std::string> FileKeys(const FileIdentity& identity, const std::string& path);

// Finds entries of different sources that share one archive file (the same path without
// regard to letter case and spelling, or the same file by identity) and marks each of them a
// problem: red, an archive failure with kErrorSharedArchive, and the other source in sharedWith. A
// backup then copies nothing over the shared archive, where the last copy would silently win and
// the other source would be backed up nowhere. An entry whose source could not be read still counts
// as a user of its archive (that archive may be the only copy left of the source) but keeps its own
// reason. Returns the positions of the entries it marked.
std::vector<std::size_t> MarkSharedArchives(const std::vector<CFileEntry*>& entries);

// The same over every row's entry, redrawing the rows it marked.
void MarkSharedArchives(ManagerList& rows);

}  // namespace bh
