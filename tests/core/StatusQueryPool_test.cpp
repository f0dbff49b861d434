#include "core/operations/StatusQueryPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/document/ManagerListObserver.h"
#include "core/operations/BackupRun.h"
#include "core/operations/ManagerFile.h"
#include "core/ports/LastError.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixQueryThreads.h"
#include "support/DocumentHarness.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::DocumentHarness;

// Lets several threads query the in-memory file system (one at a time) and says how many
// may ask at once; records which threads asked.
class SharedFileSystem : public FileSystemWrapper {
  public:
    SharedFileSystem(FileSystem& inner, int concurrent)
        : FileSystemWrapper(inner), concurrent_(concurrent) {}
    ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override {
        std::lock_guard<std::mutex> lock(mutex_);
        threads_.push_back(std::this_thread::get_id());
        return FileSystemWrapper::GetAttributes(path, out);
    }
    int ConcurrentQueries() const override { return concurrent_; }
    bool AskedFromOtherThread() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const std::thread::id id : threads_) {
            if (id != std::this_thread::get_id()) {
                return true;
            }
        }
        return false;
    }

  private:
    int concurrent_;
    std::mutex mutex_;
    std::vector<std::thread::id> threads_;
};

// Logs every redraw, with the row and the entry's colour at that moment, into the same
// list as the user interface's calls, so the order of what a user sees can be compared.
class RedrawLog : public ManagerListObserver {
  public:
    RedrawLog(ManagerList& rows, std::vector<std::string>& log) : rows_(rows), log_(log) {
        rows_.AddObserver(*this);
    }
    ~RedrawLog() override { rows_.RemoveObserver(*this); }
    void OnRowsChanged(int first, int last, int firstColumn, int lastColumn) override {
        if (first == last && firstColumn == 0 && lastColumn == kColumnCount - 1) {
            log_.push_back("redraw " + std::to_string(first) + " " +
                           std::to_string(rows_.Entry(first).textColor));
        }
    }

  private:
    ManagerList& rows_;
    std::vector<std::string>& log_;
};

class LoggingProgress : public ProgressIndicator {
  public:
    explicit LoggingProgress(std::vector<std::string>& log) : log_(log) {}
    ~LoggingProgress() override { log_.push_back("progress gone"); }
    void SetRange(int lower, int upper) override {
        log_.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
    }
    void SetStep(int step) override { step_ = step; }
    void StepIt() override {
        pos_ += step_;
        log_.push_back("step " + std::to_string(pos_));
    }
    void SetPos(int pos) override {
        pos_ = pos;
        log_.push_back("pos " + std::to_string(pos));
    }
    int GetPos() const override { return pos_; }

  private:
    std::vector<std::string>& log_;
    int pos_ = 0;
    int step_ = 1;
};

class LoggingUserInterface : public ScriptedUserInterface {
  public:
    explicit LoggingUserInterface(std::vector<std::string>& log) : log_(log) {}
    std::unique_ptr<ProgressIndicator> CreateStatusProgress(const std::string& caption) override {
        log_.push_back("progress " + caption);
        return std::make_unique<LoggingProgress>(log_);
    }
    void ShowIdleMessage() override { log_.push_back("idle"); }

  private:
    std::vector<std::string>& log_;
};

// A document over one in-memory disk whose status queries run on `concurrent` threads
// (1: on the calling thread only).
struct Side {
    Side(MemoryFileSystem& disk, int concurrent)
        : fs(disk, concurrent),
          ui(log),
          services{fs, shell, ui, settings, clock, errors},
          doc(services, nullptr, "./"),
          rows(doc.rows()),
          redraws(rows, log) {}

