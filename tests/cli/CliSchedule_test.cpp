#include "cli/Schedule.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/ProcessRunner.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh::cli {
namespace {

namespace fs = std::filesystem;

// A manager path with everything systemd would otherwise read as syntax.
const std::string kAwkwardName = "my dir/100% \"$HOME\" back\\slash.bak";

// systemctl as the scheduler calls it, recorded, answering with `exitCode`.
struct RecordingRunner {
    std::vector<std::vector<std::string>> calls;
    int exitCode = 0;
    CommandRunner Runner() {
        return [this](const std::vector<std::string>& argv) {
            calls.push_back(argv);
            return ProcessResult{exitCode, exitCode == 0 ? "" : "Failed to connect to bus"};
        };
    }
};

using Argv = std::vector<std::string>;

TEST(ScheduleUnits, NamesHoursAndQuotedCommand) {
    EXPECT_EQ(ScheduleUnitName(""), "brackenhold-backup-cbf29ce484222325");
    EXPECT_EQ(ScheduleUnitName("a"), "brackenhold-backup-af63dc4c8601ec8c");
    EXPECT_NE(ScheduleUnitName("/m/a.bak"), ScheduleUnitName("/m/b.bak"));

    for (const char* good : {"1", "24", "0024", "8760"}) {
        EXPECT_TRUE(ParseScheduleHours(good)) << good;
    }
    EXPECT_EQ(ParseScheduleHours("0024"), 24);
    for (const char* bad : {"", "0", "8761", "99999", "-1", "+5", "5h", " 5", "1.5", "1e3"}) {
        EXPECT_FALSE(ParseScheduleHours(bad)) << bad;
    }

    EXPECT_EQ(SystemdWord("/a b/100% \"$HOME\" x\\y\t\xC3\xBC"),
              "\"/a b/100%% \\\"$$HOME\\\" x\\\\y\\x09\\xc3\\xbc\"");
    const std::string manager = "/home/u/" + kAwkwardName;
    EXPECT_EQ(ServiceUnitText("/opt/bh 1/brackenhold-cli", manager),
              "[Unit]\n"
              "Description=Brackenhold scheduled backup\n"
              "X-Brackenhold-Manager=/home/u/my%20dir/100%25%20\"$HOME\"%20back%5Cslash.bak\n"
              "\n"
              "[Service]\n"
              "Type=oneshot\n"
              "ExecStart=\"/opt/bh 1/brackenhold-cli\" backup --quiet --notify -- "
              "\"/home/u/my dir/100%% \\\"$$HOME\\\" back\\\\slash.bak\"\n");
    EXPECT_EQ(TimerUnitText(manager, 36),
              "[Unit]\n"
              "Description=Brackenhold scheduled backup every 36 hours\n"
              "X-Brackenhold-Manager=/home/u/my%20dir/100%25%20\"$HOME\"%20back%5Cslash.bak\n"
              "X-Brackenhold-Hours=36\n"
              "\n"
              "[Timer]\n"
              "OnActiveSec=36h\n"
              "OnUnitActiveSec=36h\n"
              "\n"
              "[Install]\n"
              "WantedBy=timers.target\n");
    EXPECT_NE(TimerUnitText(manager, 1).find("every 1 hour\n"), std::string::npos);
}

TEST(Scheduler, WritesReplacesListsAndRemovesUnits) {
    test::TempDir dir;
    const std::string folder = dir.File("config/systemd/user");
    fs::create_directories(dir.File("my dir"));
    const std::string manager = dir.Write(kAwkwardName, "");
    const std::string other = dir.Write("other\xFF.bak", "");
    const std::string name = ScheduleUnitName(manager);
    RecordingRunner systemctl;
    Scheduler scheduler(folder, systemctl.Runner());

    ScheduleOutcome outcome = scheduler.Schedule("/usr/bin/brackenhold-cli", manager, 24);
    EXPECT_EQ(outcome.status, ScheduleStatus::Done) << outcome.message;
    EXPECT_EQ(systemctl.calls,
              (std::vector<Argv>{{"systemctl", "--user", "daemon-reload"},
                                 {"systemctl", "--user", "enable", "--now", name + ".timer"}}));
    EXPECT_EQ(test::TempDir::Read(folder + "/" + name + ".service"),
              ServiceUnitText("/usr/bin/brackenhold-cli", manager));
    EXPECT_EQ(test::TempDir::Read(folder + "/" + name + ".timer"), TimerUnitText(manager, 24));

    // Again, with another interval: the same units, replaced; no temporary left behind.
    ASSERT_EQ(scheduler.Schedule("/usr/bin/brackenhold-cli", manager, 6).status,
              ScheduleStatus::Done);
    ASSERT_EQ(scheduler.Schedule("/usr/bin/brackenhold-cli", other, 8760).status,
              ScheduleStatus::Done);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);
    std::vector<ScheduleEntry> list = scheduler.List();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].manager, manager);
    EXPECT_EQ(list[0].hours, 6);
    EXPECT_EQ(list[0].unitName, name);
    EXPECT_EQ(list[1].manager, other) << "bytes that are not UTF-8 read back exactly";
    EXPECT_EQ(list[1].hours, 8760);

    // `enable` links the timer into timers.target.wants; removal takes the link too.
    fs::create_directories(folder + "/timers.target.wants");
    fs::create_symlink(folder + "/" + name + ".timer",
                       folder + "/timers.target.wants/" + name + ".timer");
    systemctl.calls.clear();
    outcome = scheduler.Unschedule(manager);
    EXPECT_EQ(outcome.status, ScheduleStatus::Done) << outcome.message;
    EXPECT_EQ(systemctl.calls,
              (std::vector<Argv>{{"systemctl", "--user", "disable", "--now", name + ".timer"},
                                 {"systemctl", "--user", "daemon-reload"}}));
    EXPECT_FALSE(test::TempDir::Exists(folder + "/" + name + ".timer"));
    EXPECT_FALSE(test::TempDir::Exists(folder + "/" + name + ".service"));
    EXPECT_FALSE(fs::is_symlink(folder + "/timers.target.wants/" + name + ".timer"));
    ASSERT_EQ(scheduler.List().size(), 1u);
    EXPECT_EQ(scheduler.List()[0].manager, other);

    systemctl.calls.clear();
    outcome = scheduler.Unschedule(manager);
    EXPECT_EQ(outcome.status, ScheduleStatus::NotScheduled);
    EXPECT_EQ(outcome.message, manager + ": not scheduled");
    EXPECT_TRUE(systemctl.calls.empty());
}

