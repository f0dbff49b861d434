#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliInFolder.h"
#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Cli;
using test::CliRun;
using test::Fields;
using test::Lines;
using test::TempDir;

TEST(Cli, UsageErrorsExitTwo) {
    TempDir dir;
    const CliRun none = Cli(dir, {});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.err.starts_with("usage: brackenhold-cli")) << none.err;
    EXPECT_EQ(none.out, "");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"frobnicate"},
                                               {"new"},
                                               {"add", "m.bak"},
                                               {"list"},
                                               {"list", "m.bak", "--date-mode", "7"},
                                               {"import", "m.bak"}}) {
        const CliRun run = Cli(dir, args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_TRUE(run.err.ends_with(" for usage.\n")) << run.err;
        EXPECT_TRUE(run.err.starts_with("brackenhold-cli: ")) << run.err;
        EXPECT_EQ(Lines(run.err).size(), 2u) << run.err;
    }
}

TEST(Cli, NewWritesAnEmptyManagerAndNeverReplacesAFile) {
    TempDir dir;
    const CliRun run = Cli(dir, {"new", "team.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string bytes = TempDir::Read(dir.File("team.bak"));
    EXPECT_EQ(bytes, EncodeManager(std::vector<ManagerRecord>{}));
    EXPECT_EQ(bytes.size(), 26u);

    dir.Write("precious.txt", "keep me");
    const CliRun again = Cli(dir, {"new", "precious.txt"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("already exists"), std::string::npos);
    EXPECT_EQ(TempDir::Read(dir.File("precious.txt")), "keep me");
}

TEST(Cli, AddSavesAddedFilesAndExplainsTheOthers) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);
    std::filesystem::create_directory(dir.File("src"));
    std::filesystem::create_directory(dir.File("folder"));
    dir.Write("src/report.doc", "report");
    dir.Write("src/notes", "n");

    CliRun run = Cli(dir, {"add", "team.bak", "src/report.doc", "src/notes"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("team.bak")));
    ASSERT_EQ(read.status, ManagerReadStatus::Ok);
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0].sourcePath, dir.File("src/report.doc"));
    EXPECT_EQ(read.records[0].archivePath, dir.File("report.doc"));
    EXPECT_EQ(read.records[1].archivePath, dir.File("notes"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("report.doc")));
    EXPECT_EQ(std::filesystem::file_size(dir.File("report.doc")), 0u);

    // Nothing added: every file gets its reason, the manager is not rewritten.
    const std::string before = TempDir::Read(dir.File("team.bak"));
    std::filesystem::last_write_time(
        dir.File("team.bak"),
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    const auto stamp = std::filesystem::last_write_time(dir.File("team.bak"));
    run = Cli(dir, {"add", "team.bak", "folder", "missing.txt", "SRC/../src/report.doc"});
    EXPECT_EQ(run.exitCode, 1);
    const auto lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 3u) << run.err;
    EXPECT_NE(lines[0].find("folder: not added: not a file"), std::string::npos);
    EXPECT_NE(lines[1].find("missing.txt: not added: not a file"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(dir.File("team.bak")), stamp);
    EXPECT_EQ(TempDir::Read(dir.File("team.bak")), before);

    // The same file again (other spelling) is already there; a new one is still added.
    dir.Write("src/more.txt", "m");
    run = Cli(dir, {"add", "team.bak", "./src/report.doc", "src/more.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("./src/report.doc: not added: already in the manager"),
              std::string::npos)
        << run.err;
    read = DecodeManager(TempDir::Read(dir.File("team.bak")));
    EXPECT_EQ(read.records.size(), 3u);
}

TEST(Cli, ListPrintsHeadersRowsAndSummaries) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);
    dir.Write("tab\tand\\back.txt", "12345");
    dir.Write("plain.txt", "");
    ASSERT_EQ(Cli(dir, {"add", "team.bak", "tab\tand\\back.txt", "plain.txt"}).exitCode, 0);

    const CliRun run = Cli(dir, {"list", "team.bak", "--date-mode", "2"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(Fields(lines[0]),
              (std::vector<std::string>{"Name", "Type", "Size", "Last Modified", "Source Path",
                                        "Archive Path", "Results", "Obsolete", "Notes", "Folder",
                                        "Drive", "Type Name"}));
    const auto first = Fields(lines[1]);
    ASSERT_EQ(first.size(), 12u) << lines[1];
    // A backslash separates folders in names too, so the name is what follows it.
    EXPECT_EQ(first[0], "back");
    EXPECT_EQ(first[1], "txt");
    EXPECT_EQ(first[2], "5 B");
    EXPECT_EQ(first[4], dir.File("tab\\tand\\\\back.txt"));
    EXPECT_EQ(first[3].size(), 19u) << first[3];  // YYYY / MM / DD style with the time
    const auto second = Fields(lines[2]);
    ASSERT_EQ(second.size(), 12u);
    EXPECT_EQ(second[0], "plain");
    EXPECT_EQ(lines[3], "2 Files");
    EXPECT_EQ(lines[4], "5 B");
    // plain.txt is empty and not newer than its new archive, so it is up to date.
    EXPECT_EQ(lines[5], "1 Obselete");
    EXPECT_EQ(lines[6], "No Problems");
}

TEST(Cli, ListJsonCarriesEntryFieldsAndStaysValid) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);
    dir.Write("a.txt", "abc");
    ASSERT_EQ(Cli(dir, {"add", "team.bak", "a.txt"}).exitCode, 0);
    // An entry whose paths are not UTF-8, added by hand.
    ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("team.bak")));
    read.records.push_back({"/nowhere/\xFF\xFE.txt", "/nowhere/\xC3(.txt", "line\nnote"});
    dir.Write("team.bak", EncodeManager(read.records));

    const CliRun run = Cli(dir, {"list", "team.bak", "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << run.out;
    ASSERT_EQ(parsed["entries"].size(), 2u);
    const auto& entry = parsed["entries"][0];
    EXPECT_EQ(entry["sourcePath"], dir.File("a.txt"));
    EXPECT_EQ(entry["archivePath"], dir.File("a[1].txt"));
    EXPECT_EQ(entry["sourceSize"], 3);
    EXPECT_EQ(entry["archiveSize"], 0);
    EXPECT_EQ(entry["textColor"], 0);
    EXPECT_EQ(entry["backColor"], 0xFFFFFF);
    EXPECT_EQ(entry["result"], 0);
    for (const char* key :
         {"notes", "typeName", "sourceTime", "archiveTime", "timeDiff", "lastError"}) {
        EXPECT_TRUE(entry.contains(key)) << key;
    }
    const auto& missing = parsed["entries"][1];
    EXPECT_EQ(missing["result"], 1);
    EXPECT_NE(missing["lastError"], 0);
    EXPECT_EQ(missing["textColor"], 0x0000FF);
    EXPECT_EQ(missing["notes"], "line\nnote");
    EXPECT_EQ(missing["sourcePath"], "/nowhere/\xEF\xBF\xBD\xEF\xBF\xBD.txt");
    const auto& summary = parsed["summary"];
    EXPECT_EQ(summary["files"], 2);
    EXPECT_EQ(summary["totalSize"], 3);
    EXPECT_EQ(summary["obsolete"], 1);
    EXPECT_EQ(summary["problems"], 1);
}

TEST(Cli, StatusJsonNamesEachStateAndShowsTheResultsText) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);
    dir.Write("plain.txt", "");
    dir.Write("a.txt", "abc");
    ASSERT_EQ(Cli(dir, {"add", "team.bak", "plain.txt", "a.txt"}).exitCode, 0);
    ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("team.bak")));
    read.records.push_back({dir.File("gone.txt"), dir.File("gone.arc"), ""});
    dir.Write("team.bak", EncodeManager(read.records));

    const CliRun run = Cli(dir, {"status", "team.bak", "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << run.out;
    const auto& entries = parsed["entries"];
    ASSERT_EQ(entries.size(), 3u);
    // An empty source is not newer than its new empty archive; "abc" is larger than its.
    EXPECT_EQ(entries[0]["status"], "up to date");
    EXPECT_EQ(entries[0]["error"], "");
    EXPECT_EQ(entries[0]["textColor"], 0x008000);
    EXPECT_EQ(entries[1]["status"], "out of date");
    EXPECT_EQ(entries[1]["error"], "");
    EXPECT_EQ(entries[1]["textColor"], 0);
    EXPECT_EQ(entries[2]["status"], "problem");
    EXPECT_EQ(entries[2]["textColor"], 0x0000FF);
    const std::string error = entries[2]["error"];
    EXPECT_TRUE(test::Contains(error, "No such file or directory")) << error;

    // The error is the Results column's text of the same row.
    const auto lines = Lines(Cli(dir, {"list", "team.bak"}).out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(Fields(lines[3])[6], error);
}

TEST(Cli, ImportAppendsAndSaves) {
    TempDir dir;
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);
    dir.Write("other.bak", EncodeManager(std::vector<ManagerRecord>{{"/s/one", "/o/one", "n1"},
                                                                    {"/s/two", "/o/two", ""}}));
    CliRun run = Cli(dir, {"import", "team.bak", "other.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ManagerReadResult read = DecodeManager(TempDir::Read(dir.File("team.bak")));
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0].notes, "n1");

    const std::string saved = TempDir::Read(dir.File("team.bak"));
    run = Cli(dir, {"import", "team.bak", "TEAM.BAK"});
    EXPECT_EQ(run.exitCode, 1);
    run = Cli(dir, {"import", "team.bak", "./team.bak"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Can't import backup to itself"), std::string::npos) << run.err;
    dir.Write("foreign.bak", "not a manager at all");
    run = Cli(dir, {"import", "team.bak", "foreign.bak"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("This is not a Backup file!"), std::string::npos);
    EXPECT_EQ(TempDir::Read(dir.File("team.bak")), saved);
}

TEST(Cli, UnreadableManagersExitTwoWithTheirMessage) {
    TempDir dir;
    dir.Write("foreign.bak", "GIF89a....");
    const std::string valid = EncodeManager(std::vector<ManagerRecord>{{"/s/a", "/a/a", ""}});
    dir.Write("cut.bak", valid.substr(0, valid.size() - 2));
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    // One line each, naming the manager, the designed text's parts joined with ": ".
    const Case cases[] = {
        {{"list", "foreign.bak"}, "foreign.bak: This is not a Backup file!"},
        {{"list", "cut.bak"}, "cut.bak: Failed to open document: "},
        {{"list", "missing.bak"},
         "missing.bak: Failed to open document: No such file or directory"},
        {{"status", "missing.bak"},
         "missing.bak: Failed to open document: No such file or directory"},
        {{"add", "foreign.bak", "cut.bak"}, "foreign.bak: This is not a Backup file!"},
        {{"import", "cut.bak", "foreign.bak"}, "cut.bak: Failed to open document: "},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(dir, c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args[1];
        EXPECT_TRUE(run.err.starts_with("brackenhold-cli: " + dir.File(c.message))) << run.err;
        EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Cli(dir, {"list", "missing.bak"}).err,
              "brackenhold-cli: " + dir.File("missing.bak") +
                  ": Failed to open document: No such file or directory\n");
    EXPECT_EQ(TempDir::Read(dir.File("cut.bak")), valid.substr(0, valid.size() - 2));
}

}  // namespace
}  // namespace bh