    std::vector<std::string> log;
    SharedFileSystem fs;
    RecordingShell shell;
    LoggingUserInterface ui;
    MemorySettingsStore settings;
    FixedClock clock{1'700'000'000};
    FakeSystemErrors errors;
    Services services;
    CBrackenholdDoc doc;
    ManagerList& rows;
    RedrawLog redraws;
};

std::string Status(const CFileEntry& e) {
    return e.sourcePath + " " + std::to_string(e.sourceSize) + " " + std::to_string(e.sourceTime) +
           " " + std::to_string(e.archiveSize) + " " + std::to_string(e.archiveTime) + " " +
           std::to_string(e.timeDiff) + " " + std::to_string(e.result) + " " +
           std::to_string(e.lastError) + " " + std::to_string(e.textColor) + " " +
           std::to_string(e.backColor);
}

std::vector<std::string> Statuses(const Side& side) {
    std::vector<std::string> out;
    for (int row = 0; row < side.rows.Count(); ++row) {
        out.push_back(Status(side.rows.Entry(row)));
    }
    return out;
}

// More entries than the window of results a pool keeps, with every outcome: up to date, out
// of date by time and by size, no source, no archive, and failures with their own codes.
constexpr int kEntries = 3000;

// The name of entry i's files: every fifth source and every seventh archive fail to answer.
std::string NameOf(int i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'f');
    if (i % 5 == 0) {
        name += "-denied";
    }
    return name;
}

std::string ArchiveOf(int i) {
    std::string path = "/arc/";
    path += NameOf(i);
    if (i % 7 == 0) {
        path += "-busy";
    }
    return path;
}

std::vector<ManagerRecord> FillDisk(MemoryFileSystem& disk) {
    disk.AddFolder("/src");
    disk.AddFolder("/arc");
    std::vector<ManagerRecord> records;
    for (int i = 0; i < kEntries; ++i) {
        const std::string source = "/src/" + NameOf(i);
        const std::string archive = ArchiveOf(i);
        switch (i % 6) {
            case 0:
                disk.AddFile(source, "same", 2000 + i);
                disk.AddFile(archive, "same", 2000 + i);
                break;
            case 1:
                disk.AddFile(source, "newer", 3000 + i);
                disk.AddFile(archive, "older", 1000);
                break;
            case 2:
                disk.AddFile(source, "grown!", 2000);
                disk.AddFile(archive, "short", 2000);
                break;
            case 3:
                disk.AddFile(archive, "orphan", 2000);
                break;
            case 4:
                disk.AddFile(source, "alone", 2000);
                break;
            default:
                disk.AddFile(source, "x", 5000);
                disk.AddFile(archive, "x", 6000);
                break;
        }
        records.push_back({source, archive, i % 3 == 0 ? "note" : ""});
    }
    disk.InjectFailure({FsOperation::GetAttributes, "-denied", ErrorCode(EACCES)});
    disk.InjectFailure({FsOperation::GetAttributes, "-busy", ErrorCode(EBUSY)});
    return records;
}

void Open(Side& side, MemoryFileSystem& disk, const std::vector<ManagerRecord>& records) {
    disk.AddFile("/m.bak", EncodeManager(records));
    ASSERT_TRUE(OpenDocumentFile(side.doc, "/m.bak"));
    side.log.clear();
}

