#include "core/document/FileEntry.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/ports/LastError.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/RecordingShell.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/CountingFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

constexpr std::int64_t kTime = 1700000000;

class FileEntryTest : public ::testing::Test {
  protected:
    std::string Source(const std::string& content, std::int64_t seconds) {
        const std::string path = dir_.Write("report.txt", content);
        EXPECT_TRUE(test::TempDir::SetTimes(path, seconds));
        return path;
    }
    std::string Archive(const std::string& content, std::int64_t seconds) {
        const std::string path = dir_.Write("report.arc", content);
        EXPECT_TRUE(test::TempDir::SetTimes(path, seconds));
        return path;
    }
    CFileEntry Entry() {
        return CFileEntry(dir_.File("report.txt"), dir_.File("report.arc"), "notes", shell_,
                          counting_);
    }

    test::TempDir dir_;
    PosixFileSystem posix_;
    test::CountingFileSystem counting_{posix_};
    RecordingShell shell_;
};

TEST_F(FileEntryTest, MissingSourceIsAProblemAndTheArchiveIsNeverQueried) {
    Archive("archive", kTime);
    const CFileEntry entry = Entry();
    EXPECT_EQ(entry.result, kResultSourceFailed);
    EXPECT_EQ(entry.lastError, std::uint32_t{ENOENT});
    EXPECT_EQ(entry.state, EntryState::Problem);
    EXPECT_EQ(entry.textColor, kColorProblem);
    EXPECT_EQ(entry.backColor, kColorWhite);
    EXPECT_EQ(entry.sourceSize, 0u);
    EXPECT_EQ(entry.sourceTime, 0);
    EXPECT_EQ(entry.archiveSize, 0u);
    EXPECT_EQ(entry.archiveTime, 0);
    EXPECT_EQ(entry.timeDiff, 0);
    EXPECT_EQ(counting_.Queries(dir_.File("report.txt")), 1);
    EXPECT_EQ(counting_.Queries(dir_.File("report.arc")), 0);
    EXPECT_EQ(entry.notes, "notes");
}

TEST_F(FileEntryTest, EachStateShowsItsDesignedColours) {
    struct Case {
        EntryState state;
        std::uint32_t text;
    };
    CFileEntry entry = Entry();
    for (const Case& c :
         {Case{EntryState::OutOfDate, 0x000000}, Case{EntryState::UpToDate, 0x008000},
          Case{EntryState::Problem, 0x0000FF}}) {
        entry.backColor = 0x123456;
        entry.SetState(c.state);
        EXPECT_EQ(entry.state, c.state);
        EXPECT_EQ(entry.textColor, c.text);
        EXPECT_EQ(entry.backColor, 0xFFFFFFu);
        EXPECT_EQ(ColorsOf(c.state).text, c.text);
        EXPECT_EQ(ColorsOf(c.state).back, 0xFFFFFFu);
    }
}

TEST_F(FileEntryTest, MissingArchiveKeepsTheSourceFields) {
    Source("source text", kTime);
    const CFileEntry entry = Entry();
    EXPECT_EQ(entry.result, kResultArchiveFailed);
    EXPECT_EQ(entry.lastError, std::uint32_t{ENOENT});
    EXPECT_EQ(entry.state, EntryState::Problem);
    EXPECT_EQ(entry.textColor, kColorProblem);
    EXPECT_EQ(entry.sourceSize, 11u);
    EXPECT_EQ(entry.sourceTime, kTime);
    EXPECT_EQ(entry.archiveSize, 0u);
    EXPECT_EQ(entry.archiveTime, 0);
    EXPECT_EQ(entry.timeDiff, 0);
}

TEST_F(FileEntryTest, StatusFollowsSizesAndTimes) {
    struct Case {
        const char* what;
        std::string archive;
        std::int64_t archiveTime;
        EntryState state;
        std::uint32_t color;
        std::int32_t timeDiff;
    };
    const std::string source = "0123456789";
    const Case cases[] = {
        {"equal", source, kTime, EntryState::UpToDate, kColorUpToDate, 0},
        {"archive a second older", source, kTime - 1, EntryState::OutOfDate, kColorOutOfDate, 1},
        {"archive newer", source, kTime + 3600, EntryState::UpToDate, kColorUpToDate, 0},
        {"size differs, archive newer", "short", kTime + 60, EntryState::OutOfDate, kColorOutOfDate,
         -60},
        {"size differs, same time", "short", kTime, EntryState::OutOfDate, kColorOutOfDate, 0},
    };
    Source(source, kTime);
    for (const Case& c : cases) {
        Archive(c.archive, c.archiveTime);
        const CFileEntry entry = Entry();
        EXPECT_EQ(entry.result, kResultOk) << c.what;
        EXPECT_EQ(entry.lastError, 0u) << c.what;
        EXPECT_EQ(entry.state, c.state) << c.what;
        EXPECT_EQ(entry.textColor, c.color) << c.what;
        EXPECT_EQ(entry.timeDiff, c.timeDiff) << c.what;
        EXPECT_EQ(entry.archiveSize, c.archive.size()) << c.what;
        EXPECT_EQ(entry.archiveTime, c.archiveTime) << c.what;
    }
}

