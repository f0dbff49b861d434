#include "core/view/SelectionCommands.h"

#include <string>

#include "core/base/AppName.h"
#include "core/base/ErrorText.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerList.h"
#include "core/ports/LastError.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "core/view/RowTexts.h"

namespace bh {

void OnSelectNone(ManagerList& rows) {
    for (int row = rows.NextSelected(-1); row >= 0;) {
        const int next = rows.NextSelected(row);
        rows.SetSelected(row, false);
        row = next;
    }
}

void OnSelectAll(ManagerList& rows) {
    const int count = rows.Count();
    for (int row = 0; row < count; ++row) {
        if (!rows.IsSelected(row)) {
            rows.SetSelected(row, true);
        }
    }
}

void OnEditSelectedNotes(CBrackenholdDoc& doc) {
    ManagerList& rows = doc.rows();
    const int first = rows.NextSelected(-1);
    if (first < 0) {
        return;
    }
    PromptRequest request;
    request.allowBrowse = false;
    request.editStyle = 0;
    request.caption = kEditNotesCaption;
    request.text =
        CellText(rows, first, kColumnNotes, doc.services().clock, doc.services().systemErrors);
    if (doc.services().ui.Prompt(request) != kIdOk) {
        return;
    }
    for (int row = first; row >= 0; row = rows.NextSelected(row)) {
        rows.Entry(row).notes = request.text;
        rows.UpdateCell(row, kColumnNotes);
    }
    doc.SetModifiedFlag(true);
}

void OnShowInExplorer(CBrackenholdDoc& doc, ExplorerTarget target) {
    const ManagerList& rows = doc.rows();
    const int first = rows.NextSelected(-1);
    std::string path;
    switch (target) {
        case ExplorerTarget::Source:
            path = first >= 0 ? CellText(rows, first, kColumnSourcePath, doc.services().clock,
                                         doc.services().systemErrors)
                              : "";
            break;
        case ExplorerTarget::Archive:
            path = first >= 0 ? CellText(rows, first, kColumnArchivePath, doc.services().clock,
                                         doc.services().systemErrors)
                              : "";
            break;
        case ExplorerTarget::Manager:
            path = doc.PathName();
            break;
    }
    if (path.empty()) {
        return;
    }
    const RevealResult result = doc.services().shell.RevealFile(path);
    if (result == RevealResult::Shown) {
        return;
    }
    doc.services().ui.MessageBox(
        result == RevealResult::Invalid ? kExplorerInvalidText : kExplorerNotFoundText,
        kOpenInExplorerCaption, kMbOk | kMbIconError);
}

void OnOpenSource(CBrackenholdDoc& doc) {
    const ManagerList& rows = doc.rows();
    const int first = rows.NextSelected(-1);
    if (first < 0) {
        return;
    }
    const std::string& source = rows.Entry(first).sourcePath;
    const std::string fileName = FileNameOf(source);
    Services& services = doc.services();
    if (const ErrorCode error = services.shell.OpenFile(fileName, FolderOf(source))) {
        SetLastError(error);
        services.ui.MessageBox(GetLastErrorText(services.systemErrors) + "\n\n" + fileName,
                               kAppName, kMbOk | kMbIconExclamation);
    }
}

}  // namespace bh
