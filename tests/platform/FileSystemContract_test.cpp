// The behaviour every FileSystem must share, run against the real file system of the system
// (POSIX or Windows) in a temporary folder and against the in-memory one the other tests rely
// on. Where the systems name an error differently, each backend says which code it gives.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/document/FileEntry.h"
#include "core/ports/LastError.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"
#include "support/TempDir.h"
#ifdef _WIN32
#include "platform/win32/Win32FileSystem.h"
#else
#include "platform/posix/PosixFileSystem.h"
#endif

namespace bh {
namespace {

constexpr std::int64_t kTime = 1700000000;

// Makes the next `count` copy attempts from `from` see it grow by one byte after their data
// was copied, as a program writing to it at that moment would.
template <typename RealFileSystem>
void AppendDuringCopies(RealFileSystem& fs, const std::string& from, int& changesLeft) {
    fs.SetAfterDataCopyForTests([from, &changesLeft](const std::string& path) {
        if (path == from && changesLeft > 0) {
            --changesLeft;
            std::ofstream(path, std::ios::binary | std::ios::app) << "+";
        }
    });
}

#ifndef _WIN32
// Real files; a "disk full" is a file size limit for the process, so the kernel fails the
// write part way (EFBIG) exactly as a full disk would.
class PosixBackend {
  public:
    static constexpr ErrorCode kMissing{ENOENT};
    static constexpr ErrorCode kMissingFolder{ENOENT};
    static constexpr ErrorCode kExists{EEXIST};
    static constexpr ErrorCode kIsFolder{EISDIR};

    FileSystem& Fs() { return fs_; }
    std::string Root() const { return dir_.Path(); }
    void MakeFile(const std::string& path, const std::string& content, std::int64_t seconds) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        dir_.Write(path.substr(Root().size() + 1), content);
        ASSERT_TRUE(test::TempDir::SetTimes(path, seconds));
    }
    void MakeFolder(const std::string& path) { std::filesystem::create_directories(path); }
    std::string Read(const std::string& path) const { return test::TempDir::Read(path); }
    bool Exists(const std::string& path) const {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(Root())) {
            if (!item.is_directory()) {
                files.push_back(item.path().string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    // Writes beyond `bytes` into any file fail from now until RestoreWrites.
    void FailWritesBeyond(std::uint64_t bytes) {
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        limited_ = true;
    }
    void RestoreWrites() {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &saved_);
            limited_ = false;
        }
    }
    ~PosixBackend() { RestoreWrites(); }
    void ChangeSourceDuringCopies(const std::string& from, int count) {
        changesLeft_ = count;
        AppendDuringCopies(fs_, from, changesLeft_);
    }
    int ChangesLeft() const { return changesLeft_; }

  private:
    test::TempDir dir_;
    PosixFileSystem fs_;
    int changesLeft_ = 0;
    rlimit saved_{};
    bool limited_ = false;
};
using RealBackend = PosixBackend;

#else

// The Windows file system with a "disk full": every write that passes through the copy and
// save code fails beyond a file offset, after writing up to it.
class LimitedWin32FileSystem : public Win32FileSystem {
  public:
    std::uint64_t limit = UINT64_MAX;

  protected:
    DWORD WriteChunk(HANDLE file, const char* data, DWORD size) override {
        LARGE_INTEGER zero{};
        LARGE_INTEGER position{};
        if (!::SetFilePointerEx(file, zero, &position, FILE_CURRENT)) {
            return ::GetLastError();
        }
        const auto at = static_cast<std::uint64_t>(position.QuadPart);
        if (at + size <= limit) {
            return Win32FileSystem::WriteChunk(file, data, size);
        }
        if (at < limit) {
            Win32FileSystem::WriteChunk(file, data, static_cast<DWORD>(limit - at));
        }
        return ERROR_DISK_FULL;
    }
};

class Win32Backend {
  public:
    static constexpr ErrorCode kMissing{ERROR_FILE_NOT_FOUND};
    static constexpr ErrorCode kMissingFolder{ERROR_PATH_NOT_FOUND};
    static constexpr ErrorCode kExists{ERROR_FILE_EXISTS};
    static constexpr ErrorCode kIsFolder{ERROR_ACCESS_DENIED};