TEST(Scheduler, RefusesWhatCannotBeScheduledAndKeepsUnitsWhenSystemctlFails) {
    test::TempDir dir;
    const std::string folder = dir.File("units");
    RecordingRunner systemctl;
    systemctl.exitCode = 1;
    Scheduler scheduler(folder, systemctl.Runner());

    for (const std::string& bad :
         {dir.File("missing.bak"), dir.Path(), dir.Write("line\nbreak.bak", "")}) {
        const ScheduleOutcome outcome = scheduler.Schedule("/bin/cli", bad, 24);
        EXPECT_EQ(outcome.status, ScheduleStatus::BadManager) << bad;
        EXPECT_TRUE(outcome.message.starts_with(bad + ": ")) << outcome.message;
    }
    EXPECT_FALSE(test::TempDir::Exists(folder)) << "nothing written for a bad manager";
    EXPECT_TRUE(systemctl.calls.empty());

    const std::string manager = dir.Write("m.bak", "");
    const std::string name = ScheduleUnitName(manager);
    ScheduleOutcome outcome = scheduler.Schedule("/bin/cli", manager, 12);
    EXPECT_EQ(outcome.status, ScheduleStatus::SystemctlFailed);
    EXPECT_EQ(systemctl.calls, (std::vector<Argv>{{"systemctl", "--user", "daemon-reload"}}));
    EXPECT_EQ(outcome.message.find('\n'), std::string::npos);
    EXPECT_NE(outcome.message.find("Failed to connect to bus"), std::string::npos);
    EXPECT_NE(outcome.message.find("systemctl --user enable --now " + name + ".timer"),
              std::string::npos);
    EXPECT_EQ(scheduler.List().size(), 1u) << "the units stay written";

    outcome = scheduler.Unschedule(manager);
    EXPECT_EQ(outcome.status, ScheduleStatus::SystemctlFailed);
    EXPECT_TRUE(scheduler.List().empty()) << "removed even without a user manager";

    // A folder that cannot be made: nothing half written.
    const std::string blocked = dir.Write("blocked", "a file");
    Scheduler nowhere(blocked + "/systemd/user", systemctl.Runner());
    systemctl.calls.clear();
    EXPECT_EQ(nowhere.Schedule("/bin/cli", manager, 12).status, ScheduleStatus::WriteFailed);
    EXPECT_TRUE(systemctl.calls.empty());
}

