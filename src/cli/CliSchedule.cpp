#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "cli/ProcessRunner.h"
#include "cli/Schedule.h"
#include "cli/TerminalText.h"

namespace bh::cli {

namespace {

// What the command line of `schedule` asked for; the logic lives in Schedule.h.
struct ScheduleRequest {
    std::string manager;
    std::string hours;
    bool list = false;
};

struct UnscheduleRequest {
    std::string manager;
};

// Done: `doneText` on stdout unless -q; otherwise the failure on one line.
int Finish(const ScheduleOutcome& outcome, const std::string& doneText, bool quiet) {
    switch (outcome.status) {
        case ScheduleStatus::Done:
            if (!quiet) {
                std::printf("%s\n", TerminalText(doneText).c_str());
            }
            return kExitOk;
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

int ListSchedules() {
    for (const ScheduleEntry& entry : MakeScheduler().List()) {
        std::printf("every %d %s\t%s\n", entry.hours, entry.hours == 1 ? "hour" : "hours",
                    TerminalText(entry.manager).c_str());
    }
    return kExitOk;
}

void DeclareSchedule(CLI::App& app, ScheduleRequest& request) {
    CLI::Option* manager =
        app.add_option("MANAGER", request.manager, "the manager to back up on a timer");
    // Read as text: CLI11 would take "010" as octal, and HOURS is always decimal.
    CLI::Option* every =
        app.add_option("--every", request.hours, "the hours between two runs, 1 to 8760")
            ->type_name("HOURS");
    app.add_flag("--list", request.list, "show the schedules written so far")
        ->excludes(manager)
        ->excludes(every);
    app.callback([&request] {
        if (request.list) {
            return;
        }
        if (request.manager.empty()) {
            throw CLI::RequiredError("MANAGER");
        }
        if (request.hours.empty()) {
            throw CLI::RequiredError("--every");
        }
        if (!ParseScheduleHours(request.hours)) {
            throw CLI::ValidationError(
                "--every",
                "HOURS must be a whole number from 1 to 8760, not '" + request.hours + "'");
        }
    });
}

// Writes the systemd user units that back the manager up every HOURS hours and enables them.
int RunScheduleCommand(const ScheduleRequest& request, CliSession& session) {
    if (request.list) {
        return ListSchedules();
    }
    const std::string folder = UserUnitFolder();
    const std::string program = RunningProgramPath();
    if (folder.empty() || program.empty()) {
        PrintError(folder.empty() ? "neither XDG_CONFIG_HOME nor HOME is set"
                                  : "the path of brackenhold-cli is unknown");
        return kExitUsage;
    }
    const int hours = *ParseScheduleHours(request.hours);
    const std::string manager = AbsolutePath(request.manager);
    return Finish(MakeScheduler().Schedule(program, manager, hours),
                  manager + ": backed up every " + std::to_string(hours) +
                      (hours == 1 ? " hour by " : " hours by ") + ScheduleUnitName(manager) +
                      ".timer",
                  session.quiet());
}

void DeclareUnschedule(CLI::App& app, UnscheduleRequest& request) {
    app.add_option("MANAGER", request.manager, "the manager whose schedule is removed")->required();
}

// Stops and removes the manager's schedule.
int RunUnscheduleCommand(const UnscheduleRequest& request, CliSession& session) {
    const std::string manager = AbsolutePath(request.manager);
    return Finish(MakeScheduler().Unschedule(manager), manager + ": no longer scheduled",
                  session.quiet());
}

const bool registeredSchedule = RegisterCliCommand(
    "schedule", "back a manager up on a systemd user timer", DeclareSchedule, RunScheduleCommand);
const bool registeredUnschedule = RegisterCliCommand(
    "unschedule", "stop and remove a manager's schedule", DeclareUnschedule, RunUnscheduleCommand);

}  // namespace

}  // namespace bh::cli
