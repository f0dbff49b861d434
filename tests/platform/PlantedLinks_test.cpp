// What another user can plant in a folder they can write (an archive folder on a shared disk):
// symbolic links at an archive's or a temporary file's name, or a folder swapped for a link
// before or during a copy. None of it may make the file system read, write or remove a file
// outside the path an entry names. Links "of another user" are made here and handed to
// `nobody`, which needs root; those cases are skipped otherwise.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

class PlantedLinksTest : public ::testing::Test {
  protected:
    void SetUp() override {
        shared_ = dir_.MakeFolder("shared");
        archives_ = dir_.MakeFolder("shared/archives");
        private_ = dir_.MakeFolder("private");
        source_ = dir_.Write("source.txt", "the user's data");
        secret_ = dir_.Write("private/a.arc", "private, must stay");
    }

    // A link at `at` to `target`, owned by another user; false (the case is skipped) when
    // this process cannot give a link away.
    static bool PlantForeignLink(const std::string& target, const std::string& at) {
        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || nobody == nullptr) {
            return false;
        }
        return ::symlink(target.c_str(), at.c_str()) == 0 &&
               ::lchown(at.c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
    }

    // Replaces the archive folder by a link to the private folder, keeping the folder itself
    // under another name; as another user's link when `foreign`.
    bool SwapArchivesForLink(bool foreign) {
        if (std::rename(archives_.c_str(), (archives_ + ".moved").c_str()) != 0) {
            return false;
        }
        return foreign ? PlantForeignLink(private_, archives_)
                       : ::symlink(private_.c_str(), archives_.c_str()) == 0;
    }

    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir_;
    PosixFileSystem fs_;
    std::string shared_;
    std::string archives_;
    std::string private_;
    std::string source_;
    std::string secret_;
};

#define SKIP_UNLESS_FOREIGN_LINKS()                          \
    if (::geteuid() != 0 || ::getpwnam("nobody") == nullptr) \
    GTEST_SKIP() << "needs root and the user nobody, to plant another user's links"

TEST_F(PlantedLinksTest, FolderSwappedForAnotherUsersLinkBeforeTheCopyIsNotEntered) {
    SKIP_UNLESS_FOREIGN_LINKS();
    const std::string archive = archives_ + "/a.arc";
    ASSERT_TRUE(SwapArchivesForLink(true));

    EXPECT_EQ(fs_.Copy(source_, archive, false), kErrorForeignLink);
    const std::string second = archives_ + "/b.arc";
    const std::vector<ErrorCode> batch = fs_.CopyBatch({{&source_, &archive}, {&source_, &second}});
    EXPECT_EQ(batch, (std::vector<ErrorCode>{kErrorForeignLink, kErrorForeignLink}));
    EXPECT_EQ(fs_.Remove(archive), kErrorForeignLink);
    EXPECT_EQ(fs_.CreateEmpty(archive), kErrorForeignLink);
    std::string bytes;
    EXPECT_EQ(fs_.ReadAll(archive, bytes), kErrorForeignLink);
    EXPECT_EQ(fs_.WriteAtomicallyFrom(archive,
                                      [](std::string& chunk) {
                                          chunk = "planted";
                                          return false;
                                      }),
              kErrorForeignLink);

    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
    EXPECT_EQ(Names(private_), std::vector<std::string>{"a.arc"});
}

TEST_F(PlantedLinksTest, FolderSwappedForALinkDuringTheCopyKeepsTheCopyInTheFolderWalked) {
    // Even a link the user's own process made: the copy is renamed within the folder it was
    // written in, never into wherever the name leads by then.
    const std::string archive = archives_ + "/a.arc";
    bool swapped = false;
    fs_.SetAfterDataCopyForTests([&](const std::string&) {
        if (!swapped) {
            swapped = SwapArchivesForLink(false);
        }
    });

    ASSERT_EQ(fs_.Copy(source_, archive, false), kNoError);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
    EXPECT_EQ(Names(private_), std::vector<std::string>{"a.arc"});
    EXPECT_EQ(test::TempDir::Read(archives_ + ".moved/a.arc"), "the user's data");
    EXPECT_EQ(Names(archives_ + ".moved"), std::vector<std::string>{"a.arc"});
}

TEST_F(PlantedLinksTest, BatchedCopiesStayInTheFolderWalkedWhenItIsSwappedMeanwhile) {
    const std::string second = dir_.Write("second.txt", "more data");
    const std::string toFirst = archives_ + "/a.arc";
    const std::string toSecond = archives_ + "/b.arc";
    bool swapped = false;
    fs_.SetAfterDataCopyForTests([&](const std::string& from) {
        if (from == second && !swapped) {
            swapped = SwapArchivesForLink(false);
        }
    });
    // One worker at a time would not change the outcome: the batch's folder is walked once.
    const std::vector<ErrorCode> results =
        fs_.CopyBatch({{&source_, &toFirst}, {&second, &toSecond}});

    ASSERT_TRUE(swapped);
    EXPECT_EQ(results, (std::vector<ErrorCode>{kNoError, kNoError}));
    EXPECT_EQ(Names(private_), std::vector<std::string>{"a.arc"});
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
    EXPECT_EQ(Names(archives_ + ".moved"), (std::vector<std::string>{"a.arc", "b.arc"}));
    EXPECT_EQ(test::TempDir::Read(archives_ + ".moved/b.arc"), "more data");
}

