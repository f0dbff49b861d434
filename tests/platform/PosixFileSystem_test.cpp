#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/app/LastError.h"
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
    EXPECT_EQ(GetLastError(), ErrorCode{EINVAL});
    std::string bytes;
    EXPECT_EQ(fs_.ReadAll(fifo, bytes), ErrorCode{EINVAL});
    EXPECT_EQ(fs_.Copy("/dev/null", dir_.File("copy"), false), ErrorCode{EINVAL});
    EXPECT_TRUE(OnlyFiles({"pipe"}));
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
    EXPECT_EQ(GetLastError(), ErrorCode{ENOTDIR});
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
    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 31 % 251);
    }
    const std::string from = dir_.Write("big.bin", content);
    posix::UniqueFd in(::open(from.c_str(), O_RDONLY));
    // copy_file_range and sendfile both refuse a destination opened for appending.
    posix::UniqueFd out(::open(dir_.File("copy.bin").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600));
    ASSERT_TRUE(in.Valid() && out.Valid());
    EXPECT_EQ(posix::CopyData(in.Get(), out.Get()), 0);
    EXPECT_EQ(out.Close(), 0);
    EXPECT_EQ(test::TempDir::Read(dir_.File("copy.bin")), content);

    ASSERT_EQ(fs_.Copy(from, dir_.File("fast.bin"), false), kNoError);
    EXPECT_EQ(test::TempDir::Read(dir_.File("fast.bin")), content);
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
