#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/document/BrackenholdDoc.h"
#include "core/document/FileEntry.h"
#include "platform/memory/ScriptedUserInterface.h"
#include "support/DocumentHarness.h"

namespace bh::test {

// A saved manager at /m/team.bak over the in-memory ports, with helpers to add entries and
// select rows.
class OperationsHarness : public DocumentHarness {
  public:
    static constexpr const char* kManager = "/m/team.bak";

    OperationsHarness() {
        fs.AddFolder("/m");
        fs.AddFolder("/src");
        fs.AddFolder("/arc");
        doc->SetPathName(kManager);
    }

    // Replaces the document by a fresh untitled one without rows.
    void MakeUntitled() { MakeDocument(); }

    // Adds an entry (evaluated at once) and its row.
    CFileEntry& Add(const std::string& source, const std::string& archive,
                    const std::string& notes = "") {
        return rows().Append(std::make_unique<CFileEntry>(source, archive, notes, shell, fs));
    }

    // Source /src/NAME with `content` written at `sourceTime`; archive /arc/NAME with
    // `archiveContent` at `archiveTime`.
    CFileEntry& AddPair(const std::string& name, const std::string& content,
                        std::int64_t sourceTime, const std::string& archiveContent,
                        std::int64_t archiveTime) {
        fs.AddFile("/src/" + name, content, sourceTime);
        fs.AddFile("/arc/" + name, archiveContent, archiveTime);
        return Add("/src/" + name, "/arc/" + name);
    }
    CFileEntry& AddOutOfDate(const std::string& name) {
        return AddPair(name, "new " + name, 2000, "old", 1000);
    }
    CFileEntry& AddUpToDate(const std::string& name) {
        return AddPair(name, "same", 2000, "same", 2000);
    }

    void Select(std::initializer_list<int> selected) {
        for (int row : selected) {
            rows().SetSelected(row, true);
        }
    }
    std::vector<int> SelectedRows() const {
        std::vector<int> out;
        for (int row = 0; row < rows().Count(); ++row) {
            if (rows().IsSelected(row)) {
                out.push_back(row);
            }
        }
        return out;
    }

    std::vector<UiCall> Boxes() const { return ui.MessageBoxes(); }
};

}  // namespace bh::test
