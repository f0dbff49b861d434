#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <utility>
#include <vector>

#include "core/ports/LastError.h"
#include "platform/posix/PosixFileOps.h"
#include "support/TempDir.h"

namespace bh {
namespace {

class PosixFileSystemTest : public ::testing::Test {
  protected:
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }
    bool OnlyFiles(std::initializer_list<std::string> names) const {
        std::size_t count = 0;
        for (const auto& item : std::filesystem::directory_iterator(dir_.Path())) {
            const std::string name = item.path().filename().string();
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                ADD_FAILURE() << "unexpected file " << name;
                return false;
            }
            ++count;
        }
        return count == names.size();
    }

    test::TempDir dir_;
    PosixFileSystem fs_;
};

TEST_F(PosixFileSystemTest, SymbolicLinkAtTheDestinationIsReplacedNotFollowed) {
    const std::string from = dir_.Write("a.txt", "source");
    const std::string victim = dir_.Write("victim.txt", "must stay");
    const std::string to = dir_.File("link.txt");
    ASSERT_EQ(::symlink(victim.c_str(), to.c_str()), 0);

    EXPECT_EQ(fs_.Copy(from, to, true), ErrorCode{EEXIST});
    EXPECT_TRUE(S_ISLNK(Stat(to).st_mode));

    ASSERT_EQ(fs_.Copy(from, to, false), kNoError);
    EXPECT_TRUE(S_ISREG(Stat(to).st_mode));
    EXPECT_EQ(test::TempDir::Read(to), "source");
    EXPECT_EQ(test::TempDir::Read(victim), "must stay");

    // A dangling link counts as an existing destination too.
    const std::string dangling = dir_.File("dangling.txt");
    ASSERT_EQ(::symlink(dir_.File("nothing").c_str(), dangling.c_str()), 0);
    EXPECT_EQ(fs_.Copy(from, dangling, true), ErrorCode{EEXIST});
    EXPECT_EQ(fs_.Lookup(dangling), PathKind::File);
    EXPECT_TRUE(OnlyFiles({"a.txt", "victim.txt", "link.txt", "dangling.txt"}));
}

TEST_F(PosixFileSystemTest, SpecialFilesAreRefusedWithoutBlocking) {
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    SetLastError(kNoError);
    EXPECT_EQ(fs_.Copy(fifo, dir_.File("copy"), false), ErrorCode{EINVAL});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    std::string bytes;
    EXPECT_EQ(fs_.ReadAll(fifo, bytes), ErrorCode{EINVAL});
    EXPECT_EQ(fs_.Copy("/dev/null", dir_.File("copy"), false), ErrorCode{EINVAL});
    EXPECT_TRUE(OnlyFiles({"pipe"}));
}

TEST_F(PosixFileSystemTest, ListingNamesLinksAndSpecialFilesWithoutFollowing) {
    dir_.Write("plain.txt", "p");
    std::filesystem::create_directory(dir_.File("folder"));
    ASSERT_EQ(::symlink(dir_.File("folder").c_str(), dir_.File("to-folder").c_str()), 0);
    ASSERT_EQ(::symlink(dir_.File("plain.txt").c_str(), dir_.File("to-file").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir_.File("pipe").c_str(), 0600), 0);

    std::vector<FileSystem::FolderItem> items;
    ASSERT_EQ(fs_.ListFolder(dir_.Path(), items), kNoError);
    std::map<std::string, FileSystem::ItemKind> kinds;
    for (const auto& item : items) {
        kinds[item.name] = item.kind;
    }
    using Kind = FileSystem::ItemKind;
    const std::map<std::string, Kind> expected = {{"plain.txt", Kind::File},
                                                  {"folder", Kind::Folder},
                                                  {"to-folder", Kind::Link},
                                                  {"to-file", Kind::Link},
                                                  {"pipe", Kind::Other}};
    EXPECT_EQ(kinds, expected);

    // A move onto a link replaces neither the link nor what it leads to.
    EXPECT_EQ(fs_.MoveWithoutReplacing(dir_.File("plain.txt"), dir_.File("to-file")),
              ErrorCode{EEXIST});
    EXPECT_TRUE(S_ISLNK(Stat(dir_.File("to-file")).st_mode));
    EXPECT_EQ(test::TempDir::Read(dir_.File("plain.txt")), "p");
}

