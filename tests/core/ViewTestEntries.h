#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/document/FileEntry.h"
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

  private:
    MemoryFileSystem fileSystem_;
    RecordingShell shell_;
    std::vector<std::unique_ptr<CFileEntry>> entries_;
};

}  // namespace bh::test
