#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliFailures.h"
#include "cli/CliRowArguments.h"
#include "cli/CliSession.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"

namespace bh::cli {

namespace {

// Removes the given rows from the manager and saves it; --delete-archives deletes their
// archive files as well.
int RunRemoveCommand(const std::vector<std::string>& args, CliSession& session) {
    std::string manager;
    bool deleteArchives = false;
    std::vector<std::string> rowWords;
    for (const std::string& arg : args) {
        if (arg == "--delete-archives") {
            deleteArchives = true;
        } else if (arg.starts_with("--")) {
            PrintUsage();
            return kExitUsage;
        } else if (manager.empty()) {
            manager = arg;
        } else {
            rowWords.push_back(arg);
        }
    }
    if (manager.empty() || rowWords.empty()) {
        PrintUsage();
        return kExitUsage;
    }
    if (!session.Open(manager)) {
        return kExitUsage;
    }
    std::vector<int> selected;
    if (!ParseRowNumbers(rowWords, session.rows().Count(), selected)) {
        return kExitUsage;
    }
    SelectOnly(session.rows(), selected);
    std::vector<ArchiveNotDeleted> notDeleted;
    RemoveSelectedEntries(session.doc(), deleteArchives, &notDeleted);
    for (const ArchiveNotDeleted& archive : notDeleted) {
        PrintFileFailure(archive.path, archive.error, session.services().systemErrors);
    }
    if (!SaveDocumentFile(session.doc(), session.doc().PathName())) {
        return kExitPartial;
    }
    return notDeleted.empty() ? kExitOk : kExitPartial;
}

const bool registered =
    RegisterCliCommand({"remove", "MANAGER ROW... [--delete-archives]", RunRemoveCommand});

}  // namespace

}  // namespace bh::cli
