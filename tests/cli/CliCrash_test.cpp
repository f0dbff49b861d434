// Kills brackenhold-cli backup with SIGKILL at random moments and checks what a power cut or
// a killed program leaves: every archive is its previous or its new complete content, the
// manager opens and is its previous or its new complete file, and the next successful run
// finishes the work and removes the leftovers. BH_CRASH_KILLS sets the kills per scenario
// (default 5; scripts/crash-test runs 20).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "support/TempDir.h"

extern char** environ;

namespace bh {
namespace {

using test::TempDir;
using Clock = std::chrono::steady_clock;

int Kills() {
    const char* text = std::getenv("BH_CRASH_KILLS");
    const int kills = text ? std::atoi(text) : 5;
    return kills > 0 ? kills : 5;
}

pid_t StartCli(const std::vector<std::string>& args, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> argv{const_cast<char*>(BH_CLI_PATH)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, BH_CLI_PATH, &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code, or -signal when it was killed.
int Wait(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return -1000;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// A digest of a whole file (FNV-1a over 64-bit words), 0 for a missing file.
std::uint64_t Digest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return 0;
    }
    std::uint64_t hash = 14695981039346656037ull;
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::size_t n = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < n; ++i) {
            hash = (hash ^ static_cast<unsigned char>(buffer[i])) * 1099511628211ull;
        }
    }
    return hash;
}

// `mib` MiB whose every 8-byte word holds its own offset and `version`, so that a file mixed
// from two versions or cut short has neither version's digest.
void WriteVersion(const std::string& path, int mib, std::uint64_t version, std::int64_t time) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> words((1 << 20) / 8);
    for (int block = 0; block < mib; ++block) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            words[i] = (version << 56) ^ (static_cast<std::uint64_t>(block) << 20 | i * 8);
        }
        out.write(reinterpret_cast<const char*>(words.data()),
                  static_cast<std::streamsize>(words.size() * 8));
    }
    out.close();
    ASSERT_TRUE(out) << path;
    ASSERT_TRUE(TempDir::SetTimes(path, time));
}

std::vector<std::string> TempLeftovers(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".") && name.ends_with(".tmp")) {
            names.push_back(name);
        }
    }
    return names;
}

void AppendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A short ASCII text in the wide-text string form, which a save writes back as bytes: the
// saved file therefore differs from the one the run started with.
std::string WideString(const std::string& ascii) {
    std::string out("\xFF\xFE\xFF", 3);
    AppendLe(out, ascii.size(), 1);
    for (const char c : ascii) {
        AppendLe(out, static_cast<unsigned char>(c), 2);
    }
    return out;
}

class CliCrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string runtime = dir.MakeFolder("run");
        ::chmod(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        dir.MakeFolder("src");
        dir.MakeFolder("arc");
        const unsigned seed = std::random_device{}();
        std::printf("kill moments seeded with %u\n", seed);
        random.seed(seed);
    }

    // A random moment of a run as long as `cleanRun`, anywhere in it or a little after.
    std::chrono::microseconds KillMoment(Clock::duration cleanRun) {
        const double total = std::chrono::duration<double, std::micro>(cleanRun).count() * 1.1;
        std::uniform_real_distribution<double> anywhere(0.0, total);
        return std::chrono::microseconds(static_cast<long long>(anywhere(random)));
    }

    // Runs the backup to its end once and returns how long it took.
    Clock::duration CleanRun(int expectedExit) {
        const Clock::time_point start = Clock::now();
        const pid_t pid = StartCli({"backup", "m.bak"}, dir.Path());
        EXPECT_GT(pid, 0);
        EXPECT_EQ(Wait(pid), expectedExit);
        const Clock::duration took = Clock::now() - start;
        std::printf("a whole run took %.3f s\n", std::chrono::duration<double>(took).count());
        return took;
    }

    // Starts a backup, kills it after `moment`; returns the exit code (negative: killed).
    int KilledRun(std::chrono::microseconds moment) {
        const pid_t pid = StartCli({"backup", "m.bak"}, dir.Path());
        EXPECT_GT(pid, 0);
        std::this_thread::sleep_for(moment);
        ::kill(pid, SIGKILL);
        return Wait(pid);
    }

    // Starts a backup and waits until a temporary file whose name starts with `prefix` shows
    // in `folder` (the copy or the save is under way), then kills it after up to `spread`.
    // Returns the exit code (negative: killed); a run that ends first is not killed.
    int KilledWhileWriting(const std::string& folder, const std::string& prefix,
                           std::chrono::microseconds spread) {
        const pid_t pid = StartCli({"backup", "m.bak"}, dir.Path());
        EXPECT_GT(pid, 0);
        for (;;) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
            }
            bool writing = false;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                writing = writing || (name.starts_with(prefix) && name.ends_with(".tmp"));
            }
            if (writing) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        std::uniform_int_distribution<long long> after(0, spread.count());
        std::this_thread::sleep_for(std::chrono::microseconds(after(random)));
        ::kill(pid, SIGKILL);
        return Wait(pid);
    }

    // Every other kill lands while the temporary file is being written.
    int Kill(int kill, Clock::duration cleanRun, const std::string& folder,
             const std::string& prefix, std::chrono::microseconds spread) {
        if (kill % 2 == 1) {
            const int exit = KilledWhileWriting(folder, prefix, spread);
            std::printf("kill %d while writing: exit %d\n", kill, exit);
            return exit;
        }
        const std::chrono::microseconds moment = KillMoment(cleanRun);
        const int exit = KilledRun(moment);
        std::printf("kill %d after %.3f s: exit %d\n", kill, moment.count() / 1e6, exit);
        return exit;
    }

    TempDir dir;
    std::mt19937 random;
};

