#pragma once

#include <cerrno>
#include <memory>
#include <string>

#include "core/document/FileEntry.h"
#include "core/ports/FileSystem.h"
#include "core/ports/Shell.h"

namespace bh::test {

// A file system in which nothing exists: entries made over it are red (source missing).
class NothingThereFileSystem : public FileSystem {
  public:
    ErrorCode GetAttributes(const std::string&, FileAttributes&) override { return Fail(); }
    PathKind Lookup(const std::string&) override { return PathKind::None; }
    ErrorCode Copy(const std::string&, const std::string&, bool) override { return Fail(); }
    ErrorCode Remove(const std::string&) override { return Fail(); }
    ErrorCode CreateEmpty(const std::string&) override { return Fail(); }
    ErrorCode ReadAll(const std::string&, std::string& bytes) override {
        bytes.clear();
        return Fail();
    }
    ErrorCode WriteAtomicallyFrom(const std::string&, const ChunkSource&) override {
        return Fail();
    }
    ErrorCode ListFolder(const std::string&, std::vector<FolderItem>& items) override {
        items.clear();
        return Fail();
    }
    ErrorCode CreateFolders(const std::string&) override { return Fail(); }
    ErrorCode MoveWithoutReplacing(const std::string&, const std::string&) override {
        return Fail();
    }
    bool IsSameFile(const std::string&, const std::string&) override { return false; }
    std::size_t PathLimitBytes() const override { return 4096; }
    ErrorCode PathTooLongError() const override { return ErrorCode(ENAMETOOLONG); }

  private:
    static ErrorCode Fail() { return ErrorCode(ENOENT); }
};

class NoIconShell : public Shell {
  public:
    std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string&) override {
        return nullptr;
    }
    ErrorCode OpenFile(const std::string&, const std::string&) override { return kNoError; }
    ErrorCode OpenAddress(const std::string&) override { return kNoError; }
    RevealResult RevealFile(const std::string&) override { return RevealResult::Shown; }
};

inline std::unique_ptr<CFileEntry> MakeEntry(const std::string& source, EntryState state,
                                             std::uint32_t size = 0) {
    NothingThereFileSystem fileSystem;
    NoIconShell shell;
    auto entry = std::make_unique<CFileEntry>(source, source + ".arc", "", shell, fileSystem);
    entry->SetState(state);
    entry->sourceSize = size;
    return entry;
}

}  // namespace bh::test
