#include <gtest/gtest.h>

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
using test::TempDir;

constexpr std::int64_t kTime = 2000000000;

std::string Report(unsigned verified, unsigned differ, unsigned notCompared, unsigned total) {
    const auto files = [](unsigned n, const char* one, const char* many) {
        return std::to_string(n) + "  " + (n == 1 ? one : many);
    };
    return files(verified, "File was", "Files were") + " verified.\n\n" +
           files(differ, "File differs", "Files differ") + ".\n\n0  Files could not be read.\n\n" +
           files(notCompared, "File was", "Files were") +
           " not compared. (out of date or problems)\n\n0  Files were skipped.\n" +
           std::string(42, '-') + "\n" + std::to_string(total) + "  total files\n";
}

// A manager m.bak of three up-to-date pairs and one whose archive is older.
class CliVerifyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.MakeFolder("src");
        dir.MakeFolder("arc");
        std::vector<ManagerRecord> records;
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
            const std::string content = "the bytes of " + std::string(name);
            const std::string source = dir.Write(std::string("src/") + name, content);
            const std::string archive = dir.Write(std::string("arc/") + name, content);
            ASSERT_TRUE(TempDir::SetTimes(source, kTime));
            ASSERT_TRUE(TempDir::SetTimes(archive, name[0] == 'd' ? kTime - 10 : kTime));
            records.push_back({source, archive, ""});
        }
        dir.Write("m.bak", EncodeManager(records));
        manager = TempDir::Read(dir.File("m.bak"));
    }

    // Other bytes of the same size, with the archive's time put back to the nanosecond.
    void Spoil(const std::string& name) {
        std::string bytes = TempDir::Read(dir.File(name));
        bytes[4] = 'B';
        dir.Write(name, bytes);
        ASSERT_TRUE(TempDir::SetTimes(dir.File(name), kTime));
    }

    TempDir dir;
    std::string manager;
};

TEST_F(CliVerifyTest, MatchingArchivesExitZeroAndNothingIsWritten) {
    const CliRun run = Cli(dir, {"verify", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, Report(3, 0, 1, 4));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), manager);
    EXPECT_FALSE(TempDir::Exists(dir.File("m.bak.options")));

    const CliRun quiet = Cli(dir, {"-q", "verify", "m.bak"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(CliVerifyTest, AnArchiveChangedWithSameSizeAndTimeIsNamedAndFailsTheRun) {
    Spoil("arc/b.txt");
    const CliRun all = Cli(dir, {"verify", "m.bak"});
    EXPECT_EQ(all.exitCode, 1);
    EXPECT_EQ(all.err, "brackenhold-cli: " + dir.File("arc/b.txt") + ": Contents Differ\n");
    EXPECT_EQ(all.out, Report(2, 1, 1, 4));
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), manager) << "verify saves nothing";

    // The size and time rule sees nothing.
    EXPECT_EQ(Cli(dir, {"-q", "status", "m.bak"}).exitCode, 1) << "d.txt is out of date";
    const CliRun others = Cli(dir, {"verify", "m.bak", "1", "3"});
    EXPECT_EQ(others.exitCode, 0) << others.err;
    EXPECT_EQ(others.out, Report(2, 0, 0, 2));

    const CliRun row = Cli(dir, {"verify", "m.bak", "2"});
    EXPECT_EQ(row.exitCode, 1);
    EXPECT_EQ(row.out, Report(0, 1, 0, 1));

    EXPECT_EQ(Cli(dir, {"verify", "m.bak", "5"}).exitCode, 2);
    EXPECT_EQ(Cli(dir, {"verify", "m.bak", "two"}).exitCode, 2);
    EXPECT_EQ(Cli(dir, {"verify"}).exitCode, 2);
}

TEST_F(CliVerifyTest, BackupCanVerifyEachCopyForOneRun) {
    const CliRun run = Cli(dir, {"-v", "backup", "--verify-after-copy", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("copied " + dir.File("src/d.txt")), std::string::npos) << run.out;
    EXPECT_EQ(TempDir::Read(dir.File("arc/d.txt")), "the bytes of d.txt");
    EXPECT_FALSE(TempDir::Exists(dir.File("m.bak.options"))) << "the manager's setting is kept";
}

}  // namespace
}  // namespace bh
