#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bh/Version.h"
#include "cli/CliInFolder.h"
#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Cli;
using test::CliRun;
using test::Contains;
using test::TempDir;

bool IsEmptyFolder(const TempDir& dir) {
    return std::filesystem::is_empty(dir.Path());
}

TEST(CliCommandLine, HelpAndVersionGoToStandardOutput) {
    TempDir dir;
    const CliRun general = Cli(dir, {"--help"});
    EXPECT_EQ(general.exitCode, 0);
    EXPECT_EQ(general.err, "");
    EXPECT_TRUE(general.out.starts_with("usage: brackenhold-cli ")) << general.out;
    for (const char* command : {"new", "add", "list", "status", "backup", "restore", "remove",
                                "import", "schedule", "unschedule", "help"}) {
        EXPECT_TRUE(Contains(general.out, std::string("\n  ") + command + " ")) << command;
    }
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-h"}, {"help"}, {"-q", "--help"}}) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.exitCode, 0) << args[0];
        EXPECT_EQ(run.out, general.out) << args[0];
    }

    const CliRun version = Cli(dir, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("brackenhold-cli ") + kVersionText + "\n");
    EXPECT_EQ(version.err, "");

    // A command's help, however it is asked for, and the command does not run.
    const CliRun help = Cli(dir, {"help", "restore"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: brackenhold-cli restore [OPTIONS] MANAGER [ROW...]\n"))
        << help.out;
    for (const char* option : {"--all", "--keep-copies", "--quiet", "--verbose", "--help"}) {
        EXPECT_TRUE(Contains(help.out, option)) << option;
    }
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"restore", "--help"}, {"restore", "m.bak", "-h"}, {"-v", "restore", "-h", "--all"}}) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.exitCode, 0) << ::testing::PrintToString(args);
        EXPECT_EQ(run.out, help.out) << ::testing::PrintToString(args);
        EXPECT_EQ(run.err, "");
    }
    EXPECT_TRUE(IsEmptyFolder(dir));
}

TEST(CliCommandLine, DashDashEndsTheOptions) {
    TempDir dir;
    const CliRun help = Cli(dir, {"new", "-h"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("usage: brackenhold-cli new")) << help.out;
    EXPECT_TRUE(IsEmptyFolder(dir)) << "-h asks for help, it names no manager";

    const CliRun created = Cli(dir, {"new", "--", "-h"});
    EXPECT_EQ(created.exitCode, 0) << created.err;
    EXPECT_EQ(TempDir::Read(dir.File("-h")), EncodeManager(std::vector<ManagerRecord>{}));

    // Options may follow the arguments, and a file named like an option follows "--".
    dir.Write("-v.txt", "v");
    const CliRun added = Cli(dir, {"add", "-q", "--", "-h", "-v.txt"});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    const ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("-h")));
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].sourcePath, dir.File("-v.txt"));
    EXPECT_EQ(added.out, "") << "-q came before --, so it is an option";
}

TEST(CliCommandLine, UsageErrorsNameTheWordAndPointToHelp) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        std::string error;
        std::string help;
    };
    const Case cases[] = {
        {{"--foo"}, "unknown option --foo", "help"},
        {{"new", "m.bak", "--foo"}, "unknown option --foo", "help new"},
        {{"--foo", "new", "m.bak"}, "unknown option --foo", "help new"},
        {{"frobnicate", "m.bak"}, "unknown command frobnicate", "help"},
        {{"new"}, "new: MANAGER is required", "help new"},
        {{"new", "m.bak", "other.bak"}, "new: unexpected argument other.bak", "help new"},
        {{"import", "m.bak"}, "import: OTHER is required", "help import"},
        {{"list", "m.bak", "--date-mode"}, "list: --date-mode: 1 required N missing", "help list"},
        {{"restore", "m.bak"}, "restore: ROW or --all is required", "help restore"},
        {{"restore", "m.bak", "+1"}, "restore: ROW: +1 is not a row number", "help restore"},
        {{"remove", "m.bak", "0"}, "remove: ROW: 0 is not a row number", "help remove"},
        {{"help", "frobnicate"}, "help: unknown command frobnicate", "help"},
        {{"-q", "-v", "new", "m.bak"},
         "new: --quiet and --verbose cannot be used together",
         "help new"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(dir, c.args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(c.args);
        EXPECT_EQ(run.err, "brackenhold-cli: " + c.error + "\nRun 'brackenhold-cli " + c.help +
                               "' for usage.\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(IsEmptyFolder(dir)) << "nothing ran";
}

// Row numbers are decimal whatever their leading zeros: "010" is row 10, never row 8 (octal),
// so a padded number from a script cannot remove or restore the wrong entry.
TEST(CliCommandLine, RowNumbersWithLeadingZerosAreDecimal) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "m.bak"}).exitCode, 0);
    std::vector<std::string> add = {"add", "m.bak"};
    for (int i = 1; i <= 10; ++i) {
        add.push_back(dir.Write("f" + std::to_string(i) + ".txt", "x"));
    }
    ASSERT_EQ(Cli(dir, add).exitCode, 0);
    ASSERT_EQ(Cli(dir, {"remove", "m.bak", "010", "09"}).exitCode, 0);
    const CliRun list = Cli(dir, {"list", "m.bak"});
    EXPECT_TRUE(Contains(list.out, "f8.txt")) << list.out;
    EXPECT_FALSE(Contains(list.out, "f9.txt")) << list.out;
    EXPECT_FALSE(Contains(list.out, "f10.txt")) << list.out;
    const CliRun zero = Cli(dir, {"remove", "m.bak", "000"});
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_TRUE(Contains(zero.err, "000 is not a row number")) << zero.err;
    for (const char* command : {"remove", "restore"}) {
        const CliRun beyond = Cli(dir, {command, "m.bak", "9"});
        EXPECT_EQ(beyond.exitCode, 2) << command;
        EXPECT_EQ(beyond.err, "brackenhold-cli: " + dir.File("m.bak") +
                                  ": no such row: 9 (the manager has 8 rows)\n")
            << command;
    }
}

TEST(CliCommandLine, AFailedWriteToStandardOutputExitsFour) {
    TempDir dir;
    dir.Write("a.txt", "a");
    ASSERT_EQ(Cli(dir, {"new", "m.bak"}).exitCode, 0);
    ASSERT_EQ(Cli(dir, {"add", "m.bak", "a.txt"}).exitCode, 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"list", "--json", "m.bak"}, {"list", "m.bak"}, {"--help"}, {"--version"}}) {
        const CliRun run = test::RunProgramWithOutput(BH_CLI_PATH, args, dir.Path(), "/dev/full");
        EXPECT_EQ(run.exitCode, 4) << ::testing::PrintToString(args);
        EXPECT_EQ(run.err, "brackenhold-cli: standard output: No space left on device\n");
    }
    // Nothing to print is no failure.
    EXPECT_EQ(
        test::RunProgramWithOutput(BH_CLI_PATH, {"new", "n.bak"}, dir.Path(), "/dev/full").exitCode,
        0);
}

}  // namespace
}  // namespace bh
