#include <windows.h>

#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh::test {

namespace {

// One argument quoted so that the C runtime's parser gives it back unchanged: backslashes
// count only before a quote, where each one and the quote are escaped.
std::string Quoted(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

HANDLE InheritableOutput(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder) {
    CliRun run;
    TempDir capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");
    const HANDLE out = InheritableOutput(outPath);
    const HANDLE err = InheritableOutput(errPath);

    std::string commandLine = Quoted(program);
    for (const std::string& arg : args) {
        commandLine += " " + Quoted(arg);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
        ::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         workingFolder.c_str(), &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (::GetExitCodeProcess(process.hProcess, &code)) {
            run.exitCode = static_cast<int>(code);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE) {
        ::CloseHandle(out);
    }
    if (err != INVALID_HANDLE_VALUE) {
        ::CloseHandle(err);
    }
    run.out = TempDir::Read(outPath);
    run.err = TempDir::Read(errPath);
    return run;
}

}  // namespace bh::test
