#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "platform/posix/PosixManagerLock.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::CliRun;
using test::Contains;
using test::TempDir;

// This test process plays the program already working on the manager; brackenhold-cli is
// the second program. Both use lock files in a private runtime folder of the test's own.
class CliConcurrentRunsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string runtime = dir.MakeFolder("run");
        ::chmod(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        dir.MakeFolder("src");
        dir.MakeFolder("arc");
        dir.Write("src/a.txt", "new data");
        dir.Write("arc/a.txt", "old");
        ASSERT_TRUE(TempDir::SetTimes(dir.File("src/a.txt"), 2000000000));
        ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/a.txt"), 1000000000));
        dir.Write("m.bak", EncodeManager(std::vector<ManagerRecord>{
                               {dir.File("src/a.txt"), dir.File("arc/a.txt"), ""}}));
    }

    CliRun Cli(const std::vector<std::string>& args) {
        return test::RunProgram(BH_CLI_PATH, args, dir.Path());
    }

    TempDir dir;
    PosixManagerLock locks;
};

TEST_F(CliConcurrentRunsTest, ASecondRunOnALockedManagerExitsWithThreeAndNamesIt) {
    const std::string manager = TempDir::Read(dir.File("m.bak"));
    auto hold = locks.TryLock(dir.File("m.bak"));
    ASSERT_NE(hold, nullptr);
    const std::vector<std::vector<std::string>> changing = {
        {"backup", "m.bak"},           {"backup", "--dry-run", "m.bak"},
        {"restore", "m.bak", "--all"}, {"remove", "m.bak", "1"},
        {"add", "m.bak", "src/a.txt"}, {"import", "m.bak", "other.bak"},
    };
    for (const auto& args : changing) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.exitCode, 3) << args[0] << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, dir.File("m.bak"))) << run.err;
        EXPECT_TRUE(Contains(run.err, "in use by another Brackenhold program")) << run.err;
        EXPECT_EQ(run.out, "") << args[0];
    }
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "old");
    EXPECT_EQ(TempDir::Read(dir.File("src/a.txt")), "new data");
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), manager);
    // Reading needs no lock.
    EXPECT_EQ(Cli({"list", "m.bak"}).exitCode, 0);

    hold.reset();
    const CliRun free = Cli({"backup", "m.bak"});
    EXPECT_EQ(free.exitCode, 0) << free.err;
    EXPECT_EQ(TempDir::Read(dir.File("arc/a.txt")), "new data");
}

TEST_F(CliConcurrentRunsTest, AnotherSpellingOfTheManagerIsTheSameLock) {
    auto hold = locks.TryLock(dir.File("m.bak"));
    ASSERT_NE(hold, nullptr);
    dir.MakeFolder("sub");
    const CliRun run = Cli({"backup", "sub/../m.bak"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    // A new manager beside it is a different file and not held.
    EXPECT_EQ(Cli({"new", "second.bak"}).exitCode, 0);
    // While the command-line program runs it holds the lock itself, and gives it back.
    hold.reset();
    EXPECT_EQ(Cli({"backup", "m.bak"}).exitCode, 0);
    EXPECT_NE(locks.TryLock(dir.File("m.bak")), nullptr);
}

}  // namespace
}  // namespace bh
