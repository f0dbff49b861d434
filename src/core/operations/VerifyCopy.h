#pragma once

#include "core/ports/ErrorCode.h"

namespace bh {

class CBrackenholdDoc;
class CFileEntry;
class FileSystem;

// Verify after copy: reads the archive a backup has just written again and compares it with
// its source. kNoError when they match, or when the entry is no longer up to date by size and
// time (its source changed after the copy: the next run copies it again, nothing was copied
// wrongly). Otherwise the problem to record: kErrorContentsDifferAfterCopy, the error of a read
// that failed, or kErrorChangedWhileCompared. The entry may have been evaluated again.
ErrorCode VerifyCopiedArchive(CFileEntry& entry, FileSystem& fileSystem);

// The Verify After Copy menu item: turns the manager's setting over, which marks the manager
// modified; the setting is written beside it at its next save.
void OnToggleVerifyAfterCopy(CBrackenholdDoc& doc);

}  // namespace bh
