#include "core/operations/VerifyCopy.h"

#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "core/operations/VerifyContents.h"

namespace bh {

ErrorCode VerifyCopiedArchive(CFileEntry& entry, FileSystem& fileSystem) {
    const ContentsComparison found =
        CompareContents(fileSystem, entry.sourcePath, entry.archivePath);
    if (found.verdict == ContentsVerdict::Match) {
        return kNoError;
    }
    entry.EvaluateStatus(fileSystem);
    if (entry.state != EntryState::UpToDate) {
        return kNoError;
    }
    return found.verdict == ContentsVerdict::Differ ? kErrorContentsDifferAfterCopy : found.error;
}

void OnToggleVerifyAfterCopy(CBrackenholdDoc& doc) {
    ManagerOptions options = doc.Options();
    options.verifyAfterCopy = !options.verifyAfterCopy;
    doc.SetOptions(options);
}

}  // namespace bh
