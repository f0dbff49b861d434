#include "cli/CliManagerLock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "platform/memory/FakeManagerLock.h"
#include "support/TempDir.h"

namespace bh::cli {
namespace {

int RunLine(const std::vector<std::string>& commandLine, ManagerLock& lock) {
    CliSession session(&lock);
    return RunCli(commandLine, session);
}

TEST(CliManagerLock, CommandsThatChangeAManagerRefuseOneAnotherProgramHolds) {
    test::TempDir dir;
    const std::string manager = AbsolutePath(dir.File("team.bak"));
    const std::string other = dir.File("other.bak");
    const std::string source = dir.Write("a.txt", "abc");
    dir.Write("b.txt", "b");
    FakeManagerLock lock;
    ASSERT_EQ(RunLine({"new", manager}, lock), kExitOk);
    ASSERT_EQ(RunLine({"add", manager, source}, lock), kExitOk);
    ASSERT_EQ(RunLine({"new", other}, lock), kExitOk);
    const std::string archive = dir.File("a[1].txt");
    const std::string before = test::TempDir::Read(manager);
    ASSERT_EQ(test::TempDir::Read(archive), "");
    ASSERT_EQ(lock.HeldCount(manager), 0);

    lock.busy.insert(manager);
    const int asked = lock.attempts;
    const std::vector<std::vector<std::string>> changing = {
        {"new", manager},
        {"add", manager, dir.File("b.txt")},
        {"import", manager, other},
        {"backup", manager},
        {"restore", manager, "--all"},
        {"remove", manager, "1", "--delete-archives"},
        {"verify", manager},  // writes nothing, but reads archives a backup would replace
    };
    for (const auto& commandLine : changing) {
        EXPECT_EQ(RunLine(commandLine, lock), kExitBusy) << commandLine[0];
    }
    EXPECT_EQ(lock.attempts, asked + static_cast<int>(changing.size()));
    EXPECT_EQ(test::TempDir::Read(manager), before);
    EXPECT_EQ(test::TempDir::Read(archive), "");
    EXPECT_EQ(test::TempDir::Read(source), "abc");

    // Reading commands run beside the other program and never ask for the lock.
    EXPECT_EQ(RunLine({"list", manager}, lock), kExitOk);
    EXPECT_EQ(RunLine({"status", manager}, lock), kExitPartial);  // the archive is out of date
    EXPECT_EQ(lock.attempts, asked + static_cast<int>(changing.size()));

    // Free again, the backup runs.
    lock.busy.clear();
    EXPECT_EQ(RunLine({"backup", manager}, lock), kExitOk);
    EXPECT_EQ(test::TempDir::Read(archive), "abc");
}

}  // namespace
}  // namespace bh::cli
