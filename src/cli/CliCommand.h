#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace bh::cli {

class CliSession;

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPartial = 1;  // the command ran but something was not done
inline constexpr int kExitUsage = 2;    // bad arguments, or a manager that cannot be read
inline constexpr int kExitBusy = 3;     // another program is working on the manager
inline constexpr int kExitOutput = 4;   // standard output could not be written

// One command's arguments as parsed: the manager it works on (empty when none; the
// dispatcher locks it for a changing command) and the run over them.
struct CliBoundCommand {
    std::function<std::string()> manager;
    std::function<int(CliSession&)> run;
};

struct CliCommandInfo {
    std::string name;
    std::string description;  // one line, for the usage texts
    // Declares the command's options and positionals on its subcommand, bound to storage
    // that the returned run reads.
    std::function<CliBoundCommand(CLI::App&)> declare;
};

bool RegisterCliCommandInfo(CliCommandInfo info);

const std::vector<CliCommandInfo>& CliCommands();

// Adds a command to the dispatcher's table. Each command's file registers itself with one
// line at namespace scope:
//     const bool registered = RegisterCliCommand("new", "create an empty manager", Declare, Run);
// `Request` holds the command's parsed arguments, including `std::string manager`; `declare`
// binds its members to options and positionals of the command's CLI::App, and `run` acts on
// them once the whole command line has been parsed.
template <typename Request>
bool RegisterCliCommand(const char* name, const char* description,
                        void (*declare)(CLI::App&, Request&),
                        int (*run)(const Request&, CliSession&)) {
    return RegisterCliCommandInfo(
        {name, description, [declare, run](CLI::App& app) {
             auto request = std::make_shared<Request>();
             declare(app, *request);
             return CliBoundCommand{
                 [request] { return request->manager; },
                 [request, run](CliSession& session) { return run(*request, session); }};
         }});
}

// Runs the command line (the arguments after the program's name) in `session`: parses it,
// prints help, the version or a usage error (kExitUsage), or runs the command. A command that
// changes a manager (CliCommandNeedsManagerLock) holds the session's manager lock until it has
// finished, saves included; when the lock is refused nothing runs and kExitBusy is returned.
// A failed write to standard output makes the run kExitOutput.
int RunCli(const std::vector<std::string>& commandLine, CliSession& session);

// Prints "brackenhold-cli: " + text to stderr.
void PrintError(const std::string& text);

// The path made absolute against the current folder, so that stored paths do not depend on
// where the program was started.
std::string AbsolutePath(const std::string& path);

}  // namespace bh::cli
