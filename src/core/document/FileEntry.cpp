#include "core/document/FileEntry.h"

#include <optional>
#include <string_view>
#include <utility>

#include "core/base/PathParts.h"

namespace bh {

std::int32_t ToEntryTime(std::int64_t seconds) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds));
}

EntryStatus QueryEntryStatus(const std::string& sourcePath, const std::string& archivePath,
                             FileSystem& fileSystem) {
    EntryStatus status;
    status.sourceError = fileSystem.GetAttributes(sourcePath, status.source);
    if (status.sourceError == kNoError) {
        status.archiveError = fileSystem.GetAttributes(archivePath, status.archive);
    }
    return status;
}

CFileEntry::CFileEntry(std::string source, std::string archive, std::string entryNotes,
                       Shell& shell, FileSystem& fileSystem)
    : fileType(shell.GetFileInfo(source)),
      sourcePath(std::move(source)),
      notes(std::move(entryNotes)),
      archivePath(std::move(archive)) {
    EvaluateStatus(fileSystem);
}

CFileEntry::CFileEntry(std::string source, std::string archive, std::string entryNotes,
                       Shell& shell, const EntryStatus& status)
    : fileType(shell.GetFileInfo(source)),
      sourcePath(std::move(source)),
      notes(std::move(entryNotes)),
      archivePath(std::move(archive)) {
    ApplyStatus(status);
}

CFileEntry::CFileEntry(std::string source, std::string archive, std::string entryNotes,
                       Shell& shell, NotEvaluated)
    : fileType(shell.GetFileInfo(source)),
      sourcePath(std::move(source)),
      notes(std::move(entryNotes)),
      archivePath(std::move(archive)) {}

namespace {

const std::string kNoText;

}  // namespace

const std::string& CFileEntry::TypeName() const {
    return fileType ? fileType->typeName : kNoText;
}

const std::string& CFileEntry::SharedWith() const {
    return sharedWith_ ? *sharedWith_ : kNoText;
}

void CFileEntry::SetSharedWith(std::string otherSource) {
    if (otherSource.empty()) {
        sharedWith_.reset();
    } else {
        sharedWith_ = std::make_unique<std::string>(std::move(otherSource));
    }
}

void CFileEntry::EvaluateStatus(FileSystem& fileSystem) {
    ApplyStatus(QueryEntryStatus(sourcePath, archivePath, fileSystem));
}

void CFileEntry::ApplyStatus(const EntryStatus& status) {
    archiveSize = 0;
    archiveTime = 0;
    timeDiff = 0;
    sourceIdentity = {};
    archiveIdentity = {};
    sharedWith_.reset();

    if (status.sourceError != kNoError) {
        sourceSize = 0;
        sourceTime = 0;
        SetState(EntryState::Problem);
        result = kResultSourceFailed;
        lastError = status.sourceError.Value();
        return;
    }
    sourceSize = static_cast<std::uint32_t>(status.source.size);
    sourceTime = ToEntryTime(status.source.lastWriteSeconds);
    sourceIdentity = {status.source.device, status.source.inode};
    SetState(EntryState::OutOfDate);
    result = kResultOk;
    lastError = 0;

    if (status.archiveError != kNoError) {
        SetState(EntryState::Problem);
        result = kResultArchiveFailed;
        lastError = status.archiveError.Value();
        return;
    }
    archiveSize = static_cast<std::uint32_t>(status.archive.size);
    archiveTime = ToEntryTime(status.archive.lastWriteSeconds);
    archiveIdentity = {status.archive.device, status.archive.inode};

    if (archiveSize != sourceSize || archiveTime < sourceTime) {
        // Wrapping 32-bit difference, as the stored times are 32-bit.
        timeDiff = static_cast<std::int32_t>(static_cast<std::uint32_t>(sourceTime) -
                                             static_cast<std::uint32_t>(archiveTime));
        return;
    }
    SetState(EntryState::UpToDate);
}

EntryColors ColorsOf(EntryState state) {
    switch (state) {
        case EntryState::UpToDate:
            return {kColorUpToDate, kColorWhite};
        case EntryState::Problem:
            return {kColorProblem, kColorWhite};
        case EntryState::OutOfDate:
            break;
    }
    return {kColorOutOfDate, kColorWhite};
}

void CFileEntry::SetState(EntryState newState) {
    state = newState;
    const EntryColors colors = ColorsOf(newState);
    textColor = colors.text;
    backColor = colors.back;
}

void CFileEntry::ChangeDrive(const std::string& drive) {
    const PathParts parts = SplitPath(archivePath);
    archivePath = drive + parts.dir + parts.fname + parts.ext;
    archiveIdentity = {};  // the file the old path reached says nothing of the new one
}

namespace {

std::string_view WithoutTrailingSeparators(std::string_view folder) {
    while (!folder.empty() && IsPathSeparator(folder.back())) {
        folder.remove_suffix(1);
    }
    return folder;
}

}  // namespace

std::optional<std::string> ReplaceLeadingFolder(std::string_view path, std::string_view from,
                                                std::string_view to) {
    const std::string_view prefix = WithoutTrailingSeparators(from);
    // The root ("" once trimmed) begins every absolute path.
    if (path.size() <= prefix.size() || !EqualsNoCase(path.substr(0, prefix.size()), prefix) ||
        !IsPathSeparator(path[prefix.size()])) {
        return std::nullopt;
    }
    std::string replaced(WithoutTrailingSeparators(to));
    replaced += path.substr(prefix.size());
    return replaced;
}

bool CFileEntry::ChangeArchiveFolder(const std::string& from, const std::string& to) {
    std::optional<std::string> changed = ReplaceLeadingFolder(archivePath, from, to);
    if (!changed || *changed == archivePath) {
        return false;
    }
    archivePath = std::move(*changed);
    archiveIdentity = {};
    return true;
}

}  // namespace bh