TEST_F(CliCrashTest, KilledCopyOfA200MiBFileLeavesThePreviousOrTheNewArchive) {
    constexpr int kMiB = 200;
    const std::string source = dir.File("src/big.bin");
    const std::string archive = dir.File("arc/big.bin");
    WriteVersion(source, kMiB, 2, 2000000000);
    WriteVersion(archive, kMiB, 1, 1000000000);
    const std::uint64_t fresh = Digest(source);
    const std::uint64_t previous = Digest(archive);
    ASSERT_NE(fresh, previous);
    const std::string manager =
        EncodeManager(std::vector<ManagerRecord>{{source, archive, "large"}});
    dir.Write("m.bak", manager);

    const Clock::duration cleanRun = CleanRun(0);
    ASSERT_EQ(Digest(archive), fresh);
    int completed = 0;
    for (int kill = 0; kill < Kills(); ++kill) {
        WriteVersion(archive, kMiB, 1, 1000000000);
        dir.Write("m.bak", manager);
        const int exit = Kill(kill, cleanRun, dir.File("arc"), ".big.bin.",
                              std::chrono::duration_cast<std::chrono::microseconds>(cleanRun));
        const std::uint64_t found = Digest(archive);
        ASSERT_TRUE(found == previous || found == fresh) << "kill " << kill << " exit " << exit;
        completed += found == fresh ? 1 : 0;
        EXPECT_EQ(Digest(source), fresh);
        const ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("m.bak")));
        ASSERT_EQ(read.status, ManagerReadStatus::Ok) << "kill " << kill;
        ASSERT_EQ(read.records.size(), 1u);
        EXPECT_EQ(read.records[0].archivePath, archive);
    }
    const std::size_t leftovers = TempLeftovers(dir.File("arc")).size();
    std::printf("%d kills, %d after the copy completed, %zu temporary files left behind\n", Kills(),
                completed, leftovers);

    // The next run finishes the copy and sweeps whatever the killed ones left.
    WriteVersion(archive, kMiB, 1, 1000000000);
    CleanRun(0);
    EXPECT_EQ(Digest(archive), fresh);
    EXPECT_TRUE(TempLeftovers(dir.File("arc")).empty());
    EXPECT_TRUE(TempLeftovers(dir.Path()).empty());
}

TEST_F(CliCrashTest, KilledSaveOfAMillionEntryManagerLeavesThePreviousOrTheNewFile) {
    // A few real out-of-date pairs and a million entries whose files do not exist: the
    // manager is large, so its save takes long, while the copies are small.
    constexpr int kEntries = 1000000;
    constexpr int kReal = 4;
    std::string previous;
    std::vector<ManagerRecord> records;
    records.reserve(kEntries);
    {
        ManagerWriter header(kEntries);
        previous = header.Bytes();
    }
    for (int i = 0; i < kEntries; ++i) {
        ManagerRecord record;
        if (i < kReal) {
            record.sourcePath = dir.File("src/f" + std::to_string(i));
            record.archivePath = dir.File("arc/f" + std::to_string(i));
            record.notes = "real";
        } else {
            record.sourcePath = dir.File("src/gone/" + std::to_string(i));
            record.archivePath = dir.File("arc/gone/" + std::to_string(i));
        }
        AppendManagerString(previous, record.sourcePath);
        AppendManagerString(previous, record.archivePath);
        previous += i == 0 ? WideString(record.notes) : [&] {
            std::string s;
            AppendManagerString(s, record.notes);
            return s;
        }();
        records.push_back(std::move(record));
    }
    const std::string saved = EncodeManager(records);
    ASSERT_NE(previous, saved);
    const auto resetFiles = [&] {
        for (int i = 0; i < kReal; ++i) {
            const std::string name = std::to_string(i);
            dir.Write("src/f" + name, "new " + name);
            ASSERT_TRUE(TempDir::SetTimes(dir.File("src/f" + name), 2000000000));
            dir.Write("arc/f" + name, "old " + name);
            ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/f" + name), 1000000000));
        }
        dir.Write("m.bak", previous);
    };
    resetFiles();
    const Clock::duration cleanRun = CleanRun(1);  // the missing files are problems
    ASSERT_EQ(TempDir::Read(dir.File("m.bak")), saved);

    int newFiles = 0;
    for (int kill = 0; kill < Kills(); ++kill) {
        resetFiles();
        const int exit =
            Kill(kill, cleanRun, dir.Path(), ".m.bak.", std::chrono::microseconds(300000));
        const std::string now = TempDir::Read(dir.File("m.bak"));
        ASSERT_TRUE(now == previous || now == saved)
            << "kill " << kill << " exit " << exit << ": " << now.size() << " bytes";
        newFiles += now == saved ? 1 : 0;
        ASSERT_EQ(DecodeManager(now).records.size(), static_cast<std::size_t>(kEntries));
        for (int i = 0; i < kReal; ++i) {
            const std::string name = std::to_string(i);
            const std::string archive = TempDir::Read(dir.File("arc/f" + name));
            EXPECT_TRUE(archive == "old " + name || archive == "new " + name) << archive;
            EXPECT_EQ(TempDir::Read(dir.File("src/f" + name)), "new " + name);
        }
    }
    const std::size_t leftovers = TempLeftovers(dir.Path()).size();
    std::printf("%d kills, %d after the save completed, %zu temporary managers left behind\n",
                Kills(), newFiles, leftovers);

    resetFiles();
    CleanRun(1);
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), saved);
    EXPECT_TRUE(TempLeftovers(dir.Path()).empty());
    EXPECT_TRUE(TempLeftovers(dir.File("arc")).empty());
}

}  // namespace
}  // namespace bh
