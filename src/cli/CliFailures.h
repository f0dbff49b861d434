#pragma once

#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {
class CFileEntry;
class ManagerList;
class SystemErrors;
}  // namespace bh

namespace bh::cli {

// Prints "brackenhold-cli: PATH: REASON" on stderr, one line per file that failed, so that a
// scheduled run's mail names every file and why, whatever else the command prints.
void PrintFileFailure(const std::string& path, const std::string& reason);

// The same with the text of an error code (the system's, or the program's own).
void PrintFileFailure(const std::string& path, ErrorCode error, const SystemErrors& errors);

// The line of an entry that is a problem: the path that failed (the source when it could not
// be read or changed while it was copied, else the archive) and the entry's reason.
void PrintEntryProblem(const CFileEntry& entry, const SystemErrors& errors);

// That line for every entry of `rows` that is a problem.
void PrintEntryProblems(const ManagerList& rows, const SystemErrors& errors);

}  // namespace bh::cli
