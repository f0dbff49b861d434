#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/base/ErrorText.h"
#include "core/operations/AddFiles.h"
#include "core/operations/AddFolder.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/LastError.h"

namespace bh::cli {

namespace {

// Removes the empty archives this run created when the manager could not be saved: nothing
// refers to them, and left behind they would push the next add to "name[1].ext". An archive
// that is no longer empty was written by someone else since and stays. Returns the code of
// the last one that could not be removed (kNoError when every one went).
ErrorCode RemoveCreatedArchives(FileSystem& fileSystem, const std::vector<std::string>& archives) {
    ErrorCode last = kNoError;
    for (const std::string& archive : archives) {
        FileAttributes attributes;
        if (fileSystem.GetAttributes(archive, attributes) == kNoError && attributes.size == 0) {
            if (const ErrorCode error = fileSystem.Remove(archive)) {
                last = error;
            }
        }
    }
    return last;
}

struct AddRequest {
    std::string manager;
    std::vector<std::string> files;
    bool recursive = false;
};

void DeclareAdd(CLI::App& app, AddRequest& request) {
    app.add_flag("--recursive", request.recursive,
                 "add every regular file below FOLDER, its archive at the same relative path "
                 "below ARCHIVE-FOLDER");
    app.add_option("MANAGER", request.manager, "the manager to add the files to")->required();
    app.add_option("FILE", request.files,
                   "a file to back up (with --recursive: FOLDER ARCHIVE-FOLDER)")
        ->required();
}

// The added entries, named once the manager that holds them is saved.
void PrintAdded(const ManagerList& rows, int firstAdded) {
    for (int row = firstAdded; row < rows.Count(); ++row) {
        std::printf("added %s -> %s\n", TerminalText(rows.Entry(row).sourcePath).c_str(),
                    TerminalText(rows.Entry(row).archivePath).c_str());
    }
}

// Saves the manager when something was added; when it cannot be saved, the empty archives
// that were made for it go again. False when the save failed.
bool SaveAdded(CliSession& session, const std::vector<std::string>& created) {
    if (created.empty() || SaveDocumentFile(session.doc(), session.doc().PathName())) {
        return true;
    }
    // The failed save was reported and the exit is partial whether or not every empty
    // archive went; one left behind only moves the next add to a substitute name.
    IgnoreError(RemoveCreatedArchives(session.services().fileSystem, created));
    return false;
}

// A message box's text on one line: each run of line breaks becomes one space.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        if (c != '\n') {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    return line;
}

// add --recursive MANAGER FOLDER ARCHIVE-FOLDER.
int RunAddFolder(const AddRequest& request, CliSession& session) {
    if (request.files.size() != 2) {
        PrintError("add: --recursive takes exactly FOLDER and ARCHIVE-FOLDER after MANAGER");
        std::fputs("Run 'brackenhold-cli help add' for usage.\n", stderr);
        return kExitUsage;
    }
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    const int firstAdded = session.rows().Count();
    const AddFolderResult result =
        AddFolder(session.doc(), AbsolutePath(request.files[0]), AbsolutePath(request.files[1]));
    if (result.outcome == AddFolderOutcome::Refused) {
        PrintError("add: " + OneLine(result.refusal));
        return kExitUsage;
    }
    for (const auto* notes : {&result.skipped, &result.failed}) {
        for (const PathNote& note : *notes) {
            PrintFileFailure(note.path, note.reason);
        }
    }
    if (!SaveAdded(session, result.createdArchives)) {
        return kExitPartial;
    }
    if (session.verbose()) {
        PrintAdded(session.rows(), firstAdded);
    }
    return result.counts.failed > 0 ? kExitPartial : kExitOk;
}

int RunAdd(const AddRequest& request, CliSession& session) {
    if (request.recursive) {
        return RunAddFolder(request, session);
    }
    if (!session.Open(request.manager, EntryEvaluation::Skip)) {
        return kExitUsage;
    }
    bool allAdded = true;
    std::vector<std::string> created;
    const int firstAdded = session.rows().Count();
    for (const std::string& file : request.files) {
        const AddFileResult result = AddFile(session.doc(), AbsolutePath(file));
        if (result == AddFileResult::Added) {
            created.push_back(session.rows().Entry(session.rows().Count() - 1).archivePath);
            continue;
        }
        allAdded = false;
        std::string reason = std::string("not added: ") + AddFileResultText(result);
        if (result == AddFileResult::ArchiveNotCreated) {
            reason += ": " + GetLastErrorText(session.services().systemErrors);
        }
        PrintFileFailure(file, reason);
    }
    if (!SaveAdded(session, created)) {
        return kExitPartial;
    }
    if (session.verbose()) {
        PrintAdded(session.rows(), firstAdded);
    }
    return allAdded ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand(
    "add", "add files or a whole folder (each file gets an empty archive)", DeclareAdd, RunAdd);

}  // namespace

}  // namespace bh::cli
