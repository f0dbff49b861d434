#include "platform/memory/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/document/FileEntry.h"
#include "core/ports/LastError.h"
#include "platform/memory/RecordingShell.h"

namespace bh {
namespace {

constexpr std::int64_t kNs = 1000000000;

bool HasTempFile(const MemoryFileSystem& fs) {
    for (const std::string& path : fs.Paths()) {
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".tmp") == 0) {
            return true;
        }
    }
    return false;
}

TEST(MemoryFileSystemTest, CoarseTimesRoundACopyUpNotDown) {
    MemoryFileSystem fs;
    fs.AddFile("/home/a.txt", "abc");
    fs.AddFolder("/fat");
    fs.SetTimeGranularity(2, "/fat");

    fs.SetLastWriteNs("/home/a.txt", 1001 * kNs + 300000000);
    ASSERT_EQ(fs.Copy("/home/a.txt", "/fat/a.txt", false), kNoError);
    EXPECT_EQ(fs.LastWriteNs("/fat/a.txt"), 1002 * kNs);
    RecordingShell shell;
    CFileEntry entry("/home/a.txt", "/fat/a.txt", "", shell, fs);
    EXPECT_EQ(entry.textColor, kColorUpToDate);

    // A time the file system can hold is kept as it is, also before 1970.
    fs.SetLastWrite("/home/a.txt", 1004);
    ASSERT_EQ(fs.Copy("/home/a.txt", "/fat/a.txt", false), kNoError);
    EXPECT_EQ(fs.LastWrite("/fat/a.txt"), 1004);
    fs.SetLastWriteNs("/home/a.txt", -3 * kNs - 1);
    ASSERT_EQ(fs.Copy("/home/a.txt", "/fat/a.txt", false), kNoError);
    EXPECT_EQ(fs.LastWriteNs("/fat/a.txt"), -2 * kNs);
    // Files outside the prefix keep exact times.
    ASSERT_EQ(fs.Copy("/home/a.txt", "/home/b.txt", false), kNoError);
    EXPECT_EQ(fs.LastWriteNs("/home/b.txt"), -3 * kNs - 1);
}

TEST(MemoryFileSystemTest, DiskFullAtByteKKeepsThePreviousArchive) {
    MemoryFileSystem fs;
    fs.AddFile("/src/a.txt", std::string(100, 's'), 500);
    fs.AddFile("/arc/a.txt", "previous", 400);
    fs.InjectFailure({FsOperation::CopyWrite, "/arc/", ErrorCode(ENOSPC), 40, 1});

    SetLastError(kNoError);
    EXPECT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), ErrorCode{ENOSPC});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(fs.Content("/arc/a.txt"), "previous");
    EXPECT_EQ(fs.LastWrite("/arc/a.txt"), 400);
    EXPECT_FALSE(HasTempFile(fs));

    // The fault was used up.
    ASSERT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), kNoError);
    EXPECT_EQ(fs.Content("/arc/a.txt"), std::string(100, 's'));
}

TEST(MemoryFileSystemTest, CopyGoesThroughATemporaryFileInTheDestinationFolder) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\Docs\\a.txt", "new", 10);
    fs.AddFile("E:\\Backups\\a.txt", "old", 5);
    std::vector<std::string> seenAtRename;
    fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::CopyRename) {
            seenAtRename = fs.Paths();
        }
    });
    fs.InjectFailure({FsOperation::CopyRename, "Backups", ErrorCode(EIO), 0, 1});

    EXPECT_EQ(fs.Copy("C:\\Docs\\a.txt", "E:\\Backups\\a.txt", false), ErrorCode{EIO});
    ASSERT_EQ(seenAtRename.size(), 3u);
    EXPECT_EQ(seenAtRename[1].rfind("E:/Backups/.a.txt.", 0), 0u) << seenAtRename[1];
    EXPECT_EQ(fs.Content("E:/Backups/a.txt"), "old");
    EXPECT_FALSE(HasTempFile(fs));

    ASSERT_EQ(fs.Copy("C:/Docs/a.txt", "E:/Backups/a.txt", false), kNoError);
    EXPECT_EQ(fs.Content("E:\\Backups\\a.txt"), "new");
    EXPECT_EQ(fs.Paths(), (std::vector<std::string>{"C:/Docs/a.txt", "E:/Backups/a.txt"}));
}

