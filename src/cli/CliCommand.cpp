#include "cli/CliCommand.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "bh/Version.h"
#include "cli/CliManagerLock.h"
#include "cli/CliParser.h"
#include "cli/CliPlatform.h"
#include "cli/CliSession.h"
#include "cli/TerminalText.h"
#include "core/app/ManagerLockedCommands.h"
#include "core/ports/ManagerLock.h"

namespace bh::cli {

namespace {

std::vector<CliCommandInfo>& Table() {
    static std::vector<CliCommandInfo> table;
    return table;
}

int PrintUsageError(const CliParsed& parsed) {
    const bool namesCommand =
        !parsed.commandName.empty() && !parsed.text.starts_with("unknown option ");
    PrintError((namesCommand ? parsed.commandName + ": " : std::string()) + parsed.text);
    // help's own errors (an unknown topic) are answered by the general usage.
    const bool general = parsed.commandName.empty() || parsed.commandName == "help";
    const std::string topic = general ? "" : " " + parsed.commandName;
    std::fprintf(stderr, "Run 'brackenhold-cli help%s' for usage.\n", topic.c_str());
    return kExitUsage;
}

int RunCommand(const CliParsed& parsed, CliSession& session) {
    session.SetOutputLevel(parsed.quiet, parsed.verbose);
    const std::string manager = parsed.command->manager();
    std::unique_ptr<ManagerLockHold> hold;
    if (CliCommandNeedsManagerLock(parsed.commandName) && !manager.empty() &&
        !LockManager(manager, session, hold)) {
        return kExitBusy;
    }
    return parsed.command->run(session);
}

int RunParsed(const std::vector<std::string>& commandLine, CliSession& session) {
    CliParser parser;
    const CliParsed parsed = parser.Parse(commandLine);
    switch (parsed.kind) {
        case CliParsed::Kind::Run:
            return RunCommand(parsed, session);
        case CliParsed::Kind::Help:
            std::fputs(parsed.text.c_str(), stdout);
            return kExitOk;
        case CliParsed::Kind::Version:
            std::printf("brackenhold-cli %s\n", kVersionText);
            return kExitOk;
        case CliParsed::Kind::UsageError:
            return PrintUsageError(parsed);
        case CliParsed::Kind::NoCommand:
            break;
    }
    std::fputs(parser.GeneralUsageText().c_str(), stderr);
    return kExitUsage;
}

// A listing that did not reach its reader must not look like success: a scheduled
// `status --json > file` on a full disk would otherwise leave a cut file behind an exit 0.
int CheckStandardOutput(int code) {
    if (code == kExitOutput) {
        // The command has named the failed write already.
        std::clearerr(stdout);
        return code;
    }
    int error = std::fflush(stdout) != 0 ? errno : 0;
    if (error == 0 && std::ferror(stdout)) {
        error = EIO;
    }
    if (error == 0) {
        return code;
    }
    std::clearerr(stdout);
    PrintError(std::string("standard output: ") + std::strerror(error));
    return kExitOutput;
}

}  // namespace

bool RegisterCliCommandInfo(CliCommandInfo info) {
    Table().push_back(std::move(info));
    return true;
}

const std::vector<CliCommandInfo>& CliCommands() {
    return Table();
}

int RunCli(const std::vector<std::string>& commandLine, CliSession& session) {
    try {
        return CheckStandardOutput(RunParsed(commandLine, session));
    } catch (const CLI::Error& error) {
        // A command whose declarations CLI11 refuses (two options of one name): a fault of
        // the program, reported rather than ending it.
        PrintError(error.what());
        return kExitUsage;
    }
}

void PrintError(const std::string& text) {
    std::fprintf(stderr, "brackenhold-cli: %s\n", TerminalText(text).c_str());
}

std::string AbsolutePath(const std::string& path) {
    return SystemAbsolutePath(path);
}

}  // namespace bh::cli
