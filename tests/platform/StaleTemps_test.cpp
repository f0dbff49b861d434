#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "core/ports/ErrorCode.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::TempDir;

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// What an interrupted copy to a.txt leaves, and look-alikes that belong to nobody's copy of
// a.txt and must stay.
void PlantLeftovers(const TempDir& dir) {
    dir.Write("arc/.a.txt.0123456789ab.tmp", "half a copy");
    dir.Write("arc/.a.txt.fedcba987654.tmp", "another");
    dir.Write("arc/.a.txt.0123456789AB.tmp", "upper case: not ours");
    dir.Write("arc/.a.txt.0123456789a.tmp", "too short");
    dir.Write("arc/.a.txt.0123456789ab.tmp.keep", "longer");
    dir.Write("arc/a.txt.0123456789ab.tmp", "no leading dot");
    dir.Write("arc/.b.txt.0123456789ab.tmp", "another file's copy");
    dir.Write("arc/.xa.txt.0123456789ab.tmp", "another name");
    dir.MakeFolder("arc/.a.txt.aaaaaaaaaaaa.tmp");
    ::symlink(dir.File("src/a.txt").c_str(), dir.File("arc/.a.txt.bbbbbbbbbbbb.tmp").c_str());
}

const std::set<std::string> kKept = {
    ".a.txt.0123456789AB.tmp", ".a.txt.0123456789a.tmp",  ".a.txt.0123456789ab.tmp.keep",
    "a.txt.0123456789ab.tmp",  ".b.txt.0123456789ab.tmp", ".xa.txt.0123456789ab.tmp",
    ".a.txt.aaaaaaaaaaaa.tmp", ".a.txt.bbbbbbbbbbbb.tmp", "a.txt"};

TEST(StaleTempsTest, ASuccessfulCopyRemovesOnlyItsOwnDestinationsLeftovers) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    dir.Write("src/a.txt", "new");
    dir.Write("arc/a.txt", "old");
    PlantLeftovers(dir);
    PosixFileSystem fs;

    // A failed copy removes nothing but its own temporary file.
    ASSERT_EQ(::chmod(dir.File("src/a.txt").c_str(), 0), 0);
    if (::geteuid() != 0) {
        EXPECT_NE(fs.Copy(dir.File("src/a.txt"), dir.File("arc/a.txt"), false), kNoError);
        EXPECT_EQ(Names(dir.File("arc")).size(), kKept.size() + 2);
    }
    ASSERT_EQ(::chmod(dir.File("src/a.txt").c_str(), 0644), 0);
    EXPECT_EQ(fs.Copy(dir.File("src/a.txt"), dir.File("arc/a.txt"), true), ErrorCode(EEXIST));
    EXPECT_EQ(Names(dir.File("arc")).size(), kKept.size() + 2);

    ASSERT_EQ(fs.Copy(dir.File("src/a.txt"), dir.File("arc/a.txt"), false), kNoError);
    EXPECT_EQ(Names(dir.File("arc")), kKept);
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "new");
    EXPECT_EQ(TempDir::Read(dir.File("src/a.txt")), "new") << "the link's target is untouched";
}

// A restore interrupted while it wrote over the source leaves its temporary file in the
// user's folder; the next successful backup of that source removes it.
TEST(StaleTempsTest, ASuccessfulCopyAlsoRemovesLeftoversBesideItsSource) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    const std::string source = dir.Write("src/a.txt", "current");
    dir.Write("arc/a.txt", "old");
    dir.Write("src/.a.txt.00000000beef.tmp", "an interrupted restore");
    dir.Write("src/.b.txt.00000000beef.tmp", "another file's");
    dir.Write("src/.a.txt.notmine.tmp", "not of the layer's pattern");
    PosixFileSystem fs;

    // A copy that fails removes nothing beside its source either.
    fs.SetAfterDataCopyForTests(
        [](const std::string& path) { std::ofstream(path, std::ios::app) << "+"; });
    EXPECT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kErrorSourceChanged);
    EXPECT_EQ(Names(dir.File("src")).count(".a.txt.00000000beef.tmp"), 1u);

    fs.SetAfterDataCopyForTests(nullptr);
    ASSERT_EQ(fs.Copy(source, dir.File("arc/a.txt"), false), kNoError);
    EXPECT_EQ(Names(dir.File("src")),
              (std::set<std::string>{"a.txt", ".b.txt.00000000beef.tmp", ".a.txt.notmine.tmp"}));
    EXPECT_EQ(Names(dir.File("arc")), (std::set<std::string>{"a.txt"}));
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), TempDir::Read(source));
}

TEST(StaleTempsTest, ASuccessfulSaveRemovesTheManagersLeftovers) {
    TempDir dir;
    dir.Write("m.bak", "old");
    dir.Write(".m.bak.00000000beef.tmp", "a killed save");
    dir.Write(".m.bak.0000000000.tmp", "not ours");
    PosixFileSystem fs;
    ASSERT_EQ(fs.WriteAtomically(dir.File("m.bak"), "new"), kNoError);
    EXPECT_EQ(Names(dir.Path()), (std::set<std::string>{"m.bak", ".m.bak.0000000000.tmp"}));
}

TEST(StaleTempsTest, NamesTooLongToAppearWholeInATemporaryNameAreLeftAlone) {
    TempDir dir;
    const std::string name(240, 'n');
    dir.Write(name, "old");
    dir.Write("src", "new");
    // A leftover of a copy to any name that begins with the same 200 bytes looks like this.
    const std::string look = "." + name.substr(0, 200) + ".0123456789ab.tmp";
    dir.Write(look, "someone's");
    PosixFileSystem fs;
    ASSERT_EQ(fs.Copy(dir.File("src"), dir.File(name), false), kNoError);
    EXPECT_EQ(TempDir::Read(dir.File(look)), "someone's");
}

}  // namespace
}  // namespace bh
