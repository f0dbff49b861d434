// Unusual and hostile names, file kinds and permissions, through the command-line program
// on real files: nothing hangs, nothing crashes, every listed row stays one line, the file
// system receives the exact bytes, and what cannot be done is reported as a problem.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::CliRun;
using test::Contains;
using test::TempDir;

int Lines(const std::string& text) {
    int lines = 0;
    for (const char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

bool IsRegular(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class CliHostileInputTest : public ::testing::Test {
  protected:
    CliRun Cli(const std::vector<std::string>& args) {
        return test::RunProgram(BH_CLI_PATH, args, dir.Path());
    }
    void WriteManager(const std::vector<ManagerRecord>& records) {
        dir.Write("m.bak", EncodeManager(records));
    }
    std::vector<ManagerRecord> Saved() {
        return DecodeManager(TempDir::Read(dir.File("m.bak"))).records;
    }
    // An old archive and a newer source, so that a backup wants to copy.
    void OutOfDate(const std::string& source, const std::string& archive) {
        ASSERT_TRUE(TempDir::SetTimes(source, 2000000000)) << source;
        ASSERT_TRUE(TempDir::SetTimes(archive, 1000000000)) << archive;
    }

    TempDir dir;
};

TEST_F(CliHostileInputTest, ControlCharactersAndForeignBytesKeepRowsOnOneLineAndReachDiskExactly) {
    const std::vector<std::string> names = {
        "tab\there.txt",           "line\nbreak.txt", std::string("bell\x07\x1b[31m.txt"),
        "latin1 \xE9\xFF\xFE.txt", "del\x7F.txt",     std::string(255, 'n')};
    dir.MakeFolder("src");
    std::vector<std::string> args = {"--verbose", "add", "m.bak"};
    for (const std::string& name : names) {
        dir.Write("src/" + name, "data of " + name);
        args.push_back("src/" + name);
    }
    ASSERT_EQ(Cli({"new", "m.bak"}).exitCode, 0);
    const CliRun added = Cli(args);
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(Contains(added.out, "bell\\x07\\x1B[31m.txt")) << added.out;
    EXPECT_FALSE(Contains(added.out, "\x1b")) << "no terminal escape reaches the terminal";
    const std::vector<ManagerRecord> records = Saved();
    ASSERT_EQ(records.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(records[i].sourcePath, dir.File("src/" + names[i]));
        EXPECT_EQ(records[i].archivePath, dir.File(names[i])) << "the name's exact bytes";
    }

    const CliRun listed = Cli({"list", "m.bak"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    // The header, one line per entry, then the four summary lines.
    EXPECT_EQ(Lines(listed.out), 1 + static_cast<int>(names.size()) + 4) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "tab\\there.txt")) << listed.out;
    EXPECT_TRUE(Contains(listed.out, "line\\nbreak.txt"));
    EXPECT_TRUE(Contains(listed.out, "bell\\x07\\x1B[31m.txt"));
    EXPECT_TRUE(Contains(listed.out, "del\\x7F.txt"));
    EXPECT_TRUE(Contains(listed.out, "latin1 \xE9\xFF\xFE.txt")) << "not control bytes";
    EXPECT_FALSE(Contains(listed.out, "\x1b")) << "no terminal escape reaches the terminal";
    const CliRun json = Cli({"list", "m.bak", "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;

    const CliRun backup = Cli({"--verbose", "backup", "m.bak"});
    EXPECT_EQ(backup.exitCode, 0) << backup.out << backup.err;
    for (const std::string& name : names) {
        EXPECT_EQ(TempDir::Read(dir.File(name)), "data of " + name) << name;
    }
    EXPECT_TRUE(Contains(backup.out, "line\\x0Abreak.txt")) << backup.out;
    EXPECT_FALSE(Contains(backup.out, "\x1b")) << backup.out;

    // Messages on the error stream name paths too: a manager named with an escape sequence.
    const CliRun missing = Cli({"list", std::string("gone\x1b]0;title\x07.bak")});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(Contains(missing.err, "gone\\x1B]0;title\\x07.bak")) << missing.err;
    EXPECT_FALSE(Contains(missing.err, "\x1b")) << missing.err;
}

TEST_F(CliHostileInputTest, NamesOf255BytesAndPathsOf4000BytesWork) {
    // Nested folders of 250-byte names up to a path of about 4,000 bytes.
    std::string relative;
    while (dir.Path().size() + relative.size() + 260 < 4000) {
        relative += (relative.empty() ? "" : "/") + std::string(250, 'f');
        ASSERT_EQ(::mkdir(dir.File(relative).c_str(), 0755), 0);
    }
    const std::string longName(255 - 4, 'x');
    const std::string source = dir.Write(relative + "/" + longName + ".txt", "deep");
    ASSERT_GE(source.size(), 3900u);
    ASSERT_EQ(Cli({"new", "m.bak"}).exitCode, 0);
    const CliRun added = Cli({"add", "m.bak", source});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    ASSERT_EQ(Saved().size(), 1u);
    EXPECT_EQ(Saved()[0].sourcePath, source);
    ASSERT_TRUE(TempDir::SetTimes(source, 2000000000));
    const CliRun backup = Cli({"backup", "m.bak"});
    EXPECT_EQ(backup.exitCode, 0) << backup.out;
    EXPECT_EQ(TempDir::Read(dir.File(longName + ".txt")), "deep");
    // A copy into the deep folder, whose temporary name would be longer than a name may be.
    WriteManager({{dir.File(longName + ".txt"), source, ""}});
    dir.Write(longName + ".txt", "changed");
    OutOfDate(dir.File(longName + ".txt"), source);
    const CliRun back = Cli({"backup", "m.bak"});
    EXPECT_EQ(back.exitCode, 0) << back.out;
    EXPECT_EQ(TempDir::Read(source), "changed");
}

TEST_F(CliHostileInputTest, FoldersAndLinksWhereFilesAreExpected) {
    dir.MakeFolder("src");
    dir.MakeFolder("arc");
    dir.MakeFolder("src/folder");
    ASSERT_EQ(Cli({"new", "m.bak"}).exitCode, 0);
    const CliRun folder = Cli({"add", "m.bak", "src/folder"});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_TRUE(Contains(folder.err, "src/folder: not added")) << folder.err;

    // A folder as archive, a folder as source, a link as source and a link as archive.
    dir.Write("src/a.txt", "a");
    dir.MakeFolder("arc/a.txt");
    dir.Write("arc/d.txt", "d");
    dir.Write("src/b.txt", "b");
    dir.Write("target.txt", "the link's target");
    dir.Write("arc/b.txt", "old b");
    ASSERT_EQ(::symlink(dir.File("src/b.txt").c_str(), dir.File("src/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("target.txt").c_str(), dir.File("arc/b.txt.link").c_str()), 0);
    dir.Write("arc/link.txt", "old link");
    OutOfDate(dir.File("src/a.txt"), dir.File("arc/d.txt"));
    OutOfDate(dir.File("src/b.txt"), dir.File("arc/b.txt"));
    OutOfDate(dir.File("src/b.txt"), dir.File("arc/link.txt"));
    ASSERT_TRUE(TempDir::SetTimes(dir.File("target.txt"), 1000000000));
    WriteManager({{dir.File("src/a.txt"), dir.File("arc/a.txt"), ""},
                  {dir.File("src/folder"), dir.File("arc/d.txt"), ""},
                  {dir.File("src/link.txt"), dir.File("arc/link.txt"), ""},
                  {dir.File("src/b.txt"), dir.File("arc/b.txt.link"), ""}});
    const CliRun backup = Cli({"backup", "m.bak"});
    EXPECT_EQ(backup.exitCode, 1) << backup.out;
    EXPECT_TRUE(Contains(backup.out, "2  Files were backed up.")) << backup.out;
    EXPECT_TRUE(Contains(backup.out, "2  Files have problems.")) << backup.out;
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("arc/a.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << "a folder in the archive's place stays";
    EXPECT_EQ(TempDir::Read(dir.File("arc/d.txt")), "d");
    EXPECT_EQ(TempDir::Read(dir.File("arc/link.txt")), "b") << "a source link is followed";
    EXPECT_TRUE(IsRegular(dir.File("arc/b.txt.link"))) << "an archive link is replaced";
    EXPECT_EQ(TempDir::Read(dir.File("arc/b.txt.link")), "b");
    EXPECT_EQ(TempDir::Read(dir.File("target.txt")), "the link's target") << "never followed";
}

TEST_F(CliHostileInputTest, FifosAndDevicesAreRefusedWithoutBlocking) {
    dir.MakeFolder("arc");
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.File("arc/fifo-archive").c_str(), 0644), 0);
    dir.Write("plain.txt", "plain");
    ASSERT_TRUE(TempDir::SetTimes(dir.File("plain.txt"), 2000000000));
    std::vector<ManagerRecord> records = {
        {dir.File("fifo"), dir.File("arc/from-fifo"), ""},
        {"/dev/zero", dir.File("arc/zero"), ""},
        {dir.File("plain.txt"), dir.File("arc/fifo-archive"), ""},
    };
    const bool devices = ::geteuid() == 0 && ::mknod(dir.File("arc/null-device").c_str(),
                                                     S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (devices) {
        records.push_back({dir.File("plain.txt"), dir.File("arc/null-device"), ""});
    }
    dir.Write("arc/from-fifo", "old");
    dir.Write("arc/zero", "old");
    ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/from-fifo"), 0));
    ASSERT_TRUE(TempDir::SetTimes(dir.File("arc/zero"), 0));
    WriteManager(records);

    const CliRun backup = Cli({"backup", "m.bak"});
    EXPECT_EQ(backup.exitCode, 1) << backup.out;
    EXPECT_TRUE(Contains(backup.out, "0  Files were backed up.")) << backup.out;
    EXPECT_EQ(TempDir::Read(dir.File("arc/from-fifo")), "old");
    EXPECT_EQ(TempDir::Read(dir.File("arc/zero")), "old");
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("arc/fifo-archive").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "a FIFO in the archive's place is not replaced";
    if (devices) {
        ASSERT_EQ(::lstat(dir.File("arc/null-device").c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << "a device in the archive's place is not replaced";
    }
    // A FIFO as the manager itself: not a manager, and nothing waits for a writer.
    const CliRun list = Cli({"list", "fifo"});
    EXPECT_EQ(list.exitCode, 2) << list.err;
    EXPECT_TRUE(Contains(list.err, "Failed to open document: ")) << list.err;
}

TEST_F(CliHostileInputTest, AReadOnlyManagerIsNotReplaced) {
    dir.Write("a.txt", "a");
    ASSERT_EQ(Cli({"new", "m.bak"}).exitCode, 0);
    const std::string before = TempDir::Read(dir.File("m.bak"));
    ASSERT_EQ(::chmod(dir.File("m.bak").c_str(), 0444), 0);
    const CliRun add = Cli({"add", "m.bak", "a.txt"});
    EXPECT_EQ(add.exitCode, 1) << add.err;
    EXPECT_TRUE(Contains(add.err, "Failed to save document: ")) << add.err;
    EXPECT_TRUE(Contains(add.err, "Permission denied")) << add.err;
    EXPECT_EQ(TempDir::Read(dir.File("m.bak")), before);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("m.bak").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

// Root ignores permission bits, so there a read-only file system stands in for the folder:
// a read-only tmpfs when this process may mount one, else the test is skipped.
TEST_F(CliHostileInputTest, AnArchiveInAReadOnlyFolderIsAProblemAndNothingIsLeft) {
    const std::string readOnly = dir.MakeFolder("ro");
    dir.Write("ro/a.txt", "old");  // written before the folder becomes read-only
    bool mounted = false;
    if (::geteuid() == 0) {
        mounted = ::mount("tmpfs", readOnly.c_str(), "tmpfs", 0, "size=1m") == 0;
        if (!mounted) {
            GTEST_SKIP() << "running as root without permission to mount a read-only tmpfs";
        }
        dir.Write("ro/a.txt", "old");
        ASSERT_TRUE(TempDir::SetTimes(dir.File("ro/a.txt"), 1000000000));
        ASSERT_EQ(::mount(nullptr, readOnly.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    } else {
        ASSERT_TRUE(TempDir::SetTimes(dir.File("ro/a.txt"), 1000000000));
        ASSERT_EQ(::chmod(readOnly.c_str(), 0555), 0);
    }
    dir.Write("a.txt", "new");
    ASSERT_TRUE(TempDir::SetTimes(dir.File("a.txt"), 2000000000));
    WriteManager({{dir.File("a.txt"), dir.File("ro/a.txt"), ""}});
    const CliRun backup = Cli({"backup", "m.bak"});
    const std::string archive = TempDir::Read(dir.File("ro/a.txt"));
    const std::string listing = Cli({"list", "m.bak"}).out;
    if (mounted) {
        ::umount(readOnly.c_str());
    } else {
        ::chmod(readOnly.c_str(), 0755);
    }
    EXPECT_EQ(backup.exitCode, 1) << backup.out;
    EXPECT_TRUE(Contains(backup.out, "1  File has problems.")) << backup.out;
    EXPECT_EQ(archive, "old");
    EXPECT_TRUE(Contains(listing, "\t31 year\t")) << "still out of date: " << listing;
}

}  // namespace
}  // namespace bh
