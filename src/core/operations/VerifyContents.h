#pragma once

#include <cstddef>
#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

class FileSystem;

// How a comparison of an archive with its source ended.
enum class ContentsVerdict {
    Match,          // the same bytes
    Differ,         // another size, or other bytes
    Changing,       // a file kept changing while it was read: nothing can be said of it
    SourceFailed,   // the source could not be read (`error` says why)
    ArchiveFailed,  // the archive could not be read
};

struct ContentsComparison {
    ContentsVerdict verdict = ContentsVerdict::Match;
    ErrorCode error = kNoError;
};

// The part of each file read at a time: large enough that a read costs little beyond its
// bytes, small enough that two of them never weigh on memory.
inline constexpr std::size_t kCompareChunkBytes = std::size_t{1} << 20;
// Readings of a pair whose files change meanwhile, as many as a copy makes of its source.
inline constexpr int kCompareTries = 3;

// Compares the archive with its source byte for byte, a part at a time through one buffer
// each, and stops at the first difference; sizes that differ are a difference without any
// read. Both files are looked at before and after they are read: when either changed in
// between (size, last-write time to the finest unit kept, or which file the path names), the
// comparison is made again, and after kCompareTries such attempts the verdict is Changing,
// never Match. Changes nothing on disk.
ContentsComparison CompareContents(FileSystem& fileSystem, const std::string& source,
                                   const std::string& archive);

}  // namespace bh