    FileSystem& Fs() { return fs_; }
    std::string Root() const { return dir_.Path(); }
    void MakeFile(const std::string& path, const std::string& content, std::int64_t seconds) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        dir_.Write(path.substr(Root().size() + 1), content);
        ASSERT_TRUE(test::TempDir::SetTimes(path, seconds));
    }
    void MakeFolder(const std::string& path) { std::filesystem::create_directories(path); }
    std::string Read(const std::string& path) const { return test::TempDir::Read(path); }
    bool Exists(const std::string& path) const {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Spelled as the tests build paths: the root, then '/' between the parts.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(Root())) {
            if (!item.is_directory()) {
                const auto relative = std::filesystem::relative(item.path(), Root());
                files.push_back(Root() + "/" + relative.generic_string());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }
    void FailWritesBeyond(std::uint64_t bytes) { fs_.limit = bytes; }
    void RestoreWrites() { fs_.limit = UINT64_MAX; }
    void ChangeSourceDuringCopies(const std::string& from, int count) {
        changesLeft_ = count;
        AppendDuringCopies(fs_, from, changesLeft_);
    }
    int ChangesLeft() const { return changesLeft_; }

  private:
    test::TempDir dir_;
    LimitedWin32FileSystem fs_;
    int changesLeft_ = 0;
};
using RealBackend = Win32Backend;

#endif

class MemoryBackend {
  public:
    static constexpr ErrorCode kMissing{ENOENT};
    static constexpr ErrorCode kMissingFolder{ENOENT};
    static constexpr ErrorCode kExists{EEXIST};
    static constexpr ErrorCode kIsFolder{EISDIR};

    FileSystem& Fs() { return fs_; }
    std::string Root() const { return "/data"; }
    void MakeFile(const std::string& path, const std::string& content, std::int64_t seconds) {
        fs_.AddFile(path, content, seconds);
    }
    void MakeFolder(const std::string& path) { fs_.AddFolder(path); }
    std::string Read(const std::string& path) const { return fs_.Content(path); }
    bool Exists(const std::string& path) const { return fs_.Exists(path); }
    std::vector<std::string> Files() const { return fs_.Paths(); }
    void FailWritesBeyond(std::uint64_t bytes) {
        fs_.InjectFailure({FsOperation::CopyWrite, "", ErrorCode(ENOSPC), bytes, -1});
        fs_.InjectFailure({FsOperation::WriteAtomically, "", ErrorCode(ENOSPC), bytes, -1});
    }
    void RestoreWrites() { fs_.ClearFailures(); }
    void ChangeSourceDuringCopies(const std::string& from, int count) {
        changesLeft_ = count;
        fs_.SetBeforeCall([this, from](FsOperation operation, const std::string&) {
            if (operation == FsOperation::CopyWrite && changesLeft_ > 0) {
                --changesLeft_;
                fs_.SetContent(from, fs_.Content(from) + "+");
                fs_.SetLastWriteNs(from, fs_.LastWriteNs(from) + 1);
            }
        });
    }
    int ChangesLeft() const { return changesLeft_; }

  private:
    MemoryFileSystem fs_;
    int changesLeft_ = 0;
};

template <typename Backend>
class FileSystemContract : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = backend_.Root();
        backend_.MakeFolder(root_ + "/dir");
        SetLastError(kNoError);
    }
    std::string P(const std::string& name) const { return root_ + "/" + name; }
    FileSystem& fs() { return backend_.Fs(); }
    bool NoTempFiles() const {
        const auto files = backend_.Files();
        return std::none_of(files.begin(), files.end(), [](const std::string& f) {
            return f.size() >= 4 && f.compare(f.size() - 4, 4, ".tmp") == 0;
        });
    }

    Backend backend_;
    std::string root_;
};

using Backends = ::testing::Types<RealBackend, MemoryBackend>;
TYPED_TEST_SUITE(FileSystemContract, Backends);

