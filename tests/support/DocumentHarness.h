#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/base/RecentFileList.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "core/ports/Services.h"
#include "core/view/RowTexts.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "platform/memory/ScriptedUserInterface.h"

namespace bh::test {

// What a user can see of a document: its entries, rows, path, title and modified flag.
struct DocumentState {
    std::vector<std::string> entries;  // "source|archive|notes" in display order
    std::vector<std::string> rows;     // sources in display order
    std::string path;
    std::string title;
    bool modified = false;

    bool operator==(const DocumentState&) const = default;
};

// A document over the in-memory ports, with the recent-file list attached.
class DocumentHarness {
  public:
    DocumentHarness() { MakeDocument(); }

    void MakeDocument() {
        doc.reset();
        doc = std::make_unique<CBrackenholdDoc>(services, &recent, "./");
    }

    ManagerList& rows() const { return doc->rows(); }
    std::string CellText(int row, int column) const {
        return bh::CellText(rows(), row, column, clock, errors);
    }

    // Writes a manager file holding the records.
    void WriteManager(const std::string& path, const std::vector<ManagerRecord>& records) {
        fs.AddFile(path, EncodeManager(records));
    }

    DocumentState State() const {
        DocumentState state;
        for (int row = 0; row < rows().Count(); ++row) {
            const CFileEntry& entry = rows().Entry(row);
            state.entries.push_back(entry.sourcePath + "|" + entry.archivePath + "|" + entry.notes);
            state.rows.push_back(entry.sourcePath);
        }
        state.path = doc->PathName();
        state.title = doc->Title();
        state.modified = doc->IsModified();
        return state;
    }

    // Confirms the next file dialog with one path.
    void ChooseFile(const std::string& path) {
        FileDialogResult result;
        result.confirmed = true;
        result.paths = {path};
        ui.QueueFileDialog(result);
    }

    MemoryFileSystem fs;
    RecordingShell shell;
    ScriptedUserInterface ui;
    MemorySettingsStore settings;
    FixedClock clock{1'700'000'000};
    FakeSystemErrors errors;
    Services services{fs, shell, ui, settings, clock, errors};
    RecentFileList recent;
    std::unique_ptr<CBrackenholdDoc> doc;
};

}  // namespace bh::test