TEST(Scheduler, RefusesAManagerThatOtherUsersCouldChange) {
    // An unattended run would copy whatever another user listed in it.
    test::TempDir dir;
    RecordingRunner systemctl;
    Scheduler scheduler(dir.File("units"), systemctl.Runner());
    const std::string open = dir.Write("open.bak", "");
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    const std::string shared = dir.MakeFolder("shared");
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    const std::string replaceable = dir.Write("shared/m.bak", "");
    ASSERT_EQ(::chmod(replaceable.c_str(), 0644), 0);
    // Reached through a link from a private folder, it is still in the open folder.
    const std::string link = dir.File("link.bak");
    ASSERT_EQ(::symlink(replaceable.c_str(), link.c_str()), 0);
    for (const std::string& bad : {open, replaceable, link}) {
        const ScheduleOutcome outcome = scheduler.Schedule("/bin/cli", bad, 24);
        EXPECT_EQ(outcome.status, ScheduleStatus::BadManager) << bad;
        EXPECT_TRUE(outcome.message.starts_with(bad + ": ")) << outcome.message;
    }
    EXPECT_TRUE(systemctl.calls.empty());
    EXPECT_FALSE(test::TempDir::Exists(dir.File("units")));

    // A folder with the sticky bit lets no one else replace the user's file.
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    EXPECT_EQ(scheduler.Schedule("/bin/cli", replaceable, 24).status, ScheduleStatus::Done);

    if (::geteuid() == 0) {
        const std::string foreign = dir.Write("foreign.bak", "");
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_EQ(scheduler.Schedule("/bin/cli", foreign, 24).status, ScheduleStatus::BadManager);
    }
}

TEST(ProcessRunner, RunsWithoutAShellAndReportsFailures) {
    EXPECT_TRUE(RunProcess({"true"}).Succeeded());
    const ProcessResult failed =
        RunProcess({"sh", "-c", "echo first >&2; echo second >&2; exit 3"});
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_EQ(failed.message, "first");
    const ProcessResult literal = RunProcess({"echo", "$HOME; false"});
    EXPECT_TRUE(literal.Succeeded()) << "no shell reads the arguments";
    const ProcessResult missing = RunProcess({"no-such-program-here"});
    EXPECT_FALSE(missing.Succeeded());
    EXPECT_EQ(missing.message, "no-such-program-here: command not found");
}

// The program itself, with its own config folder and a systemctl that logs its arguments.
class ScheduleCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        const char* config = std::getenv("XDG_CONFIG_HOME");
        hadConfig_ = config != nullptr;
        oldConfig_ = config ? config : "";
        fs::create_directories(dir_.File("bin"));
        const std::string script = dir_.Write(
            "bin/systemctl", "#!/bin/sh\necho \"$*\" >> \"" + dir_.File("systemctl.log") +
                                 "\"\n[ -e \"" + dir_.File("no-user-manager") +
                                 "\" ] && { echo 'Failed to connect to bus' >&2; exit 1; }\n"
                                 "exit 0\n");
        ::chmod(script.c_str(), 0755);
        setenv("PATH", (dir_.File("bin") + ":" + oldPath_).c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        if (hadConfig_) {
            setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }
    test::CliRun Cli(const std::vector<std::string>& args) {
        return test::RunProgram(BH_CLI_PATH, args, dir_.Path());
    }
    std::string Units() const { return dir_.File("config/systemd/user"); }

    test::TempDir dir_;
    std::string oldPath_;
    std::string oldConfig_;
    bool hadConfig_ = false;
};

