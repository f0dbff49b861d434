#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::TempDir;

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// One listing of the folder serves later copies: the leftovers it found of another archive
// go with that archive's next successful copy, and not before.
TEST(StaleTempsListingTest, OneListingServesTheCopiesOfEveryArchiveInTheFolder) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        dir.Write(std::string("src/") + name, "new");
        dir.Write(std::string("arc/") + name, "old");
    }
    const std::string leftoverOfB = dir.Write("arc/.b.txt.00000000cafe.tmp", "killed copy");
    const std::string leftoverOfC = dir.Write("arc/.c.txt.0000000beef0.tmp", "killed copy");
    PosixFileSystem fs;
    ASSERT_EQ(fs.Copy(dir.File("src/a.txt"), dir.File("arc/a.txt"), false), kNoError);
    EXPECT_TRUE(Exists(leftoverOfB));
    EXPECT_TRUE(Exists(leftoverOfC));
    ASSERT_EQ(fs.Copy(dir.File("src/b.txt"), dir.File("arc/b.txt"), false), kNoError);
    EXPECT_FALSE(Exists(leftoverOfB));
    EXPECT_TRUE(Exists(leftoverOfC));
    // A failed copy removes nothing.
    EXPECT_NE(fs.Copy(dir.File("src/missing"), dir.File("arc/c.txt"), false), kNoError);
    EXPECT_TRUE(Exists(leftoverOfC));
    ASSERT_EQ(fs.Copy(dir.File("src/c.txt"), dir.File("arc/c.txt"), false), kNoError);
    EXPECT_FALSE(Exists(leftoverOfC));
    EXPECT_EQ(TempDir::Read(dir.File("arc/c.txt")), "new");
}

// A leftover that appears after the folder was listed is found by a later listing: at the
// latest after as many copies into the folder as it had entries.
TEST(StaleTempsListingTest, LeftoversLeftAfterAListingGoWithALaterOne) {
    TempDir dir;
    dir.MakeFolder("arc");
    const std::string source = dir.Write("source.txt", "new");
    dir.Write("arc/a.txt", "old");
    dir.Write("arc/b.txt", "old");
    PosixFileSystem fs;
    ASSERT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kNoError);
    const std::string late = dir.Write("arc/.a.txt.0123456789ab.tmp", "killed later");
    // The listing saw ".", "..", a.txt and b.txt.
    int copies = 0;
    while (Exists(late) && copies < 8) {
        ASSERT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kNoError);
        ++copies;
    }
    EXPECT_FALSE(Exists(late));
    EXPECT_LE(copies, 4);
    EXPECT_TRUE(Exists(dir.File("arc/b.txt")));
}

}  // namespace
}  // namespace bh