TEST(MemoryFileSystemTest, SourceVanishingBeforeTheCopyFails) {
    MemoryFileSystem fs;
    fs.AddFile("/src/a.txt", "data");
    fs.AddFolder("/arc");
    FileAttributes attributes;
    ASSERT_EQ(fs.GetAttributes("/src/a.txt", attributes), kNoError);
    fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (operation == FsOperation::Copy) {
            fs.Erase(path);
        }
    });
    EXPECT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), ErrorCode{ENOENT});
    EXPECT_FALSE(fs.Exists("/arc/a.txt"));
    EXPECT_EQ(fs.CountCalls(FsOperation::GetAttributes), 1);
    EXPECT_EQ(fs.CountCalls(FsOperation::Copy, "/src/"), 1);
    ASSERT_EQ(fs.Calls().size(), 2u);
    EXPECT_EQ(fs.Calls()[1].second, "/arc/a.txt");
}

TEST(MemoryFileSystemTest, ASourceChangedMidCopyIsReadAgainUntilTheAttemptsRunOut) {
    MemoryFileSystem fs;
    fs.AddFile("/src/a.txt", "v0", 100);
    fs.AddFile("/arc/a.txt", "old", 50);
    int reads = 0;
    int changes = 2;
    fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::CopyRead) {
            ++reads;
        } else if (operation == FsOperation::CopyWrite && changes > 0) {
            --changes;
            // The same size and time: only the bytes differ.
            fs.SetContent("/src/a.txt", "v" + std::to_string(2 - changes));
        }
    });
    ASSERT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), kNoError);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(fs.Content("/arc/a.txt"), "v2");
    EXPECT_EQ(fs.CountCalls(FsOperation::Copy), 1);

    // A last-write time moved on alone counts as well; the third changed attempt is the last.
    reads = 0;
    fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::CopyRead) {
            ++reads;
        } else if (operation == FsOperation::CopyWrite) {
            fs.SetLastWriteNs("/src/a.txt", fs.LastWriteNs("/src/a.txt") + 1);
        }
    });
    SetLastError(kNoError);
    EXPECT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), kErrorSourceChanged);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(fs.Content("/arc/a.txt"), "v2");
    EXPECT_FALSE(HasTempFile(fs));

    // Another file put in the source's place, or the source erased, while an attempt runs:
    // as on POSIX the attempt finishes with the file it opened.
    fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::CopyWrite) {
            fs.AddFile("/src/a.txt", "a new file", 900);
        }
    });
    ASSERT_EQ(fs.Copy("/src/a.txt", "/arc/a.txt", false), kNoError);
    EXPECT_EQ(fs.Content("/arc/a.txt"), "v2");
    fs.SetBeforeCall([&](FsOperation operation, const std::string&) {
        if (operation == FsOperation::CopyWrite) {
            fs.Erase("/src/a.txt");
        }
    });
    ASSERT_EQ(fs.Copy("/src/a.txt", "/arc/b.txt", false), kNoError);
    EXPECT_EQ(fs.Content("/arc/b.txt"), "a new file");
    EXPECT_EQ(fs.LastWrite("/arc/b.txt"), 900);
}

