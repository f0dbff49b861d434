#include <gtest/gtest.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliInFolder.h"
#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Cli;
using test::CliRun;
using test::Contains;
using test::TempDir;

constexpr std::int64_t kFirst = 2000000000;

// The time a version name carries, as the program under test shows it (local time).
std::string LocalTimeText(std::int64_t seconds, char timeSeparator) {
    const time_t time = static_cast<time_t>(seconds);
    tm local{};
    localtime_r(&time, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%c%02d%c%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, timeSeparator, local.tm_min,
                  timeSeparator, local.tm_sec);
    return text;
}

// One entry whose archive Add has just created (empty), in m.bak.
class CliVersionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.MakeFolder("src");
        dir.MakeFolder("arc");
        dir.Write("arc/r.txt", "");
        dir.Write("m.bak", EncodeManager({{dir.File("src/r.txt"), dir.File("arc/r.txt"), ""}}));
    }
    // The source gets `content`, `minutes` after kFirst, and is backed up.
    CliRun ChangeAndBackUp(const std::string& content, int minutes,
                           std::vector<std::string> extra = {}) {
        dir.Write("src/r.txt", content);
        EXPECT_TRUE(TempDir::SetTimes(dir.File("src/r.txt"), kFirst + 60 * minutes));
        std::vector<std::string> args = {"backup", "m.bak"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(dir, args);
    }
    std::string VersionPath(int minutes) const {
        return dir.File("arc/.versions/r (" + LocalTimeText(kFirst + 60 * minutes, '-') + ").txt");
    }
    std::size_t VersionCount() const {
        std::size_t count = 0;
        if (std::filesystem::exists(dir.File("arc/.versions"))) {
            for ([[maybe_unused]] const auto& item :
                 std::filesystem::directory_iterator(dir.File("arc/.versions"))) {
                ++count;
            }
        }
        return count;
    }

    TempDir dir;
};

TEST_F(CliVersionsTest, SettingsBackupsListingAndRestoringAVersion) {
    const std::string designed = TempDir::Read(dir.File("m.bak"));
    const CliRun set = Cli(dir, {"settings", "m.bak", "keep-versions=2"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), designed) << "the manager's format is untouched";
    EXPECT_TRUE(Contains(TempDir::Read(dir.File("m.bak.options")), "keep-versions=2\n"));
    EXPECT_TRUE(Contains(Cli(dir, {"settings", "m.bak"}).out, "keep-versions=2\n"));

    ASSERT_EQ(ChangeAndBackUp("v1", 0).exitCode, 0);
    EXPECT_EQ(VersionCount(), 0u) << "the empty archive Add made is not kept";
    for (int minute = 1; minute <= 3; ++minute) {
        const CliRun run = ChangeAndBackUp("v" + std::to_string(minute + 1), minute);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    EXPECT_EQ(TempDir::Read(dir.File("arc/r.txt")), "v4");
    EXPECT_EQ(VersionCount(), 2u);
    EXPECT_EQ(TempDir::Read(VersionPath(2)), "v3");
    EXPECT_EQ(TempDir::Read(VersionPath(1)), "v2");

    const CliRun listed = Cli(dir, {"versions", "m.bak", "1"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, LocalTimeText(kFirst + 120, '-') + "\t2\t" + VersionPath(2) + "\n" +
                              LocalTimeText(kFirst + 60, '-') + "\t2\t" + VersionPath(1) + "\n");

    // A damaged source replaces the archive; the version before it brings the text back.
    ASSERT_EQ(ChangeAndBackUp("XXXX", 4).exitCode, 0);
    const CliRun restored =
        Cli(dir, {"restore", "--version", LocalTimeText(kFirst + 180, ':'), "m.bak", "1"});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(TempDir::Read(dir.File("src/r.txt")), "v4");
    const CliRun unknown = Cli(dir, {"restore", "--version", "1999-01-01 00-00-00", "m.bak", "1"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(Contains(unknown.err, "no version of 1999-01-01 00-00-00")) << unknown.err;
    EXPECT_NE(Cli(dir, {"restore", "--version", "x", "--all", "m.bak"}).exitCode, 0);

    // One run may keep none, whatever the setting says.
    ASSERT_EQ(ChangeAndBackUp("v6", 10, {"--keep-versions", "0"}).exitCode, 0);
    EXPECT_EQ(VersionCount(), 2u);
    EXPECT_EQ(TempDir::Read(dir.File("arc/r.txt")), "v6");
    EXPECT_NE(ChangeAndBackUp("v7", 11, {"--keep-versions", "1000"}).exitCode, 0);

    for (const char* bad : {"keep-versions=1000", "colour=red", "keep-versions"}) {
        EXPECT_EQ(Cli(dir, {"settings", "m.bak", bad}).exitCode, 2) << bad;
    }
    ASSERT_EQ(Cli(dir, {"settings", "m.bak", "keep-versions=0"}).exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.bak.options")));
}

TEST_F(CliVersionsTest, AVersionThatCannotBeKeptLeavesTheArchiveAlone) {
    ASSERT_EQ(Cli(dir, {"settings", "m.bak", "keep-versions=1"}).exitCode, 0);
    ASSERT_EQ(ChangeAndBackUp("good", 0).exitCode, 0);
    dir.Write("arc/.versions", "a file where the versions folder would go");
    const CliRun run = ChangeAndBackUp("damaged", 1);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.out, "1  File has problems.")) << run.out;
    EXPECT_TRUE(Contains(run.err, "old version not kept, archive not replaced")) << run.err;
    EXPECT_EQ(TempDir::Read(dir.File("arc/r.txt")), "good");
}

}  // namespace
}  // namespace bh