TEST_F(FileEntryTest, ReevaluationClearsAnEarlierFailure) {
    CFileEntry entry = Entry();
    ASSERT_EQ(entry.result, kResultSourceFailed);
    Source("abc", kTime);
    entry.EvaluateStatus(counting_);
    ASSERT_EQ(entry.result, kResultArchiveFailed);
    Archive("abc", kTime);
    entry.EvaluateStatus(counting_);
    EXPECT_EQ(entry.result, kResultOk);
    EXPECT_EQ(entry.lastError, 0u);
    EXPECT_EQ(entry.textColor, kColorUpToDate);

    // A later copy failure painted it red with a code; evaluating again repaints it.
    entry.SetState(EntryState::Problem);
    entry.lastError = EACCES;
    entry.backColor = 0x123456;
    entry.EvaluateStatus(counting_);
    EXPECT_EQ(entry.textColor, kColorUpToDate);
    EXPECT_EQ(entry.lastError, 0u);
    EXPECT_EQ(entry.backColor, kColorWhite);

    // Going back to missing resets the fields the failure leaves undefined.
    ASSERT_EQ(posix_.Remove(dir_.File("report.txt")), kNoError);
    entry.EvaluateStatus(counting_);
    EXPECT_EQ(entry.result, kResultSourceFailed);
    EXPECT_EQ(entry.sourceSize, 0u);
    EXPECT_EQ(entry.archiveTime, 0);
}

TEST_F(FileEntryTest, TypeNameAndIconComeFromTheShell) {
    shell_.SetTypeName(".txt", "Text Document");
    const CFileEntry first = Entry();
    const CFileEntry second = Entry();
    EXPECT_EQ(first.TypeName(), "Text Document");
    ASSERT_NE(first.Icon(), nullptr);
    EXPECT_EQ(first.fileType, second.fileType) << "one shared record per type";
    EXPECT_EQ(shell_.FileInfoCount(), 2);
    EXPECT_EQ(shell_.Calls()[0].path, dir_.File("report.txt"));

    shell_.SetIcons(false);
    shell_.SetDefaultTypeName("");
    MemoryFileSystem memory;
    const CFileEntry unknown("/x/file.zzz", "/y/file.zzz", "", shell_, memory);
    EXPECT_EQ(unknown.TypeName(), "");
    EXPECT_EQ(unknown.Icon(), nullptr);

    // A shell that tells no types (the command-line program's) leaves the entry without any.
    class NoTypesShell : public RecordingShell {
      public:
        std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string&) override {
            return nullptr;
        }
    } noTypes;
    const CFileEntry untyped("/x/file.txt", "/y/file.txt", "", noTypes, memory);
    EXPECT_EQ(untyped.fileType, nullptr);
    EXPECT_EQ(untyped.TypeName(), "");
    EXPECT_EQ(untyped.Icon(), nullptr);
}

TEST(FileEntryMemoryTest, SizesCompareByTheirLow32Bits) {
    MemoryFileSystem fs;
    RecordingShell shell;
    const std::uint64_t fourGiB = std::uint64_t{1} << 32;
    fs.AddFileOfSize("/src/disk.img", fourGiB + 10, kTime);
    fs.AddFileOfSize("/arc/disk.img", 10, kTime);
    CFileEntry entry("/src/disk.img", "/arc/disk.img", "", shell, fs);
    EXPECT_EQ(entry.sourceSize, 10u);
    EXPECT_EQ(entry.archiveSize, 10u);
    EXPECT_EQ(entry.textColor, kColorUpToDate);

    fs.AddFileOfSize("/arc/disk.img", fourGiB + 11, kTime);
    entry.EvaluateStatus(fs);
    EXPECT_EQ(entry.archiveSize, 11u);
    EXPECT_EQ(entry.textColor, kColorOutOfDate);
}

