#include "cli/ProcessRunner.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace bh::cli {

#ifdef _WIN32

ProcessResult RunProcess(const std::vector<std::string>& argv) {
    return {-1, argv.empty() ? "no program" : argv[0] + " is not available on Windows"};
}

#else

namespace {

constexpr int kExecFailed = 127;

void WriteText(const char* text) {
    const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(written);
}

// Between fork and exec only async-signal-safe calls: the arguments are made beforehand.
[[noreturn]] void ExecChild(char* const* args, int errorPipe) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(errorPipe, STDERR_FILENO);
    ::execvp(args[0], args);
    const int error = errno;
    WriteText(args[0]);
    WriteText(error == ENOENT ? ": command not found" : ": cannot be started");
    ::_exit(kExecFailed);
}

std::string FirstLine(int fd) {
    std::string text;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0 && text.size() < 4096) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }
    text = text.substr(0, text.find('\n'));
    return text;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return {-1, "no program"};
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        return {-1, std::strerror(errno)};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ExecChild(args.data(), errorPipe[1]);
    }
    ::close(errorPipe[1]);
    if (pid < 0) {
        ::close(errorPipe[0]);
        return {-1, std::strerror(errno)};
    }
    ProcessResult result;
    result.message = FirstLine(errorPipe[0]);
    ::close(errorPipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

}  // namespace bh::cli
