// The command-line program on Windows paths: drive letters, backslashes, long-path and UNC
// spellings, letter case, the substitute and copy names it makes, and the system's error
// texts. Under Wine, drive Z: is the host's root and \\host\share is a folder of the prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/base/ErrorText.h"
#include "core/document/ManagerFileFormat.h"
#include "platform/win32/Win32SystemErrors.h"
#include "platform/win32/WinePaths.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Backslashed;
using test::CliRun;
using test::Fields;
using test::Lines;
using test::TempDir;

// Output without the CR that text-mode streams put before each LF on Windows.
CliRun Cli(const std::string& folder, const std::vector<std::string>& args) {
    CliRun run = test::RunProgram(BH_CLI_PATH, args, folder);
    for (std::string* text : {&run.out, &run.err}) {
        std::erase(*text, '\r');
    }
    return run;
}

CliRun Cli(const TempDir& dir, const std::vector<std::string>& args) {
    return Cli(dir.Path(), args);
}

// The listing doubles backslashes.
std::string Listed(const std::string& path) {
    std::string listed;
    for (const char c : path) {
        listed += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return listed;
}

std::vector<ManagerRecord> Records(const std::string& manager) {
    const ManagerReadResult read = DecodeManager(TempDir::Read(manager));
    EXPECT_EQ(read.status, ManagerReadStatus::Ok) << manager;
    return read.records;
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SetWriteTime(const std::string& path, std::int64_t seconds) {
    return TempDir::SetTimes(path, seconds);
}

// \\<host>\share under Wine: a folder of the prefix's "unc" device folder, removed afterwards.
class WineShare {
  public:
    WineShare() {
        std::mt19937 generator{std::random_device{}()};
        host_ = "bhhost" + std::to_string(generator() % 1000000);
        const std::string devices = test::WineDriveZPath("C:\\");
        if (devices.empty()) {
            return;
        }
        hostFolder_ = devices + "..\\unc\\" + host_;
        std::error_code error;
        std::filesystem::create_directories(hostFolder_ + "\\share", error);
    }
    ~WineShare() {
        if (!hostFolder_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(hostFolder_, ignored);
        }
    }
    std::string Root() const { return "\\\\" + host_ + "\\share"; }
    bool Usable() const { return !hostFolder_.empty() && Exists(Root() + "\\"); }

  private:
    std::string host_;
    std::string hostFolder_;
};

TEST(Win32Cli, BackslashedPathsSubstituteNamesAndDuplicatesInAnyCase) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("other");
    dir.Write("src/report.doc", "report");
    dir.Write("other/report.doc", "other report");
    dir.Write("report.doc", "not an archive");  // already in the manager's folder
    ASSERT_EQ(Cli(dir, {"new", "team.bak"}).exitCode, 0);

    const std::string source = Backslashed(dir.File("src/report.doc"));
    CliRun run = Cli(dir, {"add", "team.bak", source, "other\\report.doc"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<ManagerRecord> records = Records(dir.File("team.bak"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].sourcePath, source);
    EXPECT_EQ(records[0].archivePath, Backslashed(dir.File("report[1].doc")));
    EXPECT_EQ(records[1].sourcePath, Backslashed(dir.File("other/report.doc")));
    EXPECT_EQ(records[1].archivePath, Backslashed(dir.File("report[2].doc")));
    EXPECT_EQ(TempDir::Read(dir.File("report.doc")), "not an archive");
    EXPECT_TRUE(Exists(dir.File("report[2].doc")));

    // Windows names are case-blind and take either separator: these are all one source.
    run = Cli(dir,
              {"add", "team.bak", "SRC\\REPORT.DOC", "src/Report.Doc", ".\\Other\\.\\REPORT.doc"});
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 3u) << run.err;
    for (const std::string& line : lines) {
        EXPECT_NE(line.find("not added: already in the manager"), std::string::npos) << line;
    }
    EXPECT_EQ(Records(dir.File("team.bak")).size(), 2u);
}

TEST(Win32Cli, BackupAndRestoreWithNumberedCopiesBesideTheSource) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    const std::string source = dir.Write("src/report.doc", "version 2");
    ASSERT_TRUE(SetWriteTime(source, 1700000000));
    const std::string archive = dir.Write("arc/report.doc", "version 1");
    ASSERT_TRUE(SetWriteTime(archive, 1600000000));
    dir.Write("m.bak", EncodeManager(std::vector<ManagerRecord>{
                           {Backslashed(source), Backslashed(archive), "notes"}}));

    CliRun run = Cli(dir, {"backup", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(TempDir::Read(archive), "version 2");
    run = Cli(dir, {"status", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.out;

    // Restoring keeps the source as it was under the first free copy name.
    dir.Write("src/report.doc", "version 3");
    run = Cli(dir, {"restore", "m.bak", "--all", "--keep-copies"});
    EXPECT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_EQ(TempDir::Read(source), "version 2");
    EXPECT_EQ(TempDir::Read(dir.File("src/report[copy1].doc")), "version 3");
    run = Cli(dir, {"restore", "m.bak", "1", "--keep-copies"});
    EXPECT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_EQ(TempDir::Read(dir.File("src/report[copy2].doc")), "version 2");
    EXPECT_EQ(TempDir::Read(dir.File("src/report[copy1].doc")), "version 3");
}

TEST(Win32Cli, ManagersAndSourcesOnDriveZAndOnAShare) {
    if (!test::UnderWine()) {
        GTEST_SKIP() << "drive Z: and the share are set up through Wine's prefix";
    }
    TempDir dir;
    const std::string zFolder = test::WineDriveZPath(Backslashed(dir.Path()));
    ASSERT_EQ(zFolder.substr(0, 3), "Z:\\");
    dir.Write("z.txt", "on drive z");

    WineShare share;
    ASSERT_TRUE(share.Usable()) << share.Root();
    const std::string shared = share.Root() + "\\shared.txt";
    ASSERT_TRUE(std::filesystem::copy_file(dir.Write("seed.txt", "on the share"), shared));

    // The manager lives on C:, its sources on Z: and on the share.
    ASSERT_EQ(Cli(dir, {"new", "m.bak"}).exitCode, 0);
    CliRun run = Cli(dir, {"add", "m.bak", zFolder + "\\z.txt", shared});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<ManagerRecord> records = Records(dir.File("m.bak"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].sourcePath, zFolder + "\\z.txt");
    EXPECT_EQ(records[1].sourcePath, shared);
    EXPECT_EQ(records[1].archivePath, Backslashed(dir.File("shared.txt")));
    ASSERT_TRUE(SetWriteTime(dir.File("z.txt"), 1700000000));
    ASSERT_TRUE(SetWriteTime(shared, 1700000000));
    run = Cli(dir, {"backup", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err << run.out;
    EXPECT_EQ(TempDir::Read(records[0].archivePath), "on drive z");
    EXPECT_EQ(TempDir::Read(dir.File("shared.txt")), "on the share");

    // A manager on the share. (Wine cannot start a program in a share as its current folder.)
    const std::string team = share.Root() + "\\team.bak";
    run = Cli(dir, {"new", team});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Cli(dir, {"add", team, shared});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    records = Records(team);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sourcePath, shared);
    EXPECT_EQ(records[0].archivePath, share.Root() + "\\shared[1].txt");
    run = Cli(dir, {"list", team});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> fields = Fields(Lines(run.out).at(1));
    ASSERT_EQ(fields.size(), 12u);
    EXPECT_EQ(fields[4], Listed(shared));
}

TEST(Win32Cli, FailuresShowTheSystemsTexts) {
    TempDir dir;
    const Win32SystemErrors errors;
    CliRun run = Cli(dir, {"list", "missing.bak"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("Failed to open document: " +
                           ErrorCodeText(errors, ErrorCode(ERROR_FILE_NOT_FOUND))),
              std::string::npos)
        << run.err;

    // A source in a folder that is gone: the Results column carries the system's text.
    dir.Write("m.bak",
              EncodeManager(std::vector<ManagerRecord>{
                  {Backslashed(dir.File("gone/a.txt")), Backslashed(dir.File("a.txt")), ""}}));
    run = Cli(dir, {"list", "m.bak"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u) << run.out;
    const std::vector<std::string> fields = Fields(lines[1]);
    ASSERT_EQ(fields.size(), 12u) << lines[1];
    const std::string text = ErrorCodeText(errors, ErrorCode(ERROR_PATH_NOT_FOUND));
    ASSERT_GE(fields[6].size(), text.size());
    EXPECT_EQ(fields[6].substr(fields[6].size() - text.size()), text) << fields[6];
    EXPECT_EQ(fields[6].find("Last Error"), std::string::npos);
}

}  // namespace
}  // namespace bh
