#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/document/FileEntry.h"
#include "core/document/ManagerList.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"

namespace bh::test {

// Entries for the view's tests: made over an empty in-memory disk (so every source is
// missing at first), then given the status fields a test needs.
class ViewEntries {
  public:
    CFileEntry& Make(const std::string& sourcePath, const std::string& archivePath = "",
                     const std::string& notes = "") {
        entries_.push_back(
            std::make_unique<CFileEntry>(sourcePath, archivePath, notes, shell_, fileSystem_));
        return *entries_.back();
    }

    // An entry whose source was found with the given size and time.
    CFileEntry& MakeFound(const std::string& sourcePath, std::uint32_t size,
                          std::int32_t sourceTime) {
        CFileEntry& entry = Make(sourcePath, sourcePath + ".arc");
        entry.sourceSize = size;
        entry.sourceTime = sourceTime;
        entry.lastError = 0;
        entry.result = kResultOk;
        entry.SetState(EntryState::UpToDate);
        return entry;
    }

    // Hands an entry made here on; null when it was not made here or was handed on already.
    std::unique_ptr<CFileEntry> Take(CFileEntry& entry) {
        for (auto& owned : entries_) {
            if (owned.get() == &entry) {
                return std::move(owned);
            }
        }
        ADD_FAILURE() << "the entry was not made here or was handed on already";
        return nullptr;
    }
    // Hands an entry made here to the list, appended as its last row.
    CFileEntry& MoveTo(ManagerList& rows, CFileEntry& entry) { return rows.Append(Take(entry)); }

  private:
    MemoryFileSystem fileSystem_;
    RecordingShell shell_;
    std::vector<std::unique_ptr<CFileEntry>> entries_;
};

}  // namespace bh::test