TEST_F(PosixFileSystemTest, CopyKeepsTimesToTheNanosecondAndPermissionBits) {
    const std::string from = dir_.Write("a.txt", "data");
    ASSERT_EQ(::chmod(from.c_str(), 0640), 0);
    const timespec times[2] = {{1600000000, 111111111}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);

    const std::string to = dir_.File("b.txt");
    ASSERT_EQ(fs_.Copy(from, to, false), kNoError);
    const struct stat st = Stat(to);
    EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_atim.tv_sec, 1600000000);
    EXPECT_EQ(st.st_atim.tv_nsec, 111111111);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(PosixFileSystemTest, TimesBefore1970TruncateTowardZero) {
    const std::string path = dir_.Write("old.txt", "x");
    struct Case {
        std::int64_t seconds;
        long nanoseconds;
        std::int64_t expected;
    };
    // tv_sec -1 with half a second is -0.5 s; -2 with half a second is -1.5 s.
    for (const Case c : {Case{-1, 500000000, 0}, Case{-2, 500000000, -1}, Case{-2, 0, -2},
                         Case{0, 0, 0}, Case{5, 999999999, 5}}) {
        ASSERT_TRUE(test::TempDir::SetTimes(path, c.seconds, c.nanoseconds));
        FileAttributes attributes;
        ASSERT_EQ(fs_.GetAttributes(path, attributes), kNoError);
        EXPECT_EQ(attributes.lastWriteSeconds, c.expected) << c.seconds << "s " << c.nanoseconds;
    }
}

TEST_F(PosixFileSystemTest, AttributesFollowLinksAndLookupDoesNot) {
    const std::string target = dir_.Write("target.txt", "twelve bytes");
    const std::string link = dir_.File("link");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    FileAttributes attributes;
    ASSERT_EQ(fs_.GetAttributes(link, attributes), kNoError);
    EXPECT_EQ(attributes.size, 12u);

    const std::string folderLink = dir_.File("folder-link");
    ASSERT_EQ(::symlink(dir_.Path().c_str(), folderLink.c_str()), 0);
    EXPECT_EQ(fs_.Lookup(folderLink), PathKind::File);
    EXPECT_TRUE(fs_.IsSameFile(link, target));

    SetLastError(kNoError);
    EXPECT_EQ(fs_.GetAttributes(dir_.File("target.txt/inner"), attributes), ErrorCode{ENOTDIR});
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
}

TEST_F(PosixFileSystemTest, AtomicWriteKeepsModeAndWritesThroughALink) {
    const std::string real = dir_.Write("real.bak", "old");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    const std::string link = dir_.File("link.bak");
    ASSERT_EQ(::symlink("real.bak", link.c_str()), 0);

    ASSERT_EQ(fs_.WriteAtomically(link, "new"), kNoError);
    EXPECT_TRUE(S_ISLNK(Stat(link).st_mode));
    EXPECT_EQ(test::TempDir::Read(real), "new");
    EXPECT_EQ(Stat(real).st_mode & 07777, 0600u);
    EXPECT_TRUE(OnlyFiles({"real.bak", "link.bak"}));
}

TEST_F(PosixFileSystemTest, DataCopyFallsBackWhenTheFastPathsRefuse) {
    // Beyond two windows of early write-back, so that it is started, and waited for, on the way.
    std::string content(17 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 31 % 251);
    }
    const std::string from = dir_.Write("big.bin", content);
    posix::UniqueFd in(::open(from.c_str(), O_RDONLY));
    // copy_file_range and sendfile both refuse a destination opened for appending.
    posix::UniqueFd out(::open(dir_.File("copy.bin").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600));
    ASSERT_TRUE(in.Valid() && out.Valid());
    EXPECT_EQ(posix::CopyData(in.Get(), out.Get(), true), 0);
    EXPECT_EQ(out.Close(), 0);
    EXPECT_EQ(test::TempDir::Read(dir_.File("copy.bin")), content);

    ASSERT_EQ(fs_.Copy(from, dir_.File("fast.bin"), false), kNoError);
    EXPECT_EQ(test::TempDir::Read(dir_.File("fast.bin")), content);
}

TEST_F(PosixFileSystemTest, AttributesNameTheFileTheyReach) {
    const std::string file = dir_.Write("a.txt", "a");
    const std::string other = dir_.Write("b.txt", "b");
    const std::string hardLink = dir_.File("hard.txt");
    const std::string softLink = dir_.File("soft.txt");
    ASSERT_EQ(::link(file.c_str(), hardLink.c_str()), 0);
    ASSERT_EQ(::symlink(file.c_str(), softLink.c_str()), 0);
    const auto identity = [this](const std::string& path) {
        FileAttributes attributes;
        EXPECT_EQ(fs_.GetAttributes(path, attributes), kNoError) << path;
        return std::make_pair(attributes.device, attributes.inode);
    };

    const struct stat st = Stat(file);
    EXPECT_EQ(identity(file), std::make_pair(std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)));
    EXPECT_EQ(identity(hardLink), identity(file));
    EXPECT_EQ(identity(softLink), identity(file));
    EXPECT_NE(identity(other), identity(file));
    // A copy over one name of a file makes a new file there and leaves the other name alone.
    ASSERT_EQ(fs_.Copy(other, hardLink, false), kNoError);
    EXPECT_NE(identity(hardLink), identity(file));
    EXPECT_EQ(test::TempDir::Read(file), "a");
}

