#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliSession.h"
#include "core/base/ErrorText.h"
#include "core/operations/AddFiles.h"
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

int RunAdd(const std::vector<std::string>& args, CliSession& session) {
    if (args.size() < 2) {
        PrintUsage();
        return kExitUsage;
    }
    if (!session.Open(args[0])) {
        return kExitUsage;
    }
    bool allAdded = true;
    std::vector<std::string> created;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const AddFileResult result = AddFile(session.doc(), AbsolutePath(args[i]));
        if (result == AddFileResult::Added) {
            created.push_back(session.rows().Entry(session.rows().Count() - 1).archivePath);
            continue;
        }
        allAdded = false;
        std::string reason = std::string("not added: ") + AddFileResultText(result);
        if (result == AddFileResult::ArchiveNotCreated) {
            reason += ": " + GetLastErrorText(session.services().systemErrors);
        }
        PrintFileFailure(args[i], reason);
    }
    if (!created.empty() && !SaveDocumentFile(session.doc(), session.doc().PathName())) {
        // The failed save was reported and the exit is partial whether or not every empty
        // archive went; one left behind only moves the next add to a substitute name.
        IgnoreError(RemoveCreatedArchives(session.services().fileSystem, created));
        return kExitPartial;
    }
    return allAdded ? kExitOk : kExitPartial;
}

const bool registered = RegisterCliCommand({"add", "MANAGER FILE...", RunAdd});

}  // namespace

}  // namespace bh::cli
