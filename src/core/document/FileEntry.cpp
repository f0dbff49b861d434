#include "core/document/FileEntry.h"

#include <utility>

#include "core/app/PathParts.h"

namespace bh {

std::int32_t ToEntryTime(std::int64_t seconds) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds));
}

CFileEntry::CFileEntry(std::string source, std::string archive, std::string entryNotes,
                       Shell& shell, FileSystem& fileSystem)
    : sourcePath(std::move(source)), notes(std::move(entryNotes)), archivePath(std::move(archive)) {
    ShellFileInfo info = shell.GetFileInfo(sourcePath);
    typeName = std::move(info.typeName);
    icon = std::move(info.icon);
    EvaluateStatus(fileSystem);
}

void CFileEntry::EvaluateStatus(FileSystem& fileSystem) {
    archiveSize = 0;
    archiveTime = 0;
    timeDiff = 0;
    backColor = kColorWhite;

    FileAttributes source;
    if (const ErrorCode code = fileSystem.GetAttributes(sourcePath, source); code != kNoError) {
        sourceSize = 0;
        sourceTime = 0;
        textColor = kColorProblem;
        result = kResultSourceFailed;
        lastError = code;
        return;
    }
    sourceSize = static_cast<std::uint32_t>(source.size);
    sourceTime = ToEntryTime(source.lastWriteSeconds);
    textColor = kColorOutOfDate;
    result = kResultOk;
    lastError = 0;

    FileAttributes archive;
    if (const ErrorCode code = fileSystem.GetAttributes(archivePath, archive); code != kNoError) {
        textColor = kColorProblem;
        result = kResultArchiveFailed;
        lastError = code;
        return;
    }
    archiveSize = static_cast<std::uint32_t>(archive.size);
    archiveTime = ToEntryTime(archive.lastWriteSeconds);

    if (archiveSize != sourceSize || archiveTime < sourceTime) {
        // Wrapping 32-bit difference, as the stored times are 32-bit.
        timeDiff = static_cast<std::int32_t>(static_cast<std::uint32_t>(sourceTime) -
                                             static_cast<std::uint32_t>(archiveTime));
        return;
    }
    textColor = kColorUpToDate;
}

void CFileEntry::ChangeDrive(const std::string& drive) {
    const PathParts parts = SplitPath(archivePath);
    archivePath = drive + parts.dir + parts.fname + parts.ext;
}

}  // namespace bh