// A program that rewrites the source while it is copied and then puts its old last-write time
// back (as tools that keep times do) leaves the size and that time as they were; the change
// time still shows the rewrite.
TEST_F(PosixFileSystemTest, ARewriteThatPutsTheLastWriteTimeBackIsStillSeen) {
    const std::string from = dir_.Write("a.txt", "AAAA");
    ASSERT_TRUE(test::TempDir::SetTimes(from, 1700000000, 5));
    const std::string to = dir_.Write("a.arc", "old archive");
    const struct stat original = Stat(from);
    const char* versions[] = {"BBBB", "CCCC"};
    int rewrites = 0;
    int rewritesWanted = 1;
    fs_.SetAfterDataCopyForTests([&](const std::string& path) {
        if (rewrites < rewritesWanted) {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << versions[rewrites % 2];
            ASSERT_TRUE(test::TempDir::SetTimes(path, 1700000000, 5));
            ++rewrites;
        }
    });

    ASSERT_EQ(fs_.Copy(from, to, false), kNoError);
    const struct stat rewritten = Stat(from);
    ASSERT_EQ(rewritten.st_size, original.st_size);
    ASSERT_EQ(rewritten.st_mtim.tv_nsec, original.st_mtim.tv_nsec);
    if (rewritten.st_ctim.tv_sec == original.st_ctim.tv_sec &&
        rewritten.st_ctim.tv_nsec == original.st_ctim.tv_nsec) {
        GTEST_SKIP() << "this file system's change time did not move within one clock tick";
    }
    EXPECT_EQ(test::TempDir::Read(to), "BBBB");
    EXPECT_EQ(Stat(to).st_mtim.tv_nsec, 5);

    // Rewritten during every attempt: the old archive stays, byte for byte and with its times.
    ASSERT_TRUE(test::TempDir::SetTimes(to, 1600000000, 7));
    const std::string oldArchive = test::TempDir::Read(to);
    rewrites = 0;
    rewritesWanted = 100;
    SetLastError(kNoError);
    EXPECT_EQ(fs_.Copy(from, to, false), kErrorSourceChanged);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(test::TempDir::Read(to), oldArchive);
    EXPECT_EQ(Stat(to).st_mtim.tv_sec, 1600000000);
    EXPECT_EQ(Stat(to).st_mtim.tv_nsec, 7);
    EXPECT_TRUE(OnlyFiles({"a.txt", "a.arc"}));
}

TEST_F(PosixFileSystemTest, ACopyCarriesTheTimesOfTheVersionItCopied) {
    const std::string from = dir_.Write("a.txt", "first");
    const std::string to = dir_.File("a.arc");
    ASSERT_TRUE(test::TempDir::SetTimes(from, 1700000000, 1));
    bool changed = false;
    fs_.SetAfterDataCopyForTests([&](const std::string& path) {
        if (!changed) {
            changed = true;
            std::ofstream(path, std::ios::binary | std::ios::trunc) << "second version";
            ASSERT_TRUE(test::TempDir::SetTimes(path, 1800000000, 123456789));
        }
    });
    ASSERT_EQ(fs_.Copy(from, to, false), kNoError);
    EXPECT_TRUE(changed);
    EXPECT_EQ(test::TempDir::Read(to), "second version");
    EXPECT_EQ(Stat(to).st_mtim.tv_sec, 1800000000);
    EXPECT_EQ(Stat(to).st_mtim.tv_nsec, 123456789);
    EXPECT_TRUE(OnlyFiles({"a.txt", "a.arc"}));
}