TYPED_TEST(FileSystemContract, AttributesOfFileFolderAndMissingPath) {
    this->backend_.MakeFile(this->P("dir/a.txt"), "hello", kTime);

    FileAttributes file;
    ASSERT_EQ(this->fs().GetAttributes(this->P("dir/a.txt"), file), kNoError);
    EXPECT_EQ(file.size, 5u);
    EXPECT_EQ(file.lastWriteSeconds, kTime);

    FileAttributes folder;
    EXPECT_EQ(this->fs().GetAttributes(this->P("dir"), folder), kNoError);

    FileAttributes missing{77, 88};
    EXPECT_EQ(this->fs().GetAttributes(this->P("dir/none.txt"), missing), TypeParam::kMissing);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(missing.size, 77u);
    EXPECT_EQ(missing.lastWriteSeconds, 88);

    EXPECT_EQ(this->fs().Lookup(this->P("dir/a.txt")), PathKind::File);
    EXPECT_EQ(this->fs().Lookup(this->P("dir")), PathKind::Folder);
    EXPECT_EQ(this->fs().Lookup(this->P("dir/none.txt")), PathKind::None);
}

TYPED_TEST(FileSystemContract, CopyOverwritesOrRefusesAnExistingDestination) {
    const std::string from = this->P("dir/a.txt");
    const std::string to = this->P("dir/b.txt");
    this->backend_.MakeFile(from, "new content", kTime);
    this->backend_.MakeFile(to, "old", kTime - 100);

    EXPECT_EQ(this->fs().Copy(from, to, true), TypeParam::kExists);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(this->backend_.Read(to), "old");

    SetLastError(kNoError);
    ASSERT_EQ(this->fs().Copy(from, to, false), kNoError);
    EXPECT_EQ(GetLastError(), kNoError);
    EXPECT_EQ(this->backend_.Read(to), "new content");
    EXPECT_EQ(this->backend_.Read(from), "new content");

    ASSERT_EQ(this->fs().Copy(from, this->P("dir/c.txt"), true), kNoError);
    EXPECT_EQ(this->backend_.Read(this->P("dir/c.txt")), "new content");
    EXPECT_TRUE(this->NoTempFiles());
}

TYPED_TEST(FileSystemContract, CopiedArchiveIsUpToDateWithItsSource) {
    const std::string from = this->P("dir/report.doc");
    const std::string to = this->P("dir/report.doc.arc");
    this->backend_.MakeFile(from, std::string(70000, 'x'), kTime + 3);
    RecordingShell shell;
    CFileEntry entry(from, to, "", shell, this->fs());
    ASSERT_EQ(entry.result, kResultArchiveFailed);

    ASSERT_EQ(this->fs().Copy(from, to, false), kNoError);
    entry.EvaluateStatus(this->fs());
    EXPECT_EQ(entry.result, kResultOk);
    EXPECT_EQ(entry.textColor, kColorUpToDate);
    EXPECT_EQ(entry.archiveSize, 70000u);
    EXPECT_EQ(entry.archiveTime, entry.sourceTime);
    EXPECT_EQ(this->backend_.Read(to), std::string(70000, 'x'));
}

TYPED_TEST(FileSystemContract, CopyFailuresLeaveNothingBehind) {
    const std::string from = this->P("dir/a.txt");
    this->backend_.MakeFile(from, "data", kTime);
    this->backend_.MakeFolder(this->P("dir/sub"));

    EXPECT_EQ(this->fs().Copy(from, this->P("nowhere/a.txt"), false), TypeParam::kMissingFolder);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_FALSE(this->backend_.Exists(this->P("nowhere")));

    SetLastError(kNoError);
    EXPECT_EQ(this->fs().Copy(this->P("dir/gone.txt"), this->P("dir/b.txt"), false),
              TypeParam::kMissing);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_FALSE(this->backend_.Exists(this->P("dir/b.txt")));

    EXPECT_EQ(this->fs().Copy(from, this->P("dir/sub"), false), TypeParam::kIsFolder);
    EXPECT_EQ(this->fs().Lookup(this->P("dir/sub")), PathKind::Folder);
    EXPECT_NE(this->fs().Copy(this->P("dir/sub"), this->P("dir/c.txt"), false), kNoError);
    EXPECT_FALSE(this->backend_.Exists(this->P("dir/c.txt")));

    EXPECT_EQ(this->backend_.Files(), std::vector<std::string>{from});
}

