#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/ProcessRunner.h"
#include "cli/Schedule.h"

namespace bh::cli {

namespace {

// What the command line of `schedule` asked for; the logic lives in Schedule.h.
struct ScheduleArgs {
    bool list = false;
    std::string manager;
    std::optional<int> hours;
};

constexpr int kExitOutputFailed = 4;

int UsageError(const char* command, const std::string& text) {
    PrintError(std::string(command) + ": " + text);
    std::fprintf(stderr, "Run 'brackenhold-cli help %s' for usage.\n", command);
    return kExitUsage;
}

// Done: `doneText` on stdout (whose failed write is a failure too).
int Finish(const ScheduleOutcome& outcome, const std::string& doneText) {
    switch (outcome.status) {
        case ScheduleStatus::Done:
            std::printf("%s\n", doneText.c_str());
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitOutputFailed;
        case ScheduleStatus::SystemctlFailed:
            PrintError(outcome.message);
            return kExitPartial;
        default:
            PrintError(outcome.message);
            return kExitUsage;
    }
}

Scheduler MakeScheduler() {
    return Scheduler(UserUnitFolder(), RunProcess);
}

// "--list", or MANAGER and --every HOURS in any order; "--" ends the options.
std::optional<std::string> ParseScheduleArgs(const std::vector<std::string>& args,
                                             ScheduleArgs& parsed) {
    bool options = true;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--list") {
            parsed.list = true;
        } else if (options && (arg == "--every" || arg.starts_with("--every="))) {
            const bool joined = arg != "--every";
            if (!joined && at + 1 == args.size()) {
                return "--every needs HOURS";
            }
            const std::string text = joined ? arg.substr(8) : args[++at];
            parsed.hours = ParseScheduleHours(text);
            if (!parsed.hours) {
                return "HOURS must be a whole number from 1 to 8760, not '" + text + "'";
            }
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (parsed.manager.empty()) {
            parsed.manager = arg;
        } else {
            return "unexpected argument " + arg;
        }
    }
    if (parsed.list) {
        return parsed.manager.empty() && !parsed.hours
                   ? std::nullopt
                   : std::optional<std::string>("--list takes no other arguments");
    }
    if (parsed.manager.empty()) {
        return std::string("MANAGER is required");
    }
    return parsed.hours ? std::nullopt : std::optional<std::string>("--every HOURS is required");
}

int ListSchedules() {
    for (const ScheduleEntry& entry : MakeScheduler().List()) {
        std::printf("every %d %s\t%s\n", entry.hours, entry.hours == 1 ? "hour" : "hours",
                    entry.manager.c_str());
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitOutputFailed;
}

// Writes the systemd user units that back the manager up every HOURS hours and enables them.
int RunScheduleCommand(const std::vector<std::string>& args, CliSession&) {
    ScheduleArgs parsed;
    if (const std::optional<std::string> error = ParseScheduleArgs(args, parsed)) {
        return UsageError("schedule", *error);
    }
    if (parsed.list) {
        return ListSchedules();
    }
    const std::string folder = UserUnitFolder();
    const std::string program = RunningProgramPath();
    if (folder.empty() || program.empty()) {
        PrintError(folder.empty() ? "neither XDG_CONFIG_HOME nor HOME is set"
                                  : "the path of brackenhold-cli is unknown");
        return kExitUsage;
    }
    const std::string manager = AbsolutePath(parsed.manager);
    return Finish(MakeScheduler().Schedule(program, manager, *parsed.hours),
                  manager + ": backed up every " + std::to_string(*parsed.hours) +
                      (*parsed.hours == 1 ? " hour by " : " hours by ") +
                      ScheduleUnitName(manager) + ".timer");
}

// Stops and removes the manager's schedule.
int RunUnscheduleCommand(const std::vector<std::string>& args, CliSession&) {
    std::vector<std::string> managers;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return UsageError("unschedule", "unknown option " + arg);
        } else {
            managers.push_back(arg);
        }
    }
    if (managers.size() != 1) {
        return UsageError("unschedule", managers.empty() ? "MANAGER is required"
                                                         : "only one MANAGER may be given");
    }
    const std::string manager = AbsolutePath(managers[0]);
    return Finish(MakeScheduler().Unschedule(manager), manager + ": no longer scheduled");
}

const bool registeredSchedule =
    RegisterCliCommand({"schedule", "MANAGER --every HOURS | --list", RunScheduleCommand});
const bool registeredUnschedule =
    RegisterCliCommand({"unschedule", "MANAGER", RunUnscheduleCommand});

}  // namespace

}  // namespace bh::cli
