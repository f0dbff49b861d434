#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/ProcessRunner.h"

namespace bh::cli {

inline constexpr int kMinScheduleHours = 1;
inline constexpr int kMaxScheduleHours = 8760;  // a year

// HOURS as typed: a whole number from 1 to 8760 and nothing else.
std::optional<int> ParseScheduleHours(const std::string& text);

// "brackenhold-backup-" and 16 hex digits of a hash (FNV-1a, 64 bits) of the manager's
// absolute path: stable across builds, so that scheduling again finds the same units.
std::string ScheduleUnitName(const std::string& manager);

// One word of a unit's command line, quoted for systemd: in double quotes, with \, " and
// control or non-ASCII bytes escaped, % written %% and $ written $$ so that neither a
// specifier nor a variable is expanded.
std::string SystemdWord(const std::string& word);

// The .service: a oneshot `CLI backup --quiet --notify -- MANAGER`, whose failures reach the
// journal through stderr.
std::string ServiceUnitText(const std::string& cliPath, const std::string& manager);

// The .timer: the service HOURS after the timer starts, then HOURS after each run started;
// X-Brackenhold-Manager= and X-Brackenhold-Hours= say what it runs (for the listing).
std::string TimerUnitText(const std::string& manager, int hours);

// A schedule as its units say it.
struct ScheduleEntry {
    std::string manager;
    int hours = 0;
    std::string unitName;
};

enum class ScheduleStatus {
    Done,
    BadManager,       // the manager is not a file that can be scheduled
    WriteFailed,      // the units could not be written or removed; nothing changed
    SystemctlFailed,  // the units are written (or removed) but systemctl --user failed
    NotScheduled,     // unschedule of a manager without units
};

struct ScheduleOutcome {
    ScheduleStatus status = ScheduleStatus::Done;
    // One line for stderr when not Done.
    std::string message;
};

using CommandRunner = std::function<ProcessResult(const std::vector<std::string>& argv)>;

// The systemd user units of scheduled backups in one folder, and systemctl --user over them.
class Scheduler {
  public:
    Scheduler(std::string unitFolder, CommandRunner runner);

    // Writes (or replaces) the manager's units atomically, then reloads the user manager and
    // enables and starts the timer. `manager` is absolute.
    ScheduleOutcome Schedule(const std::string& cliPath, const std::string& manager, int hours);
    // Stops and disables the timer, removes both units and reloads the user manager.
    ScheduleOutcome Unschedule(const std::string& manager);
    // Every schedule in the folder, ordered by manager.
    std::vector<ScheduleEntry> List() const;

  private:
    std::string UnitPath(const std::string& fileName) const;
    ProcessResult Systemctl(const std::vector<std::string>& args) const;

    std::string folder_;
    CommandRunner runner_;
};

// $XDG_CONFIG_HOME/systemd/user, else $HOME/.config/systemd/user; empty without either.
std::string UserUnitFolder();

// The absolute path of the running program (/proc/self/exe); empty when unknown.
std::string RunningProgramPath();

}  // namespace bh::cli
