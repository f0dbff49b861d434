#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/PosixManagerLock.h"
#include "support/TempDir.h"

namespace bh {
namespace {

// The chosen folder; a test that wants the reason for none calls the class itself.
std::string ChooseLockFolder(const char* runtimeDir, const std::string& sessionFolder,
                             const std::string& fallback) {
    ErrorCode error;
    return PosixManagerLock::ChooseLockFolder(runtimeDir, sessionFolder, fallback, error);
}

std::string LockFileOf(const std::string& manager) {
    std::string lockFile;
    EXPECT_EQ(PosixManagerLock::LockFileFor(manager, lockFile), kNoError);
    return lockFile;
}

using test::TempDir;

// Points $XDG_RUNTIME_DIR at a private temporary folder for the length of a test.
class PosixManagerLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        hadRuntime_ = old != nullptr;
        oldRuntime_ = old ? old : "";
        runtime_ = work_.MakeFolder("run");
        ::chmod(runtime_.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    void TearDown() override {
        if (hadRuntime_) {
            ::setenv("XDG_RUNTIME_DIR", oldRuntime_.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

    TempDir work_;
    std::string runtime_;
    bool hadRuntime_ = false;
    std::string oldRuntime_;
};

int FilesIn(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// Two lock objects open the lock file separately, as two programs do.
TEST_F(PosixManagerLockTest, ExcludesAnotherHolderUntilReleasedAndNestsWithinOne) {
    const std::string manager = work_.Write("m.bak", "");
    PosixManagerLock first;
    PosixManagerLock second;
    {
        auto hold = first.TryLock(manager);
        ASSERT_NE(hold, nullptr);
        EXPECT_EQ(second.TryLock(manager), nullptr);
        // The holder itself may take it again (a backup's save inside a backup run).
        auto nested = first.TryLock(manager);
        ASSERT_NE(nested, nullptr);
        nested.reset();
        EXPECT_EQ(second.TryLock(manager), nullptr) << "the outer hold still counts";
        // Another manager is not affected.
        EXPECT_NE(second.TryLock(work_.Write("other.bak", "")), nullptr);
    }
    EXPECT_NE(second.TryLock(manager), nullptr);
}

TEST_F(PosixManagerLockTest, EverySpellingOfOneManagerSharesItsLockAndNothingAppearsBesideIt) {
    const std::string folder = work_.MakeFolder("docs");
    const std::string manager = work_.Write("docs/m.bak", "");
    ASSERT_EQ(::symlink(folder.c_str(), work_.File("link").c_str()), 0);
    PosixManagerLock first;
    PosixManagerLock second;
    auto hold = first.TryLock(manager);
    ASSERT_NE(hold, nullptr);
    EXPECT_EQ(second.TryLock(work_.File("link/m.bak")), nullptr);
    EXPECT_EQ(second.TryLock(work_.File("docs/../docs/./m.bak")), nullptr);
    EXPECT_EQ(FilesIn(folder), 1) << "only the manager itself";
    const std::string lockFile = LockFileOf(manager);
    EXPECT_EQ(lockFile.rfind(runtime_ + "/", 0), 0u) << lockFile;
    // A manager that does not exist yet (brackenhold-cli new) is locked by its future path.
    auto fresh = first.TryLock(work_.File("link/new.bak"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(second.TryLock(work_.File("docs/new.bak")), nullptr);
    // The lock survives the manager being replaced by a rename, as a save does.
    const std::string replacement = work_.Write("docs/.m.bak.tmp", "new");
    ASSERT_EQ(std::rename(replacement.c_str(), manager.c_str()), 0);
    EXPECT_EQ(second.TryLock(manager), nullptr);
}

TEST_F(PosixManagerLockTest, EveryEnvironmentFindsTheSameFolderOrNone) {
    // A run from cron has no XDG_RUNTIME_DIR; the desktop session's folder is found all the same.
    const std::string session = work_.MakeFolder("session");
    ::chmod(session.c_str(), 0700);
    const std::string fallback = work_.File("fallback");
    EXPECT_EQ(ChooseLockFolder(nullptr, session, fallback), session + "/");
    EXPECT_EQ(ChooseLockFolder(runtime_.c_str(), session, fallback), runtime_ + "/");
    EXPECT_FALSE(std::filesystem::exists(fallback));

    // No session folder: a private folder is made, and used only while it stays private.
    const std::string missing = work_.File("missing");
    EXPECT_EQ(ChooseLockFolder(nullptr, missing, fallback), fallback + "/");
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(ChooseLockFolder("relative", missing, fallback), fallback + "/");
    ::chmod(fallback.c_str(), 0755);
    ErrorCode error;
    EXPECT_EQ(PosixManagerLock::ChooseLockFolder(nullptr, missing, fallback, error), "");
    EXPECT_EQ(error, ErrorCode(EACCES));
    const std::string file = work_.Write("a-file", "");
    EXPECT_EQ(ChooseLockFolder(nullptr, missing, file), "");
    if (::geteuid() == 0) {
        // Made first by another user, even private: never used.
        ASSERT_EQ(::chmod(fallback.c_str(), 0700), 0);
        ASSERT_EQ(::chown(fallback.c_str(), 65534, 65534), 0);
        EXPECT_EQ(ChooseLockFolder(nullptr, missing, fallback), "");
    }
    // A runtime folder others may write is not the user's alone: the fallback is used.
    const std::string openRuntime = work_.MakeFolder("open-runtime");
    ::chmod(openRuntime.c_str(), 0777);
    const std::string ownFallback = work_.File("own-fallback");
    EXPECT_EQ(ChooseLockFolder(openRuntime.c_str(), session, ownFallback), ownFallback + "/");

    // The program's own choice with the variable unset.
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string uid = std::to_string(::geteuid());
    const std::string chosen =
        ChooseLockFolder(nullptr, "/run/user/" + uid, "/tmp/brackenhold-locks-" + uid);
    ASSERT_FALSE(chosen.empty());
    const std::string manager = work_.Write("m.bak", "");
    EXPECT_EQ(LockFileOf(manager).rfind(chosen, 0), 0u);
    PosixManagerLock first;
    PosixManagerLock second;
    auto hold = first.TryLock(manager);
    ASSERT_NE(hold, nullptr);
    LockRefusal refusal;
    EXPECT_EQ(second.TryLock(manager, refusal), nullptr);
    EXPECT_TRUE(refusal.busy);
}

}  // namespace
}  // namespace bh
