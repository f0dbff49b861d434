#pragma once

#include <string>
#include <vector>

namespace bh::cli {

class CliSession;

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPartial = 1;  // the command ran but something was not done
inline constexpr int kExitUsage = 2;    // bad arguments, or a manager that cannot be read
inline constexpr int kExitBusy = 3;     // another program is working on the manager
inline constexpr int kExitOutput = 4;   // stdout could not be written

// A command of the program: `args` are the arguments after the command's name; `session`
// holds the ports, rows and document it works on. A usage error is reported by returning
// kExitUsage after calling PrintUsage.
using CliCommandFn = int (*)(const std::vector<std::string>& args, CliSession& session);

struct CliCommandInfo {
    const char* name;
    const char* usage;  // the arguments, as "MANAGER FILE..."
    CliCommandFn run;
};

// Adds a command to the dispatcher's table. Each command's file registers itself with one
// line at namespace scope: `const bool registered = RegisterCliCommand({...});`
bool RegisterCliCommand(const CliCommandInfo& info);

const std::vector<CliCommandInfo>& CliCommands();

// Runs the command named by commandLine[0] with the arguments after it in `session`. A command
// that changes a manager (CliCommandNeedsManagerLock) holds the session's manager lock until it
// has finished, saves included; when the lock is refused nothing runs and kExitBusy is
// returned. An unknown or missing command prints the usage and returns kExitUsage.
int RunCli(const std::vector<std::string>& commandLine, CliSession& session);

// Prints the usage text of every command to stderr.
void PrintUsage();

// Reads the arguments "MANAGER [FLAG]" in any order. Any other argument, or none naming the
// manager, prints the usage and gives false.
bool ParseManagerAndFlag(const std::vector<std::string>& args, const std::string& flag,
                         std::string& manager, bool& flagGiven);

// Prints "brackenhold-cli: " + text to stderr.
void PrintError(const std::string& text);

// The path made absolute against the current folder, so that stored paths do not depend on
// where the program was started.
std::string AbsolutePath(const std::string& path);

}  // namespace bh::cli