TYPED_TEST(FileSystemContract, FailureMidCopyKeepsThePreviousDestination) {
    const std::string from = this->P("dir/big.bin");
    const std::string to = this->P("dir/big.arc");
    this->backend_.MakeFile(from, std::string(256 * 1024, 'n'), kTime);
    this->backend_.MakeFile(to, "previous archive", kTime - 50);

    this->backend_.FailWritesBeyond(64 * 1024);
    const ErrorCode code = this->fs().Copy(from, to, false);
    this->backend_.RestoreWrites();

    EXPECT_NE(code, kNoError);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(this->backend_.Read(to), "previous archive");
    EXPECT_TRUE(this->NoTempFiles());

    // The limit only stops data beyond it.
    this->backend_.FailWritesBeyond(64 * 1024);
    this->backend_.MakeFile(this->P("dir/small.txt"), "small", kTime);
    const ErrorCode small = this->fs().Copy(this->P("dir/small.txt"), to, false);
    this->backend_.RestoreWrites();
    EXPECT_EQ(small, kNoError);
    EXPECT_EQ(this->backend_.Read(to), "small");
}

TYPED_TEST(FileSystemContract, ASourceChangingWhileCopiedIsCopiedAgainOrNotAtAll) {
    const std::string from = this->P("dir/a.txt");
    const std::string to = this->P("dir/a.arc");
    this->backend_.MakeFile(from, "version 1", kTime);
    this->backend_.MakeFile(to, "old archive", kTime - 100);

    // Changed while the first attempt read it: the next attempt copies the final version.
    this->backend_.ChangeSourceDuringCopies(from, 1);
    ASSERT_EQ(this->fs().Copy(from, to, false), kNoError);
    EXPECT_EQ(this->backend_.ChangesLeft(), 0);
    EXPECT_EQ(this->backend_.Read(to), "version 1+");
    FileAttributes source;
    FileAttributes archive;
    ASSERT_EQ(this->fs().GetAttributes(from, source), kNoError);
    ASSERT_EQ(this->fs().GetAttributes(to, archive), kNoError);
    EXPECT_EQ(archive.size, source.size);
    EXPECT_EQ(archive.lastWriteSeconds, source.lastWriteSeconds);
    EXPECT_TRUE(this->NoTempFiles());

    // Changed during every attempt: nothing is published, the old archive stays as it was.
    this->backend_.MakeFile(to, "old archive", kTime - 100);
    this->backend_.ChangeSourceDuringCopies(from, 100);
    SetLastError(kNoError);
    EXPECT_EQ(this->fs().Copy(from, to, false), kErrorSourceChanged);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_LT(this->backend_.ChangesLeft(), 99) << "the copy was tried again";
    EXPECT_GT(this->backend_.ChangesLeft(), 90) << "a few times, not without end";
    EXPECT_EQ(this->backend_.Read(to), "old archive");
    ASSERT_EQ(this->fs().GetAttributes(to, archive), kNoError);
    EXPECT_EQ(archive.lastWriteSeconds, kTime - 100);
    EXPECT_EQ(this->fs().Copy(from, this->P("dir/new.arc"), true), kErrorSourceChanged);
    EXPECT_FALSE(this->backend_.Exists(this->P("dir/new.arc")));
    EXPECT_TRUE(this->NoTempFiles());

    // Once the source is left alone it is copied as it then is.
    this->backend_.ChangeSourceDuringCopies(from, 0);
    const std::string final = this->backend_.Read(from);
    ASSERT_EQ(this->fs().Copy(from, to, false), kNoError);
    EXPECT_EQ(this->backend_.Read(to), final);
}