TEST_F(PosixFileSystemTest, ABatchMakesEachCopyAsCopyDoesWithSharedFlushes) {
    // Small copies share the flushes, a large one flushes alone; failures stay per copy.
    const std::string large(3 << 20, 'L');
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {dir_.Write("a.txt", "a"), dir_.Write("a.arc", "old a")},
        {dir_.Write("big.bin", large), dir_.File("big.arc")},
        {dir_.Write("c.txt", "c"), dir_.MakeFolder("c.arc")},
        {dir_.File("missing.txt"), dir_.Write("m.arc", "kept")},
        {dir_.Write("d.txt", "d"), dir_.File("d.arc")},
        {dir_.Write("e.txt", "e"), dir_.Write("e.arc", "old e")},
    };
    ASSERT_TRUE(test::TempDir::SetTimes(dir_.File("d.txt"), 1700000000, 5));
    dir_.Write(".a.arc.0123456789ab.tmp", "an interrupted copy's leftover");
    // e's source changes on every attempt: nothing of it is published.
    fs_.SetAfterDataCopyForTests([&](const std::string& path) {
        if (path == dir_.File("e.txt")) {
            std::ofstream(path, std::ios::binary | std::ios::app) << "+";
        }
    });
    std::vector<FileSystem::CopyRequest> requests;
    for (const auto& [from, to] : pairs) {
        requests.push_back({&from, &to});
    }
    SetLastError(kNoError);

    const std::vector<ErrorCode> results = fs_.CopyBatch(requests);
    ASSERT_EQ(results.size(), pairs.size());
    EXPECT_EQ(results[0], kNoError);
    EXPECT_EQ(results[1], kNoError);
    EXPECT_EQ(results[2], static_cast<ErrorCode>(EISDIR));
    EXPECT_EQ(results[3], static_cast<ErrorCode>(ENOENT));
    EXPECT_EQ(results[4], kNoError);
    EXPECT_EQ(results[5], kErrorSourceChanged);
    EXPECT_EQ(GetLastError(), kNoError) << "ports leave the last error alone";
    EXPECT_EQ(test::TempDir::Read(dir_.File("a.arc")), "a");
    EXPECT_EQ(test::TempDir::Read(dir_.File("big.arc")), large);
    EXPECT_EQ(test::TempDir::Read(dir_.File("m.arc")), "kept");
    EXPECT_EQ(test::TempDir::Read(dir_.File("e.arc")), "old e");
    EXPECT_EQ(Stat(dir_.File("d.arc")).st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(Stat(dir_.File("d.arc")).st_mtim.tv_nsec, 5);
    // No temporary file is left, the leftover of an earlier copy of a.arc included.
    EXPECT_TRUE(OnlyFiles({"a.txt", "a.arc", "big.bin", "big.arc", "c.txt", "c.arc", "m.arc",
                           "d.txt", "d.arc", "e.txt", "e.arc"}));
}

// Enough copies that every worker of the batch takes several: each result belongs to its own
// request, whichever thread made the copy.
TEST_F(PosixFileSystemTest, AParallelBatchReportsEachFailureAtItsOwnRequest) {
    constexpr int kCopies = 48;
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < kCopies; ++i) {
        const std::string name = "f" + std::to_string(i);
        pairs.emplace_back(dir_.Write(name + ".txt", "new " + std::to_string(i)),
                           dir_.Write(name + ".arc", "old " + std::to_string(i)));
    }
    constexpr int kMissing = 17;
    constexpr int kChanging = 30;
    constexpr int kChangedOnce = 31;
    ASSERT_EQ(::unlink(pairs[kMissing].first.c_str()), 0);
    bool changedOnce = false;
    fs_.SetAfterDataCopyForTests([&](const std::string& path) {
        if (path == pairs[kChanging].first) {
            std::ofstream(path, std::ios::binary | std::ios::app) << "+";
        } else if (path == pairs[kChangedOnce].first && !changedOnce) {
            changedOnce = true;
            std::ofstream(path, std::ios::binary | std::ios::trunc) << "newest 31";
        }
    });
    std::vector<FileSystem::CopyRequest> requests;
    for (const auto& [from, to] : pairs) {
        requests.push_back({&from, &to});
    }

    const std::vector<ErrorCode> results = fs_.CopyBatch(requests);
    ASSERT_EQ(results.size(), pairs.size());
    for (int i = 0; i < kCopies; ++i) {
        const std::string& archive = pairs[i].second;
        if (i == kMissing) {
            EXPECT_EQ(results[i], static_cast<ErrorCode>(ENOENT));
            EXPECT_EQ(test::TempDir::Read(archive), "old 17");
        } else if (i == kChanging) {
            EXPECT_EQ(results[i], kErrorSourceChanged);
            EXPECT_EQ(test::TempDir::Read(archive), "old 30") << "the old archive is kept";
        } else if (i == kChangedOnce) {
            EXPECT_EQ(results[i], kNoError);
            EXPECT_EQ(test::TempDir::Read(archive), "newest 31") << "copied again, whole";
        } else {
            EXPECT_EQ(results[i], kNoError) << i;
            EXPECT_EQ(test::TempDir::Read(archive), "new " + std::to_string(i));
        }
    }
    for (const auto& item : std::filesystem::directory_iterator(dir_.Path())) {
        EXPECT_NE(item.path().extension(), ".tmp") << "left behind: " << item.path();
    }
}

TEST_F(PosixFileSystemTest, CopyIntoAFolderWithoutWriteAccessFails) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    const std::string from = dir_.Write("a.txt", "new");
    const std::string folder = dir_.MakeFolder("locked");
    const std::string to = folder + "/a.txt";
    dir_.Write("locked/a.txt", "old");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    EXPECT_EQ(fs_.Copy(from, to, false), ErrorCode{EACCES});
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(test::TempDir::Read(to), "old");
}

}  // namespace
}  // namespace bh
