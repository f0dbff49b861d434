#include "core/operations/AddFolderCommand.h"

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/AddFolder.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/SelectionCommands.h"

namespace bh {

namespace {

// Asks one folder with the prompt dialog and its "<" folder browser; false on Cancel or an
// empty answer.
bool AskFolder(UserInterface& ui, const char* prompt, const std::string& start,
               std::string& answer) {
    PromptRequest request;
    request.allowBrowse = true;
    request.caption = prompt;
    request.text = start;
    if (ui.Prompt(request) != kIdOk) {
        return false;
    }
    answer = TrimBlanks(request.text);
    return !answer.empty();
}

// Beside the manager, as Add Files puts archives, under the folder's name; when that is the
// folder itself (the manager lies beside it), under a name of its own.
std::string OfferedArchiveFolder(CBrackenholdDoc& doc, const std::string& folder) {
    const std::string source = WithoutTrailingSeparators(folder);
    const std::string offered = FolderOf(doc.PathName()) + FileNameOf(source);
    const bool same = offered == source || doc.services().fileSystem.IsSameFile(offered, source);
    return same ? offered + kOwnArchiveFolderSuffix : offered;
}

std::string CountLines(const AddFolderCounts& counts) {
    std::string text = Format("Files added: %d\nAlready in the backup manager: %d\n", counts.added,
                              counts.alreadyInManager);
    text +=
        Format("Skipped (links, special files): %d\nNot added: %d", counts.skipped, counts.failed);
    if (counts.notReached > 0) {
        text += Format("\nStopped before %d more files.", counts.notReached);
    }
    return text;
}

}  // namespace

std::string AddFolderSummary(const AddFolderResult& result) {
    std::string text = CountLines(result.counts);
    int shown = 0;
    int left = 0;
    for (const auto* notes : {&result.failed, &result.skipped}) {
        for (const PathNote& note : *notes) {
            if (shown == kAddFolderSummaryPaths) {
                ++left;
                continue;
            }
            text += (shown++ == 0 ? "\n\n" : "\n") + note.path + ": " + note.reason;
        }
    }
    if (left > 0) {
        text += Format("\n... and %d more.", left);
    }
    return text;
}

void OnAddFolder(CBrackenholdDoc& doc) {
    UserInterface& ui = doc.services().ui;
    OnSelectNone(doc.rows());
    std::string folder;
    if (!AskFolder(ui, kAddFolderSourcePrompt, doc.addDirStr, folder)) {
        return;
    }
    std::string archiveFolder;
    if (!AskFolder(ui, kAddFolderArchivePrompt, OfferedArchiveFolder(doc, folder), archiveFolder)) {
        return;
    }
    const AddFolderResult result = AddFolder(doc, folder, archiveFolder);
    if (result.outcome == AddFolderOutcome::Refused) {
        ui.MessageBox(result.refusal, kAddFolderCaption, kMbOk | kMbIconExclamation);
        return;
    }
    doc.addDirStr = WithoutTrailingSeparators(folder);
    if (!IsPathSeparator(doc.addDirStr.back())) {
        doc.addDirStr += SeparatorOf(folder);
    }
    const unsigned icon = result.counts.failed > 0 ? kMbIconExclamation : kMbIconInformation;
    ui.MessageBox(AddFolderSummary(result), kAddFolderCaption, kMbOk | icon);
}

}  // namespace bh
