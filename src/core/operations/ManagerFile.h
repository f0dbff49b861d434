#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/base/AppName.h"
#include "core/document/FileEntry.h"
#include "core/document/ManagerFileFormat.h"
#include "core/ports/ErrorCode.h"
#include "core/ports/Services.h"

namespace bh {

class CBrackenholdDoc;

inline constexpr const char* kOpenFailedText = "Failed to open document.";
inline constexpr const char* kSaveFailedText = "Failed to save document.";
inline constexpr const char* kOptionsUnreadableText =
    "The settings beside this manager could not be read; the defaults are used until a "
    "setting is changed.";
inline constexpr const char* kOptionsSaveFailedText =
    "The manager was saved, but the settings beside it could not be.";
inline constexpr const char* kNotManagerText = "This is not a Backup file!";
inline constexpr const char* kLocatingCaption = " Locating Files, Please Wait.";
inline constexpr const char* kSavingCaption = " Saving manager files";

// What reading a manager file into fresh entries found.
struct ManagerLoad {
    enum class Status { Ok, ReadFailed, NotManager, Truncated, Corrupt };
    Status status = Status::Ok;
    // The text shown after "Failed to open document." (ReadFailed, Truncated, Corrupt).
    std::string reason;
    std::vector<std::unique_ptr<CFileEntry>> entries;  // empty unless Ok
};

// Whether an open evaluates the entries it reads. A command that only changes the list and
// shows no status (the command line's add, import and remove) skips it: the file holds no
// status, so what it saves is the same either way.
enum class EntryEvaluation { Evaluate, Skip };

// Reads the file and, only when all of it parsed, constructs (and evaluates, unless told to
// skip it) one entry per record with the " Locating Files, Please Wait." progress. A
// zero-length file is an empty manager. Shows no message; nothing outside the result changes.
ManagerLoad LoadManagerFile(Services& services, const std::string& path,
                            EntryEvaluation evaluation = EntryEvaluation::Evaluate);

// The failed load of a file whose reading or parsing ended with `status` (not Ok); `readError`
// is the file's error for ReadFailed.
ManagerLoad FailedLoad(const Services& services, ManagerReadStatus status, ErrorCode readError);

// Shows the designed message of a failed load.
void ShowOpenFailure(UserInterface& ui, const ManagerLoad& load);

// Opens `path` as the document's manager: on success the entries are replaced, the modified
// flag is cleared, the path and title set, the view's initial update run and the entries that
// share an archive marked (MarkSharedArchives). An evaluating open records the evaluation in
// the document's EvaluationStamp, so that a backup right after it does not evaluate again. On
// failure the designed message is shown and the document is exactly as it was. Returns
// success.
bool OpenDocumentFile(CBrackenholdDoc& doc, const std::string& path,
                      EntryEvaluation evaluation = EntryEvaluation::Evaluate);

// Writes the rows' entries in display order to `path` atomically with the " Saving manager
// files" progress and clears the modified flag, holding the manager's lock (when the services
// have locks) for the write. On failure shows "Failed to save document." with the reason, or
// the lock's message when another program holds it or it cannot be taken; the old file and the
// flag stay. Does not change the path name.
// The manager's settings are written beside it when they changed (or the path is new); when
// only they fail, their message is shown, the save still counts and the document stays
// modified.
bool SaveDocumentFile(CBrackenholdDoc& doc, const std::string& path);

}  // namespace bh