TEST_F(PlantedLinksTest, AnotherUsersLinkAtTheArchiveIsReplacedOnBackupAndRefusedOnRestore) {
    SKIP_UNLESS_FOREIGN_LINKS();
    const std::string archive = archives_ + "/a.arc";
    ASSERT_TRUE(PlantForeignLink(secret_, archive));

    // Its status is not the status of what it leads to (which might pass as up to date).
    FileAttributes attributes;
    EXPECT_EQ(fs_.GetAttributes(archive, attributes), kErrorForeignLink);
    // A restore would read the private file into the source.
    EXPECT_EQ(fs_.Copy(archive, source_, false), kErrorForeignLink);
    EXPECT_EQ(test::TempDir::Read(source_), "the user's data");
    // A backup replaces the link itself.
    ASSERT_EQ(fs_.Copy(source_, archive, false), kNoError);
    struct stat st {};
    ASSERT_EQ(::lstat(archive.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
}

TEST_F(PlantedLinksTest, AManagerSavedOverAnotherUsersLinkLeavesItsTargetAlone) {
    SKIP_UNLESS_FOREIGN_LINKS();
    const std::string manager = shared_ + "/week.bak";
    ASSERT_TRUE(PlantForeignLink(secret_, manager));
    EXPECT_EQ(fs_.WriteAtomicallyFrom(manager,
                                      [](std::string& chunk) {
                                          chunk = "manager";
                                          return false;
                                      }),
              kErrorForeignLink);
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
    EXPECT_EQ(Names(shared_), (std::vector<std::string>{"archives", "week.bak"}));

    // The user's own link is still saved through, and kept.
    const std::string own = shared_ + "/own.bak";
    const std::string real = dir_.Write("private/own-target.bak", "old");
    ASSERT_EQ(::symlink(real.c_str(), own.c_str()), 0);
    ASSERT_EQ(fs_.WriteAtomicallyFrom(own,
                                      [](std::string& chunk) {
                                          chunk = "saved";
                                          return false;
                                      }),
              kNoError);
    EXPECT_EQ(test::TempDir::Read(real), "saved");
    struct stat st {};
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(PlantedLinksTest, LinksAtNewArchiveAndTemporaryNamesAreNeverFollowed) {
    // An archive name about to be created: its truncation must not reach the link's target.
    const std::string planted = archives_ + "/new.arc";
    ASSERT_EQ(::symlink(secret_.c_str(), planted.c_str()), 0);
    EXPECT_NE(fs_.CreateEmpty(planted), kNoError);
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");

    // A link named as a leftover temporary file of a.arc: the clean-up after a copy removes
    // only regular files, never through or at a link.
    const std::string leftover = archives_ + "/.a.arc.0123456789ab.tmp";
    ASSERT_EQ(::symlink(secret_.c_str(), leftover.c_str()), 0);
    ASSERT_EQ(fs_.Copy(source_, archives_ + "/a.arc", false), kNoError);
    EXPECT_EQ(test::TempDir::Read(secret_), "private, must stay");
    struct stat st {};
    EXPECT_EQ(::lstat(leftover.c_str(), &st), 0);
    EXPECT_EQ(Names(private_), std::vector<std::string>{"a.arc"});
}

TEST_F(PlantedLinksTest, TemporaryFilesAreOnlyTheUsersWhileTheyAreWritten) {
    // One who opens a temporary file while it is open to others keeps reading it after its
    // mode changes, so it is private from its creation until it is complete.
    const std::string archive = archives_ + "/a.arc";
    ASSERT_EQ(::chmod(source_.c_str(), 0644), 0);
    mode_t duringCopy = 0777;
    fs_.SetAfterDataCopyForTests([&](const std::string&) {
        for (const std::string& name : Names(archives_)) {
            struct stat st {};
            if (::lstat((archives_ + "/" + name).c_str(), &st) == 0) {
                duringCopy = st.st_mode & 0777;
            }
        }
    });
    ASSERT_EQ(fs_.Copy(source_, archive, false), kNoError);
    EXPECT_EQ(duringCopy, 0600u);
    struct stat st {};
    ASSERT_EQ(::stat(archive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);

    const std::string manager = shared_ + "/week.bak";
    const mode_t previousMask = ::umask(022);
    mode_t duringSave = 0777;
    const ErrorCode saved = fs_.WriteAtomicallyFrom(manager, [&](std::string& chunk) {
        for (const std::string& name : Names(shared_)) {
            struct stat temp {};
            if (name != "archives" && ::lstat((shared_ + "/" + name).c_str(), &temp) == 0) {
                duringSave = temp.st_mode & 0777;
            }
        }
        chunk = "manager";
        return false;
    });
    ASSERT_EQ(saved, kNoError);
    ASSERT_EQ(::stat(manager.c_str(), &st), 0);
    ::umask(previousMask);
    EXPECT_EQ(duringSave, 0600u);
    EXPECT_EQ(st.st_mode & 0777, 0644u) << "a new manager gets the mode the mask allows";
    EXPECT_EQ(test::TempDir::Read(manager), "manager");
}

}  // namespace
}  // namespace bh
