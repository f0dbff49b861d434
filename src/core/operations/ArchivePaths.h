#pragma once

namespace bh {

class CBrackenholdDoc;
class Volumes;

inline constexpr const char* kRenameDriveCaption = "Change Archive Drive Letter";
inline constexpr const char* kRenameDriveRetryText = "Enter a single letter for the drive!";
// The retry text where paths have no drive letters (Volumes.h).
inline constexpr const char* kRenameFolderRetryText =
    "Enter an absolute folder, such as /media/backup!";
inline constexpr const char* kMovePathPrompt = "Move Archive to new Folder and/or change Filename";
inline constexpr const char* kMovePathCaption = "Move Archive's File";
inline constexpr const char* kAdditionalPathPrompt = "Enter Additional Archive Path";
inline constexpr const char* kAdditionalPathCaption = "Additional Backup to Different Path";

// Rename Drive: asks for a drive letter (retrying with a beep until the answer is one letter)
// and gives every selected entry's archive that drive, deselecting its row; marks the
// document modified. No file is touched.
// With `volumes` that have no drive letters (POSIX, see Volumes.h) it asks instead for the
// folder that replaces the first selected archive's mount point (retrying with a beep until
// the answer is an absolute folder) and changes every selected archive path that begins with
// that mount point, deselecting those rows. Null volumes mean drive letters.
// Returns true when archive paths were changed: the caller must then run Refresh All once
// this command has returned (the GUI queues it on its event loop), so that every entry is
// evaluated again. False: nothing changed.
[[nodiscard]] bool OnRenameDrive(CBrackenholdDoc& doc, Volumes* volumes = nullptr);

// Move Path: with exactly one row selected, asks for the new archive path, copies the
// archive there (asking before replacing), deletes the old archive unless the new path names
// the same file, retargets the entry and redraws its row. The entry is not evaluated.
void OnMovePath(CBrackenholdDoc& doc);

// Additional Path: with exactly one row selected, asks for a second archive path, copies the
// source there (asking before replacing) and adds an entry for the pair, appended to the
// entries and shown in a new row directly below the selected one.
void OnAdditionalPath(CBrackenholdDoc& doc);

}  // namespace bh
