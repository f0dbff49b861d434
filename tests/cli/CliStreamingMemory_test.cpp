// list and status write their listing as they read the manager: the memory they use must not
// grow with the manager, the JSON listing must cost about what the text costs, and a listing
// that cannot be written must stop and say so. The program runs as a child process and its peak
// memory comes from wait4.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "support/TempDir.h"

#if defined(__SANITIZE_ADDRESS__)
#define BH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BH_SANITIZED 1
#endif
#endif

namespace bh {
namespace {

using test::TempDir;

#ifdef BH_SANITIZED
constexpr std::uint32_t kLarge = 100'000;  // keeps the sanitizer run short
constexpr std::uint32_t kSmall = 10'000;
#else
constexpr std::uint32_t kLarge = 1'000'000;
constexpr std::uint32_t kSmall = 100'000;
#endif

// A listing that does not grow with the manager may still differ by this much between sizes.
constexpr long kSizeIndependentKb = 6 * 1024;

// Writes a manager of `count` entries whose files do not exist, straight in the file format.
void WriteManager(const TempDir& dir, const std::string& name, std::uint32_t count) {
    ManagerWriter writer(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        writer.Add("/nonexistent-bh/source/folder/file-" + n + ".txt",
                   "/nonexistent-bh/archive/folder/file-" + n + ".txt", "");
    }
    dir.Write(name, writer.Bytes());
}

struct ChildRun {
    int exitCode = -1;
    long maxRssKb = 0;
};

// Runs the program with stdout on `out` (a descriptor the child gets as 1) and stderr into
// `errPath`; SIGPIPE ignored when `ignorePipe`, as a program that checks its writes sees it.
ChildRun RunChild(const std::vector<std::string>& args, int out, const std::string& errPath,
                  bool ignorePipe = false) {
    std::vector<char*> argv;
    std::string program = BH_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (::dup2(out, 1) < 0 || err < 0 || ::dup2(err, 2) < 0) {
            ::_exit(127);
        }
        if (ignorePipe) {
            ::signal(SIGPIPE, SIG_IGN);
        }
#ifdef BH_SANITIZED
        // Freed memory held in quarantine would grow with the work done, not with what is
        // live, and hide what this test measures.
        const char* options = ::getenv("ASAN_OPTIONS");
        const std::string withoutQuarantine =
            std::string(options ? options : "") +
            ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
        ::setenv("ASAN_OPTIONS", withoutQuarantine.c_str(), 1);
#endif
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ChildRun run;
    int status = 0;
    struct rusage usage {};
    if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        run.maxRssKb = usage.ru_maxrss;
    }
    return run;
}

ChildRun RunToNull(const TempDir& dir, const std::vector<std::string>& args) {
    const int null = ::open("/dev/null", O_WRONLY);
    const ChildRun run = RunChild(args, null, dir.File("err.txt"));
    ::close(null);
    return run;
}

TEST(CliStreamingMemory, ListingMemoryDoesNotGrowWithTheManagerAndJsonCostsAboutWhatTextCosts) {
    TempDir dir;
    WriteManager(dir, "large.bak", kLarge);
    WriteManager(dir, "small.bak", kSmall);

    const ChildRun text = RunToNull(dir, {"list", dir.File("large.bak")});
    ASSERT_EQ(text.exitCode, 0) << TempDir::Read(dir.File("err.txt"));
    const ChildRun json = RunToNull(dir, {"status", "--json", dir.File("large.bak")});
    ASSERT_EQ(json.exitCode, 1) << "every entry is a problem";
    const ChildRun smallJson = RunToNull(dir, {"status", "--json", dir.File("small.bak")});
    ASSERT_EQ(smallJson.exitCode, 1);
    ASSERT_GT(text.maxRssKb, 0);

    EXPECT_LE(json.maxRssKb * 2, text.maxRssKb * 3)
        << "status --json " << json.maxRssKb << " KB, list " << text.maxRssKb << " KB";
    EXPECT_LE(json.maxRssKb - smallJson.maxRssKb, kSizeIndependentKb)
        << kLarge << " entries " << json.maxRssKb << " KB, " << kSmall << " entries "
        << smallJson.maxRssKb << " KB";
}

TEST(CliStreamingMemory, AListingThatCannotBeWrittenStopsWithExitFourAndTheReason) {
    TempDir dir;
    WriteManager(dir, "m.bak", 20000);
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    for (const char* form : {"--json", "--date-mode"}) {
        std::vector<std::string> args = {"list", dir.File("m.bak"), form};
        if (std::string(form) == "--date-mode") {
            args.push_back("1");
        }
        const ChildRun run = RunChild(args, full, dir.File("err.txt"));
        EXPECT_EQ(run.exitCode, 4) << form;
        EXPECT_EQ(TempDir::Read(dir.File("err.txt")),
                  "brackenhold-cli: standard output: No space left on device\n");
    }
    ::close(full);

    // A reader that went away: the write fails with EPIPE once SIGPIPE is not fatal.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ::close(pipeFds[0]);
    const ChildRun run =
        RunChild({"status", dir.File("m.bak")}, pipeFds[1], dir.File("err.txt"), true);
    ::close(pipeFds[1]);
    EXPECT_EQ(run.exitCode, 4);
    // status names each problem of the batch it evaluated before the write failed; the
    // failed write is named once, last.
    const std::string err = TempDir::Read(dir.File("err.txt"));
    const std::string broken = "brackenhold-cli: standard output: Broken pipe\n";
    EXPECT_TRUE(err.ends_with(broken)) << err.substr(err.size() > 200 ? err.size() - 200 : 0);
    EXPECT_EQ(err.find("standard output"), err.size() - broken.size() + 17);
}

}  // namespace
}  // namespace bh