TEST(FileEntryMemoryTest, TimesBefore1970AndBeyond32Bits) {
    MemoryFileSystem fs;
    RecordingShell shell;
    fs.AddFile("/src/a", "x");
    fs.AddFile("/arc/a", "x");
    fs.SetLastWriteNs("/src/a", -500000000);  // -0.5 s
    fs.SetLastWriteNs("/arc/a", -1500000000);
    CFileEntry entry("/src/a", "/arc/a", "", shell, fs);
    EXPECT_EQ(entry.sourceTime, 0);
    EXPECT_EQ(entry.archiveTime, -1);
    EXPECT_EQ(entry.textColor, kColorOutOfDate);
    EXPECT_EQ(entry.timeDiff, 1);

    fs.SetLastWrite("/src/a", -86400);
    entry.EvaluateStatus(fs);
    EXPECT_EQ(entry.sourceTime, -86400);
    EXPECT_EQ(entry.textColor, kColorUpToDate);

    // Stored times are 32-bit: 2^32 + 5 seconds keeps its low half.
    fs.SetLastWrite("/src/a", (std::int64_t{1} << 32) + 5);
    entry.EvaluateStatus(fs);
    EXPECT_EQ(entry.sourceTime, 5);
    EXPECT_EQ(ToEntryTime(std::int64_t{0x80000000}), INT32_MIN);
}

TEST(FileEntryMemoryTest, TimeDifferenceWrapsIn32Bits) {
    MemoryFileSystem fs;
    RecordingShell shell;
    fs.AddFile("/src/a", "x", INT32_MAX);
    fs.AddFile("/arc/a", "xy", INT32_MIN);
    const CFileEntry entry("/src/a", "/arc/a", "", shell, fs);
    EXPECT_EQ(entry.textColor, kColorOutOfDate);
    EXPECT_EQ(entry.timeDiff, -1);
}

TEST(FileEntryMemoryTest, ChangeDriveReplacesOnlyTheDrive) {
    MemoryFileSystem fs;
    RecordingShell shell;
    CFileEntry entry("C:\\Docs\\a.txt", "E:\\Backups\\a.txt", "", shell, fs);
    const int queries = fs.CountCalls(FsOperation::GetAttributes);
    entry.ChangeDrive("F:");
    EXPECT_EQ(entry.archivePath, "F:\\Backups\\a.txt");
    EXPECT_EQ(entry.sourcePath, "C:\\Docs\\a.txt");
    EXPECT_EQ(fs.CountCalls(FsOperation::GetAttributes), queries);

    entry.archivePath = "\\\\server\\share\\a.txt";
    entry.ChangeDrive("F:");
    EXPECT_EQ(entry.archivePath, "F:\\\\server\\share\\a.txt");

    entry.archivePath = "e:a.txt";
    entry.ChangeDrive("G:");
    EXPECT_EQ(entry.archivePath, "G:a.txt");
}

TEST(FileEntryMemoryTest, LeadingFolderIsReplacedByWholeComponents) {
    EXPECT_EQ(ReplaceLeadingFolder("/media/usb/a.txt", "/media/usb", "/mnt/b"), "/mnt/b/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("/media/usb/a.txt", "/media/usb/", "/mnt/b/"), "/mnt/b/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("/Media/USB/a.txt", "/media/usb", "/x"), "/x/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("/media/usb2/a.txt", "/media/usb", "/x"), std::nullopt);
    EXPECT_EQ(ReplaceLeadingFolder("/media/usb", "/media/usb", "/x"), std::nullopt);
    EXPECT_EQ(ReplaceLeadingFolder("/media/us", "/media/usb", "/x"), std::nullopt);
    // The root begins every absolute path and can be the new folder too.
    EXPECT_EQ(ReplaceLeadingFolder("/home/a.txt", "/", "/srv"), "/srv/home/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("/home/a.txt", "", "/srv"), "/srv/home/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("/mnt/b/a.txt", "/mnt/b", "/"), "/a.txt");
    EXPECT_EQ(ReplaceLeadingFolder("relative/a.txt", "/", "/srv"), std::nullopt);

    MemoryFileSystem fs;
    RecordingShell shell;
    CFileEntry entry("/home/a.txt", "/media/usb/a.txt", "", shell, fs);
    EXPECT_FALSE(entry.ChangeArchiveFolder("/media/usb", "/media/usb/"));
    EXPECT_TRUE(entry.ChangeArchiveFolder("/media/usb", "/mnt/b"));
    EXPECT_EQ(entry.archivePath, "/mnt/b/a.txt");
    EXPECT_EQ(entry.sourcePath, "/home/a.txt");
}

}  // namespace
}  // namespace bh