TYPED_TEST(FileSystemContract, RemoveAndCreateEmpty) {
    const std::string path = this->P("dir/a.txt");
    this->backend_.MakeFile(path, "content", kTime);

    ASSERT_EQ(this->fs().CreateEmpty(path), kNoError);
    FileAttributes attributes;
    ASSERT_EQ(this->fs().GetAttributes(path, attributes), kNoError);
    EXPECT_EQ(attributes.size, 0u);

    ASSERT_EQ(this->fs().CreateEmpty(this->P("dir/new.txt")), kNoError);
    EXPECT_EQ(this->fs().Lookup(this->P("dir/new.txt")), PathKind::File);
    EXPECT_EQ(this->fs().CreateEmpty(this->P("nowhere/x.txt")), TypeParam::kMissingFolder);

    ASSERT_EQ(this->fs().Remove(path), kNoError);
    EXPECT_EQ(this->fs().Lookup(path), PathKind::None);
    SetLastError(kNoError);
    EXPECT_EQ(this->fs().Remove(path), TypeParam::kMissing);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_NE(this->fs().Remove(this->P("dir")), kNoError);
    EXPECT_EQ(this->fs().Lookup(this->P("dir")), PathKind::Folder);
}

TYPED_TEST(FileSystemContract, WholeFileReadAndAtomicWrite) {
    const std::string path = this->P("dir/manager.bak");
    std::string bytes(
        "\x15"
        "Brackenhold\0binary",
        19);
    ASSERT_EQ(this->fs().WriteAtomically(path, bytes), kNoError);
    std::string read;
    ASSERT_EQ(this->fs().ReadAll(path, read), kNoError);
    EXPECT_EQ(read, bytes);

    ASSERT_EQ(this->fs().WriteAtomically(path, "second"), kNoError);
    ASSERT_EQ(this->fs().ReadAll(path, read), kNoError);
    EXPECT_EQ(read, "second");

    read = "stale";
    EXPECT_EQ(this->fs().ReadAll(this->P("dir/none.bak"), read), TypeParam::kMissing);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(this->fs().ReadAll(this->P("dir"), read), TypeParam::kIsFolder);
    EXPECT_EQ(this->fs().WriteAtomically(this->P("dir"), "x"), TypeParam::kIsFolder);
    EXPECT_EQ(this->fs().WriteAtomically(this->P("nowhere/m.bak"), "x"), TypeParam::kMissingFolder);
    EXPECT_TRUE(this->NoTempFiles());
}

TYPED_TEST(FileSystemContract, FailedAtomicWriteLeavesTheOldFile) {
    const std::string path = this->P("dir/manager.bak");
    ASSERT_EQ(this->fs().WriteAtomically(path, "old manager"), kNoError);

    this->backend_.FailWritesBeyond(1024);
    const ErrorCode code = this->fs().WriteAtomically(path, std::string(8192, 'm'));
    this->backend_.RestoreWrites();

    EXPECT_NE(code, kNoError);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(this->backend_.Read(path), "old manager");
    EXPECT_TRUE(this->NoTempFiles());
}

// The save streams a manager through one reused buffer: the parts must land in order, each
// call must start from an empty buffer, and a disk that fills up in a later part must leave
// the old file and no temporary one.
TYPED_TEST(FileSystemContract, AtomicWriteFromChunksJoinsThemAndFailsSafely) {
    const std::string path = this->P("dir/manager.bak");
    ASSERT_EQ(this->fs().WriteAtomically(path, "old manager"), kNoError);
    const auto parts = [](int count, std::string* expected) {
        return [count, expected, made = 0](std::string& chunk) mutable {
            EXPECT_TRUE(chunk.empty()) << "part " << made << " did not start empty";
            chunk.assign(300, static_cast<char>('a' + made % 26));
            if (expected != nullptr) {
                *expected += chunk;
            }
            return ++made < count;
        };
    };
    std::string expected;
    ASSERT_EQ(this->fs().WriteAtomicallyFrom(path, parts(5, &expected)), kNoError);
    EXPECT_EQ(expected.size(), 1500u);
    EXPECT_EQ(this->backend_.Read(path), expected);

    this->backend_.FailWritesBeyond(1024);
    const ErrorCode code = this->fs().WriteAtomicallyFrom(path, parts(30, nullptr));
    this->backend_.RestoreWrites();
    EXPECT_NE(code, kNoError);
    EXPECT_EQ(this->backend_.Read(path), expected);
    EXPECT_TRUE(this->NoTempFiles());
}