TEST(StatusQueryPoolTest, PooledRefreshShowsExactlyWhatTheSequentialRefreshShows) {
    MemoryFileSystem disk;
    const std::vector<ManagerRecord> records = FillDisk(disk);
    Side sequential(disk, 1);
    Side pooled(disk, 4);
    Open(sequential, disk, records);
    Open(pooled, disk, records);
    ASSERT_EQ(Statuses(sequential), Statuses(pooled));

    // The disk changes after the load, so the refresh has something to find.
    for (int i = 0; i < kEntries; i += 4) {
        disk.SetContent(ArchiveOf(i), "changed archive");
    }
    disk.Erase("/src/f1");
    SetLastError(kNoError);
    OnRefreshAll(sequential.doc);
    const ErrorCode sequentialLastError = GetLastError();
    SetLastError(kNoError);
    OnRefreshAll(pooled.doc);
    EXPECT_EQ(GetLastError(), sequentialLastError);
    // Failed queries return their codes into the entries; neither run leaves them behind as
    // the thread's last error, which only a message text is built from.
    EXPECT_EQ(sequentialLastError, kNoError);

    EXPECT_TRUE(pooled.fs.AskedFromOtherThread());
    EXPECT_FALSE(sequential.fs.AskedFromOtherThread());
    EXPECT_EQ(Statuses(pooled), Statuses(sequential));
    EXPECT_EQ(pooled.log, sequential.log);
    ASSERT_GT(pooled.log.size(), static_cast<std::size_t>(2 * kEntries));
    EXPECT_EQ(pooled.log[2], "redraw 0 " + std::to_string(pooled.rows.Entry(0).textColor));

    // Each failure keeps its own code: the archive's, the source's, or a missing file's.
    const auto errorOf = [&pooled](const std::string& source) {
        for (int row = 0; row < pooled.rows.Count(); ++row) {
            if (pooled.rows.Entry(row).sourcePath == source) {
                return pooled.rows.Entry(row).lastError;
            }
        }
        return 0xFFFFFFFFu;
    };
    EXPECT_EQ(errorOf("/src/f5-denied"), static_cast<std::uint32_t>(EACCES));
    EXPECT_EQ(errorOf("/src/f7"), static_cast<std::uint32_t>(EBUSY));
    EXPECT_EQ(errorOf("/src/f1"), static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(errorOf("/src/f3"), static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(errorOf("/src/f0-denied"), static_cast<std::uint32_t>(EACCES));
}

TEST(StatusQueryPoolTest, PooledRefreshOfSelectedRowsLeavesTheOthersAlone) {
    MemoryFileSystem disk;
    const std::vector<ManagerRecord> records = FillDisk(disk);
    Side sequential(disk, 1);
    Side pooled(disk, 3);
    Open(sequential, disk, records);
    Open(pooled, disk, records);
    for (Side* side : {&sequential, &pooled}) {
        for (int row = 1; row < side->rows.Count(); row += 4) {
            side->rows.SetSelected(row, true);
        }
    }
    for (int i = 0; i < kEntries; ++i) {
        if (i % 6 == 1) {
            disk.SetLastWrite(ArchiveOf(i), 9000 + i);
        }
    }
    RefreshStatus(sequential.doc, true);
    RefreshStatus(pooled.doc, true);
    EXPECT_EQ(Statuses(pooled), Statuses(sequential));
    EXPECT_EQ(pooled.log, sequential.log);
    // Both archives became newer than their sources: the selected row 13 shows it, the
    // unselected row 19 still shows what the load found.
    EXPECT_EQ(pooled.rows.Entry(13).textColor, kColorUpToDate);
    EXPECT_EQ(pooled.rows.Entry(19).textColor, kColorOutOfDate);
}

TEST(StatusQueryPoolTest, PooledLoadMakesTheSameEntriesInTheSameOrder) {
    MemoryFileSystem disk;
    const std::vector<ManagerRecord> records = FillDisk(disk);
    disk.AddFile("/m.bak", EncodeManager(records));
    Side sequential(disk, 1);
    Side pooled(disk, 8);
    SetLastError(kNoError);
    ASSERT_TRUE(OpenDocumentFile(sequential.doc, "/m.bak"));
    const ErrorCode sequentialLastError = GetLastError();
    SetLastError(kNoError);
    ASSERT_TRUE(OpenDocumentFile(pooled.doc, "/m.bak"));
    EXPECT_EQ(GetLastError(), sequentialLastError);
    EXPECT_TRUE(pooled.fs.AskedFromOtherThread());
    EXPECT_EQ(Statuses(pooled), Statuses(sequential));
    EXPECT_EQ(pooled.log, sequential.log);
    ASSERT_EQ(pooled.doc.rows().Count(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(pooled.doc.rows().Entry(i).notes, records[i].notes);
        EXPECT_EQ(pooled.doc.rows().Entry(i).archivePath, records[i].archivePath);
    }
    // The shell was asked once per entry, in record order, on the calling thread.
    const auto& calls = pooled.shell.Calls();
    ASSERT_EQ(calls.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(calls[i].path, records[i].sourcePath);
    }
}

TEST(StatusQueryPoolTest, ResultsMatchSequentialQueriesAndAnEarlyStopReturns) {
    MemoryFileSystem disk;
    const std::vector<ManagerRecord> records = FillDisk(disk);
    SharedFileSystem fs(disk, 8);
    const auto pathsOf = [&records](std::size_t i) -> StatusQueryPaths {
        return {&records[i].sourcePath, &records[i].archivePath};
    };
    {
        StatusQueryPool pool(fs, records.size(), pathsOf, 3);
        ASSERT_EQ(pool.Count(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            const EntryStatus expected =
                QueryEntryStatus(records[i].sourcePath, records[i].archivePath, fs);
            const EntryStatus& got = pool.Result(i);
            ASSERT_EQ(got.sourceError, expected.sourceError) << i;
            ASSERT_EQ(got.archiveError, expected.archiveError) << i;
            ASSERT_EQ(got.source.size, expected.source.size) << i;
            ASSERT_EQ(got.source.lastWriteSeconds, expected.source.lastWriteSeconds) << i;
            ASSERT_EQ(got.archive.size, expected.archive.size) << i;
            ASSERT_EQ(got.archive.lastWriteSeconds, expected.archive.lastWriteSeconds) << i;
        }
    }
    // Workers waiting for the caller to catch up must leave when the pool goes away.
    StatusQueryPool abandoned(fs, records.size(), pathsOf, 8);
    EXPECT_EQ(abandoned.Result(0).sourceError, static_cast<ErrorCode>(EACCES));
}

TEST(StatusQueryPoolTest, WorkersOnlyWhereTheFileSystemAllowsThemAndTheWorkPaysOff) {
    // Query i is about /s/i and /a/i.
    std::vector<std::string> sources;
    std::vector<std::string> archives;
    for (int i = 0; i < 1000; ++i) {
        sources.push_back("/s/" + std::to_string(i));
        archives.push_back("/a/" + std::to_string(i));
    }
    const StatusQueryPool::PathsOf pathsOf = [&](std::size_t i) -> StatusQueryPaths {
        return {&sources.at(i), &archives.at(i)};
    };
    MemoryFileSystem disk;
    EXPECT_EQ(StatusQueryWorkers(disk, 1000, pathsOf), 0);  // one thread at a time
    // The file system hears where the queries go before it answers: first, middle, last.
    EXPECT_EQ(disk.PlannedPaths(),
              (std::vector<std::string>{"/s/0", "/a/0", "/s/500", "/a/500", "/s/999", "/a/999"}));
    SharedFileSystem two(disk, 2);
    EXPECT_EQ(StatusQueryWorkers(two, kMinPooledQueries - 1, pathsOf), 0);
    EXPECT_EQ(StatusQueryWorkers(two, kMinPooledQueries, pathsOf), 2);
    EXPECT_EQ(disk.PlannedPaths().at(5), "/a/" + std::to_string(kMinPooledQueries - 1));
    SharedFileSystem many(disk, 64);
    EXPECT_EQ(StatusQueryWorkers(many, 1000, pathsOf), kMaxStatusWorkers);
    // A local disk gets the cores, and no pool at all on a single core.
    PosixFileSystem posix;
    const int expected = std::min(posix::UsableCores(), kMaxStatusWorkers);
    test::TempDir dir;
    sources.assign(1000, dir.File("s"));
    archives.assign(1000, dir.File("a"));
    EXPECT_EQ(StatusQueryWorkers(posix, 1000, pathsOf), expected == 1 ? 0 : expected);
}

// On real files each worker's failure reaches its own entry: a missing file, a file used
// as a folder and a name that is too long each give their own code.
TEST(StatusQueryPoolTest, RealFilesKeepEachEntrysErrorCode) {
    test::TempDir dir;
    const std::string plain = dir.Write("plain", "data");
    const std::string tooLong = dir.File(std::string(300, 'n'));
    MemoryFileSystem unused;
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 600; ++i) {
        switch (i % 4) {
            case 0:
                records.push_back({plain, dir.File("missing") + std::to_string(i), ""});
                break;
            case 1:
                records.push_back({plain + "/inside", plain, ""});
                break;
            case 2:
                records.push_back({tooLong, plain, ""});
                break;
            default:
                records.push_back({plain, plain, ""});
                break;
        }
    }
    PosixFileSystem posix;
    const auto pathsOf = [&records](std::size_t i) -> StatusQueryPaths {
        return {&records[i].sourcePath, &records[i].archivePath};
    };
    StatusQueryPool pool(posix, records.size(), pathsOf, 4);
    const ErrorCode expected[] = {kNoError, ErrorCode(ENOTDIR), ErrorCode(ENAMETOOLONG), kNoError};
    const ErrorCode expectedArchive[] = {ErrorCode(ENOENT), kNoError, kNoError, kNoError};
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(pool.Result(i).sourceError, expected[i % 4]) << i;
        ASSERT_EQ(pool.Result(i).archiveError, expectedArchive[i % 4]) << i;
    }
}

}  // namespace
}  // namespace bh