TEST_F(ScheduleCommand, SchedulesListsAndUnschedules) {
    const std::string manager = dir_.Write("team.bak", "");
    const std::string name = ScheduleUnitName(manager);

    test::CliRun run = Cli({"schedule", "team.bak", "--every", "24"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, manager + ": backed up every 24 hours by " + name + ".timer\n");
    EXPECT_EQ(test::TempDir::Read(dir_.File("systemctl.log")),
              "--user daemon-reload\n--user enable --now " + name + ".timer\n");
    const std::string service = test::TempDir::Read(Units() + "/" + name + ".service");
    EXPECT_NE(service.find("ExecStart=\"" + fs::canonical(BH_CLI_PATH).string() +
                           "\" backup --quiet --notify -- \"" + manager + "\"\n"),
              std::string::npos)
        << service;

    run = Cli({"schedule", "--list"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "every 24 hours\t" + manager + "\n");

    run = Cli({"unschedule", "team.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, manager + ": no longer scheduled\n");
    EXPECT_FALSE(test::TempDir::Exists(Units() + "/" + name + ".timer"));
    EXPECT_EQ(Cli({"schedule", "--list"}).out, "");

    run = Cli({"unschedule", "team.bak"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "brackenhold-cli: " + manager + ": not scheduled\n");
}

TEST_F(ScheduleCommand, SystemctlFailingLeavesUnitsWrittenAndExitsOne) {
    const std::string manager = dir_.Write("team.bak", "");
    dir_.Write("no-user-manager", "");
    const test::CliRun run = Cli({"schedule", "--every=8", "--", "team.bak"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.starts_with("brackenhold-cli: " + manager + ": ")) << run.err;
    EXPECT_NE(run.err.find("systemctl --user enable --now"), std::string::npos);
    EXPECT_TRUE(test::TempDir::Exists(Units() + "/" + ScheduleUnitName(manager) + ".timer"));
    EXPECT_TRUE(test::TempDir::Exists(Units() + "/" + ScheduleUnitName(manager) + ".service"));
}

TEST_F(ScheduleCommand, BadArgumentsAreUsageErrors) {
    dir_.Write("team.bak", "");
    const std::vector<std::vector<std::string>> bad = {
        {"schedule", "team.bak"},
        {"schedule", "team.bak", "--every"},
        {"schedule", "team.bak", "--every", "0"},
        {"schedule", "team.bak", "--every", "8761"},
        {"schedule", "team.bak", "--every", "two"},
        {"schedule", "--every", "3"},
        {"schedule", "team.bak", "--every", "3", "--hourly"},
        {"schedule", "--list", "team.bak"},
        {"schedule", "missing.bak", "--every", "3"},
        {"unschedule"},
        {"unschedule", "a.bak", "b.bak"},
    };
    for (const std::vector<std::string>& args : bad) {
        const test::CliRun run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_TRUE(run.err.starts_with("brackenhold-cli: ")) << run.err;
    }
    EXPECT_FALSE(test::TempDir::Exists(dir_.File("systemctl.log")));
    EXPECT_FALSE(test::TempDir::Exists(Units()));
}

// Only where a user manager runs: the timer really is enabled, then really removed.
TEST(ScheduleWithUserManager, EnablesAndDisablesTheTimer) {
    if (!RunProcess({"systemctl", "--user", "is-system-running"}).Succeeded()) {
        GTEST_SKIP() << "no systemd user manager runs here";
    }
    test::TempDir dir;
    const std::string manager = dir.Write("scheduled.bak", "");
    const std::string timer = ScheduleUnitName(manager) + ".timer";
    Scheduler scheduler(UserUnitFolder(), RunProcess);
    const ScheduleOutcome outcome = scheduler.Schedule(RunningProgramPath(), manager, 8760);
    ASSERT_EQ(outcome.status, ScheduleStatus::Done) << outcome.message;
    EXPECT_TRUE(RunProcess({"systemctl", "--user", "is-enabled", timer}).Succeeded());
    EXPECT_TRUE(RunProcess({"systemctl", "--user", "is-active", timer}).Succeeded());
    EXPECT_EQ(scheduler.Unschedule(manager).status, ScheduleStatus::Done);
    EXPECT_FALSE(RunProcess({"systemctl", "--user", "is-enabled", timer}).Succeeded());
}

}  // namespace
}  // namespace bh::cli
