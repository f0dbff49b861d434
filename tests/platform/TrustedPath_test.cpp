#include "platform/posix/TrustedPath.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/TempDir.h"

namespace bh::posix {
namespace {

// The identity of what `name` in a held folder is, to compare with the file expected.
ino_t InodeAt(const HeldEntry& held) {
    struct stat st {};
    return ::fstatat(held.folder.Get(), held.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
               ? st.st_ino
               : 0;
}

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(TrustedPathTest, OwnLinksAreWalkedAsTheSystemWouldWalkThem) {
    test::TempDir dir;
    dir.MakeFolder("real");
    dir.MakeFolder("real/deep");
    const std::string file = dir.Write("real/deep/f.txt", "x");
    // A relative link with "..", an absolute one, and a chain through both.
    ASSERT_EQ(::symlink("real/deep/../deep", dir.File("rel").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("abs").c_str()), 0);
    ASSERT_EQ(::symlink("../rel/f.txt", dir.File("real/chain").c_str()), 0);

    for (const std::string& path : {dir.File("rel/f.txt"), dir.File("abs/deep/f.txt"),
                                    dir.File("abs/chain"), dir.File("real/./deep//f.txt")}) {
        HeldEntry held;
        ASSERT_EQ(HoldEntry(path, FinalLink::Follow, held), kNoError) << path;
        EXPECT_EQ(held.name, "f.txt") << path;
        EXPECT_EQ(InodeAt(held), InodeOf(file)) << path;
    }

    // Kept, the last link is the entry itself.
    HeldEntry link;
    ASSERT_EQ(HoldEntry(dir.File("abs/chain"), FinalLink::Keep, link), kNoError);
    EXPECT_EQ(link.name, "chain");
    EXPECT_EQ(InodeAt(link), InodeOf(dir.File("real/chain")));

    // A name still to be made is held in its folder; a missing folder is an error.
    HeldEntry fresh;
    ASSERT_EQ(HoldEntry(dir.File("rel/new.txt"), FinalLink::Follow, fresh), kNoError);
    EXPECT_EQ(fresh.name, "new.txt");
    EXPECT_EQ(HoldEntry(dir.File("missing/new.txt"), FinalLink::Follow, fresh), ErrorCode(ENOENT));
    EXPECT_EQ(HoldEntry(dir.File("real/deep/f.txt/x"), FinalLink::Follow, fresh),
              ErrorCode(ENOTDIR));
}

TEST(TrustedPathTest, LinkLoopsEnd) {
    test::TempDir dir;
    ASSERT_EQ(::symlink("b", dir.File("a").c_str()), 0);
    ASSERT_EQ(::symlink("a", dir.File("b").c_str()), 0);
    HeldEntry held;
    EXPECT_EQ(HoldEntry(dir.File("a/x"), FinalLink::Follow, held), ErrorCode(ELOOP));
    EXPECT_EQ(HoldEntry(dir.File("a"), FinalLink::Follow, held), ErrorCode(ELOOP));
}

TEST(TrustedPathTest, AnotherUsersLinkIsNotFollowedAnywhereInThePath) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root and the user nobody, to plant another user's links";
    }
    test::TempDir dir;
    dir.MakeFolder("real");
    dir.Write("real/f.txt", "x");
    ASSERT_EQ(::symlink(dir.File("real").c_str(), dir.File("planted").c_str()), 0);
    ASSERT_EQ(::lchown(dir.File("planted").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    // Reached through one of the user's own links, too.
    ASSERT_EQ(::symlink("planted/f.txt", dir.File("own").c_str()), 0);

    HeldEntry held;
    EXPECT_EQ(HoldEntry(dir.File("planted/f.txt"), FinalLink::Keep, held), kErrorForeignLink);
    EXPECT_EQ(HoldEntry(dir.File("planted"), FinalLink::Follow, held), kErrorForeignLink);
    EXPECT_EQ(HoldEntry(dir.File("own"), FinalLink::Follow, held), kErrorForeignLink);
    // As the entry itself (to be replaced or removed) it is no one's way anywhere.
    ASSERT_EQ(HoldEntry(dir.File("planted"), FinalLink::Keep, held), kNoError);
    EXPECT_EQ(held.name, "planted");
}

}  // namespace
}  // namespace bh::posix
