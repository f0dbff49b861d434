// The behaviour every FileSystem must share, run against the real POSIX file system in a
// temporary folder and against the in-memory one the other tests rely on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app/LastError.h"
#include "core/document/FileEntry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

constexpr std::int64_t kTime = 1700000000;

// Real files; a "disk full" is a file size limit for the process, so the kernel fails the
// write part way (EFBIG) exactly as a full disk would.
class PosixBackend {
  public:
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

  private:
    test::TempDir dir_;
    PosixFileSystem fs_;
    rlimit saved_{};
    bool limited_ = false;
};

class MemoryBackend {
  public:
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
        fs_.InjectFailure({FsOperation::CopyWrite, "", ENOSPC, bytes, -1});
        fs_.InjectFailure({FsOperation::WriteAtomically, "", ENOSPC, bytes, -1});
    }
    void RestoreWrites() { fs_.ClearFailures(); }

  private:
    MemoryFileSystem fs_;
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

using Backends = ::testing::Types<PosixBackend, MemoryBackend>;
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
    EXPECT_EQ(this->fs().GetAttributes(this->P("dir/none.txt"), missing), ErrorCode{ENOENT});
    EXPECT_EQ(GetLastError(), ErrorCode{ENOENT});
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

    EXPECT_EQ(this->fs().Copy(from, to, true), ErrorCode{EEXIST});
    EXPECT_EQ(GetLastError(), ErrorCode{EEXIST});
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

    EXPECT_EQ(this->fs().Copy(from, this->P("nowhere/a.txt"), false), ErrorCode{ENOENT});
    EXPECT_EQ(GetLastError(), ErrorCode{ENOENT});
    EXPECT_FALSE(this->backend_.Exists(this->P("nowhere")));

    SetLastError(kNoError);
    EXPECT_EQ(this->fs().Copy(this->P("dir/gone.txt"), this->P("dir/b.txt"), false),
              ErrorCode{ENOENT});
    EXPECT_EQ(GetLastError(), ErrorCode{ENOENT});
    EXPECT_FALSE(this->backend_.Exists(this->P("dir/b.txt")));

    EXPECT_EQ(this->fs().Copy(from, this->P("dir/sub"), false), ErrorCode{EISDIR});
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
    EXPECT_EQ(GetLastError(), code);
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

TYPED_TEST(FileSystemContract, RemoveAndCreateEmpty) {
    const std::string path = this->P("dir/a.txt");
    this->backend_.MakeFile(path, "content", kTime);

    ASSERT_EQ(this->fs().CreateEmpty(path), kNoError);
    FileAttributes attributes;
    ASSERT_EQ(this->fs().GetAttributes(path, attributes), kNoError);
    EXPECT_EQ(attributes.size, 0u);

    ASSERT_EQ(this->fs().CreateEmpty(this->P("dir/new.txt")), kNoError);
    EXPECT_EQ(this->fs().Lookup(this->P("dir/new.txt")), PathKind::File);
    EXPECT_EQ(this->fs().CreateEmpty(this->P("nowhere/x.txt")), ErrorCode{ENOENT});

    ASSERT_EQ(this->fs().Remove(path), kNoError);
    EXPECT_EQ(this->fs().Lookup(path), PathKind::None);
    SetLastError(kNoError);
    EXPECT_EQ(this->fs().Remove(path), ErrorCode{ENOENT});
    EXPECT_EQ(GetLastError(), ErrorCode{ENOENT});
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
    EXPECT_EQ(this->fs().ReadAll(this->P("dir/none.bak"), read), ErrorCode{ENOENT});
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(this->fs().ReadAll(this->P("dir"), read), ErrorCode{EISDIR});
    EXPECT_EQ(this->fs().WriteAtomically(this->P("dir"), "x"), ErrorCode{EISDIR});
    EXPECT_EQ(this->fs().WriteAtomically(this->P("nowhere/m.bak"), "x"), ErrorCode{ENOENT});
    EXPECT_TRUE(this->NoTempFiles());
}

TYPED_TEST(FileSystemContract, FailedAtomicWriteLeavesTheOldFile) {
    const std::string path = this->P("dir/manager.bak");
    ASSERT_EQ(this->fs().WriteAtomically(path, "old manager"), kNoError);

    this->backend_.FailWritesBeyond(1024);
    const ErrorCode code = this->fs().WriteAtomically(path, std::string(8192, 'm'));
    this->backend_.RestoreWrites();

    EXPECT_NE(code, kNoError);
    EXPECT_EQ(GetLastError(), code);
    EXPECT_EQ(this->backend_.Read(path), "old manager");
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

}  // namespace
}  // namespace bh
