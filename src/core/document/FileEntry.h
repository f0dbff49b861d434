#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports/FileSystem.h"
#include "core/ports/Shell.h"

namespace bh {

// Row colours as 0x00BBGGRR values.
constexpr std::uint32_t kColorOutOfDate = 0x000000;  // black
constexpr std::uint32_t kColorUpToDate = 0x008000;   // green
constexpr std::uint32_t kColorProblem = 0x0000FF;    // red
constexpr std::uint32_t kColorWhite = 0xFFFFFF;

// What the last evaluation or copy made of an entry. Counts, summaries and exit codes ask this,
// never the colours.
enum class EntryState { OutOfDate, UpToDate, Problem };

struct EntryColors {
    std::uint32_t text = kColorOutOfDate;
    std::uint32_t back = kColorWhite;
};

// The row colours of a state: the one place where a state becomes colours.
EntryColors ColorsOf(EntryState state);

// Entry result codes.
constexpr std::int32_t kResultOk = 0;
constexpr std::int32_t kResultSourceFailed = 1;
constexpr std::int32_t kResultArchiveFailed = 2;
// The archive's old version could not be moved aside, so it was not replaced.
constexpr std::int32_t kResultVersionFailed = 3;

// Which file a path reached: device and inode, both 0 when the platform does not tell.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool Known() const { return device != 0 || inode != 0; }
    bool operator==(const FileIdentity&) const = default;
};

// What the two attribute queries of a status evaluation found. The archive is queried only
// when the source answered, so archiveError stays kNoError after a failed source.
struct EntryStatus {
    ErrorCode sourceError = kNoError;
    ErrorCode archiveError = kNoError;
    FileAttributes source;
    FileAttributes archive;
};

// The queries of EvaluateStatus without touching an entry, so that they can run on another
// thread (they only read the two paths).
EntryStatus QueryEntryStatus(const std::string& sourcePath, const std::string& archivePath,
                             FileSystem& fileSystem);

// One source/archive pair of a backup manager with the status it last found on disk.
class CFileEntry {
  public:
    // Copies the strings, takes icon and type name from the shell, then evaluates.
    CFileEntry(std::string sourcePath, std::string archivePath, std::string notes, Shell& shell,
               FileSystem& fileSystem);
    // As above with the status already queried (QueryEntryStatus on the same paths).
    CFileEntry(std::string sourcePath, std::string archivePath, std::string notes, Shell& shell,
               const EntryStatus& status);

    // As above without evaluating: the status fields keep their initial values (for a command
    // that changes the list without showing any status; the file holds no status).
    struct NotEvaluated {};
    CFileEntry(std::string sourcePath, std::string archivePath, std::string notes, Shell& shell,
               NotEvaluated);

    // Recomputes sizes, times, timeDiff, result, lastError and colours from the disk.
    // Paths, notes, icon and type name never change here.
    void EvaluateStatus(FileSystem& fileSystem);
    // The second half of EvaluateStatus: sets the fields from queries already made.
    void ApplyStatus(const EntryStatus& status);

    // Replaces the drive part of archivePath by `drive` (such as "F:"); a path without a
    // drive letter gets `drive` put in front. Does not evaluate.
    void ChangeDrive(const std::string& drive);
    // Where archivePath begins with the folder `from`, replaces that part by the folder `to`
    // (ReplaceLeadingFolder). Returns whether the path changed. Does not evaluate.
    bool ChangeArchiveFolder(const std::string& from, const std::string& to);

    // Sets the state and the colours that show it.
    void SetState(EntryState newState);

    // lastError as the typed code it holds.
    ErrorCode LastErrorCode() const { return ErrorCode(lastError); }
    void SetLastErrorCode(ErrorCode code) { lastError = code.Value(); }

    // The shell's type name, empty without one.
    const std::string& TypeName() const;
    // The shell's icon, null without one.
    const ShellIcon* Icon() const { return fileType ? fileType->icon.get() : nullptr; }
    // The other entry's source when this entry's archive is also that entry's archive, else
    // empty.
    const std::string& SharedWith() const;
    void SetSharedWith(std::string otherSource);

    // Icon and type name as the shell shares them among the files of a type: one pointer per
    // entry, null where the shell tells no types (the command-line program).
    std::shared_ptr<const ShellFileInfo> fileType;
    std::uint32_t sourceSize = 0;
    std::uint32_t archiveSize = 0;
    std::int32_t timeDiff = 0;
    std::int32_t sourceTime = 0;
    std::int32_t archiveTime = 0;
    // Beside the times, where it fills what would be padding: 100,000 entries stay smaller.
    EntryState state = EntryState::OutOfDate;
    std::string sourcePath;
    std::string notes;
    std::string archivePath;
    // Stored and shown as the plain number; LastErrorCode/SetLastErrorCode convert it.
    std::uint32_t lastError = 0;
    std::int32_t result = kResultOk;
    // Derived from the state by SetState; kept as fields because the rows draw them.
    std::uint32_t textColor = kColorOutOfDate;
    std::uint32_t backColor = kColorWhite;
    // Which files the last evaluation reached (both 0 when unknown), so that entries naming
    // one file under different spellings are recognised.
    FileIdentity sourceIdentity;
    FileIdentity archiveIdentity;

  private:
    // Out of line: only entries whose archive another entry shares have one.
    std::unique_ptr<std::string> sharedWith_;
};

// Seconds of a file time as an entry keeps them: the low 32 bits, signed.
std::int32_t ToEntryTime(std::int64_t seconds);

// `path` with its leading folder `from` replaced by the folder `to`, or nullopt when `path`
// does not begin with `from` followed by a separator. Whole components only (/media/usb does
// not begin /media/usb2/a); ASCII letter case is ignored; trailing separators of either folder
// do not count, so "/" and "" both stand for the root, which begins every absolute path.
std::optional<std::string> ReplaceLeadingFolder(std::string_view path, std::string_view from,
                                                std::string_view to);

}  // namespace bh
