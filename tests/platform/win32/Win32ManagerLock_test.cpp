// Manager locks on Windows: one lock per file whatever its spelling, nested holds within a
// program, and a second program (the command-line one) turned away while the lock is held.
#include "platform/win32/Win32ManagerLock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/ports/ManagerLock.h"
#include "platform/win32/WinePaths.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Backslashed;
using test::TempDir;

constexpr int kExitBusy = 3;

std::string LockFileOf(const std::string& manager) {
    std::string lockFile;
    EXPECT_EQ(Win32ManagerLock::LockFileFor(manager, lockFile), kNoError);
    return lockFile;
}

TEST(Win32ManagerLock, OneLockFileForEverySpellingOfAManager) {
    TempDir dir;
    dir.MakeFolder("Team");
    const std::string manager = dir.Write("Team/m.bak", "");
    const std::string lock = LockFileOf(manager);
    ASSERT_FALSE(lock.empty());
    EXPECT_EQ(lock.substr(lock.size() - 5), ".lock");
    std::string upper = Backslashed(manager);
    for (char& c : upper) {
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(LockFileOf(upper), lock);
    EXPECT_EQ(LockFileOf(dir.File("Team/../Team/./m.bak")), lock);
    EXPECT_NE(LockFileOf(dir.File("Team/other.bak")), lock);
    // A manager that does not exist yet has its lock too, the same for each spelling.
    EXPECT_EQ(LockFileOf(dir.File("Team/new.bak")),
              LockFileOf(Backslashed(dir.File("TEAM/NEW.BAK"))));
    // The lock lives outside the manager's folder.
    EXPECT_EQ(lock.find(Backslashed(dir.Path())), std::string::npos);
}

TEST(Win32ManagerLock, HoldsNestAndAnotherProgramWaitsForTheLast) {
    TempDir dir;
    const std::string manager = dir.Write("m.bak", "");
    Win32ManagerLock locks;
    auto first = locks.TryLock(manager);
    ASSERT_NE(first, nullptr);
    auto second = locks.TryLock(Backslashed(manager));
    ASSERT_NE(second, nullptr);

    test::CliRun run = test::RunProgram(BH_CLI_PATH, {"backup", "m.bak"}, dir.Path());
    EXPECT_EQ(run.exitCode, kExitBusy) << run.err;
    EXPECT_NE(run.err.find("is in use by another Brackenhold program"), std::string::npos)
        << run.err;
    first.reset();
    run = test::RunProgram(BH_CLI_PATH, {"backup", "m.bak"}, dir.Path());
    EXPECT_EQ(run.exitCode, kExitBusy) << run.err;

    second.reset();
    run = test::RunProgram(BH_CLI_PATH, {"backup", "m.bak"}, dir.Path());
    EXPECT_NE(run.exitCode, kExitBusy) << run.err;
    // And the lock is free for this program again.
    EXPECT_NE(locks.TryLock(manager), nullptr);
}

}  // namespace
}  // namespace bh