TEST(MemoryFileSystemTest, EachFileHasAnIdentityOfItsOwnThatLinksShare) {
    MemoryFileSystem fs;
    fs.AddFile("/a/one.txt", "1");
    fs.AddFile("/a/two.txt", "2");
    fs.AddLink("/a/one.txt", "/b/link.txt");
    const auto identity = [&](const std::string& path) {
        FileAttributes attributes;
        EXPECT_EQ(fs.GetAttributes(path, attributes), kNoError) << path;
        EXPECT_TRUE(attributes.HasIdentity()) << path;
        return std::make_pair(attributes.device, attributes.inode);
    };
    const auto one = identity("/a/one.txt");
    EXPECT_EQ(identity("/b/../b/link.txt"), one);
    EXPECT_NE(identity("/a/two.txt"), one);
    // Truncating keeps the file; a copy or an atomic write over a name makes a new one.
    ASSERT_EQ(fs.CreateEmpty("/a/one.txt"), kNoError);
    EXPECT_EQ(identity("/a/one.txt"), one);
    ASSERT_EQ(fs.Copy("/a/two.txt", "/b/link.txt", false), kNoError);
    EXPECT_NE(identity("/b/link.txt"), one);
    EXPECT_NE(identity("/b/link.txt"), identity("/a/two.txt"));
    EXPECT_EQ(identity("/a/one.txt"), one);
    const auto two = identity("/a/two.txt");
    ASSERT_EQ(fs.WriteAtomically("/a/two.txt", "saved"), kNoError);
    EXPECT_NE(identity("/a/two.txt"), two);
}

TEST(MemoryFileSystemTest, FaultsMatchOperationPathAndCount) {
    MemoryFileSystem fs;
    fs.AddFile("/a/one.txt", "1");
    fs.AddFile("/a/two.txt", "2");
    fs.InjectFailure({FsOperation::GetAttributes, "two", ErrorCode(EACCES), 0, 2});
    FileAttributes attributes;
    EXPECT_EQ(fs.GetAttributes("/a/one.txt", attributes), kNoError);
    EXPECT_EQ(fs.GetAttributes("/a/two.txt", attributes), ErrorCode{EACCES});
    EXPECT_EQ(fs.GetAttributes("/a/two.txt", attributes), ErrorCode{EACCES});
    EXPECT_EQ(fs.GetAttributes("/a/two.txt", attributes), kNoError);

    fs.InjectFailure({FsOperation::Remove, "", ErrorCode(EBUSY), 0, -1});
    EXPECT_EQ(fs.Remove("/a/one.txt"), ErrorCode{EBUSY});
    EXPECT_EQ(fs.Remove("/a/one.txt"), ErrorCode{EBUSY});
    fs.ClearFailures();
    EXPECT_EQ(fs.Remove("/a/one.txt"), kNoError);

    // A write fault with a byte limit spares data that fits below it.
    fs.InjectFailure({FsOperation::WriteAtomically, "", ErrorCode(ENOSPC), 4, -1});
    EXPECT_EQ(fs.WriteAtomically("/a/m.bak", "1234"), kNoError);
    EXPECT_EQ(fs.WriteAtomically("/a/m.bak", "12345"), ErrorCode{ENOSPC});
    EXPECT_EQ(fs.Content("/a/m.bak"), "1234");
}

TEST(MemoryFileSystemTest, SizesBeyond4GiBLinksAndSpellings) {
    MemoryFileSystem fs;
    fs.AddFileOfSize("/big/a.iso", (std::uint64_t{1} << 32) + 7, 100);
    FileAttributes attributes;
    ASSERT_EQ(fs.GetAttributes("/big/a.iso", attributes), kNoError);
    EXPECT_EQ(attributes.size, (std::uint64_t{1} << 32) + 7);
    ASSERT_EQ(fs.Copy("/big/a.iso", "/big/b.iso", false), kNoError);
    EXPECT_EQ(fs.Size("/big/b.iso"), (std::uint64_t{1} << 32) + 7);

    fs.AddLink("/big/a.iso", "/other/name.iso");
    EXPECT_TRUE(fs.IsSameFile("\\big\\a.iso", "/other/../other/name.iso"));
    EXPECT_FALSE(fs.IsSameFile("/big/a.iso", "/big/b.iso"));
    EXPECT_EQ(MemoryFileSystem::Normalize("C:\\a\\.\\b\\\\c.txt"), "C:/a/b/c.txt");
    EXPECT_EQ(MemoryFileSystem::Normalize("a/../../b"), "../b");

    // A file in the way of a folder is not a folder.
    EXPECT_EQ(fs.CreateEmpty("/big/a.iso/x"), ErrorCode{ENOTDIR});
}

}  // namespace
}  // namespace bh
