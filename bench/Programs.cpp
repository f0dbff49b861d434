#include "bench/Programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/Measure.h"
#include "bench/TreeGenerator.h"

extern char** environ;

namespace bh::bench {

namespace {

std::string Describe(const Args& args) {
    std::string text;
    for (const std::string& arg : args) {
        text += (text.empty() ? "" : " ") + arg;
    }
    return text;
}

}  // namespace

int RunProgram(const Args& args, const char* stdoutPath) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath != nullptr ? stdoutPath : "/dev/null",
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench: cannot run %s: %s\n", argv[0], std::strerror(spawned));
        return -1;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunOrDie(const Args& args, std::initializer_list<int> accepted) {
    const int status = RunProgram(args);
    if (std::find(accepted.begin(), accepted.end(), status) == accepted.end()) {
        std::fprintf(stderr, "bench: %s ended with %d\n", Describe(args).c_str(), status);
        EndRun();
    }
}

double TimeProgram(const Args& args, std::initializer_list<int> accepted) {
    return TimeSeconds([&] { RunOrDie(args, accepted); });
}

double PeakResidentBytes(const Args& args, const std::string& scratchFolder) {
    const std::string out = scratchFolder + "/peak-rss.txt";
    const int status = RunProgram(Joined({"/usr/bin/time", "-f", "%M", "-o", out}, args));
    std::string text;
    // GNU time writes "Command exited with non-zero status N" first when the program failed
    // or, like status, reported something out of date; the figure is the last line.
    const bool read = status >= 0 && ReadBytes(out, text);
    const std::size_t lastLine = text.find_last_of('\n', text.size() >= 2 ? text.size() - 2 : 0);
    const long kib = std::atol(text.c_str() + (lastLine == std::string::npos ? 0 : lastLine + 1));
    if (!read || kib <= 0) {
        std::fprintf(stderr, "bench: no peak memory for %s\n", Describe(args).c_str());
        EndRun();
    }
    return static_cast<double>(kib) * 1024;
}

Args Joined(const Args& prefix, const Args& args) {
    Args joined = prefix;
    joined.insert(joined.end(), args.begin(), args.end());
    return joined;
}

void Require(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "bench: %s failed\n", what.c_str());
        EndRun();
    }
}

void SyncAll() {
    ::sync();
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    ::fstat(fd, &st);
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && done == bytes.size();
}

}  // namespace bh::bench