TYPED_TEST(FileSystemContract, SameFileWhateverTheSpelling) {
    this->backend_.MakeFile(this->P("dir/a.txt"), "a", kTime);
    this->backend_.MakeFile(this->P("dir/b.txt"), "a", kTime);

    EXPECT_TRUE(this->fs().IsSameFile(this->P("dir/./a.txt"), this->P("dir/a.txt")));
    EXPECT_TRUE(this->fs().IsSameFile(this->P("dir//a.txt"), this->P("dir/../dir/a.txt")));
    EXPECT_FALSE(this->fs().IsSameFile(this->P("dir/a.txt"), this->P("dir/b.txt")));
    EXPECT_FALSE(this->fs().IsSameFile(this->P("dir/a.txt"), this->P("dir/none.txt")));
    EXPECT_FALSE(this->fs().IsSameFile(this->P("dir/none.txt"), this->P("dir/none.txt")));
}

TYPED_TEST(FileSystemContract, FoldersAreListedCreatedAndFilesMovedWithoutReplacing) {
    FileSystem& fs = this->fs();
    this->backend_.MakeFile(this->P("dir/a.txt"), "a", kTime);
    this->backend_.MakeFile(this->P("dir/sub/b.txt"), "b", kTime);

    std::vector<FileSystem::FolderItem> items;
    ASSERT_EQ(fs.ListFolder(this->P("dir"), items), kNoError);
    std::sort(items.begin(), items.end(),
              [](const auto& x, const auto& y) { return x.name < y.name; });
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "a.txt");
    EXPECT_EQ(items[0].kind, FileSystem::ItemKind::File);
    EXPECT_EQ(items[1].name, "sub");
    EXPECT_EQ(items[1].kind, FileSystem::ItemKind::Folder);
    EXPECT_NE(fs.ListFolder(this->P("dir/none"), items), kNoError);
    EXPECT_TRUE(items.empty());
    EXPECT_NE(fs.ListFolder(this->P("dir/a.txt"), items), kNoError);

    // Every missing level is made; an existing folder is fine, a file in the way is not.
    ASSERT_EQ(fs.CreateFolders(this->P("dir/new/deeper/deepest")), kNoError);
    EXPECT_EQ(fs.Lookup(this->P("dir/new/deeper/deepest")), PathKind::Folder);
    EXPECT_EQ(fs.CreateFolders(this->P("dir/new")), kNoError);
    EXPECT_NE(fs.CreateFolders(this->P("dir/a.txt")), kNoError);
    EXPECT_NE(fs.CreateFolders(this->P("dir/a.txt/below")), kNoError);

    // A move into another folder keeps the bytes; one onto an existing name changes nothing.
    ASSERT_EQ(fs.MoveWithoutReplacing(this->P("dir/a.txt"), this->P("dir/new/a1.txt")), kNoError);
    EXPECT_EQ(fs.Lookup(this->P("dir/a.txt")), PathKind::None);
    EXPECT_EQ(this->backend_.Read(this->P("dir/new/a1.txt")), "a");
    EXPECT_NE(fs.MoveWithoutReplacing(this->P("dir/sub/b.txt"), this->P("dir/new/a1.txt")),
              kNoError);
    EXPECT_EQ(this->backend_.Read(this->P("dir/sub/b.txt")), "b");
    EXPECT_EQ(this->backend_.Read(this->P("dir/new/a1.txt")), "a");
    EXPECT_NE(fs.MoveWithoutReplacing(this->P("dir/none.txt"), this->P("dir/new/c.txt")), kNoError);
}

}  // namespace
}  // namespace bh
