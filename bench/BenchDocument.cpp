// The core's work on a document in this process (refresh, save), and the command-line
// program's add, each against the least the same work takes.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchFixture.h"
#include "bench/Benchmarks.h"
#include "bench/Measure.h"
#include "bench/Programs.h"
#include "bench/TreeGenerator.h"
#include "core/operations/BackupRun.h"
#include "core/operations/ManagerFile.h"

namespace bh::bench {

namespace {

constexpr double kMs = 1e3;

// Refresh All of the records over a file system whose queries each take 1 ms longer.
double TimeSlowRefresh(const std::vector<ManagerRecord>& records, int concurrent) {
    PosixFileSystem posix;
    LatencyFileSystem slow(posix, concurrent);
    DocFixture fixture(slow);
    fixture.FillWithoutQueries(records);
    return TimeSeconds([&] { OnRefreshAll(fixture.doc()); });
}

// One write of the bytes to a new file and its fsync.
double TimePlainWrite(const std::string& bytes, const std::string& path) {
    const double seconds = TimeSeconds([&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        Require(fd >= 0 &&
                    ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    ::fsync(fd) == 0 && ::close(fd) == 0,
                "the plain write");
    });
    ::unlink(path.c_str());
    SyncAll();
    return seconds;
}

}  // namespace

void BenchRefreshLatency(const Config& config) {
    ScratchFolder folder("latency");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(10000);
    Require(GenerateTree(folder.Path() + "/t", options, tree), "making the tree");
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] { return TimeSlowRefresh(tree.records, 1); },
                                  [&] { return TimeSlowRefresh(tree.records, 8); }});
    PrintBench({"refresh-latency-10k", medians[1] * kMs, medians[0] * kMs, "ms", 0.15});
}

void BenchAddOne(const Config& config) {
    ScratchFolder folder("add");
    const GeneratedTree& tree = MixedTree(config);
    const std::string added = folder.Path() + "/added.txt";
    Require(WriteFile(added, 100, 1700000000), "making the added file");
    std::string bytes;
    Require(ReadBytes(tree.managerPath, bytes), "reading the manager");
    // A fresh copy of the manager beside the original for every round, so that each add
    // finds the same entries and gives its archive the same name.
    const std::string copy = tree.archiveFolder + "/copy.bkm";
    const std::string archive = tree.archiveFolder + "/added.txt";
    const auto timeOnCopy = [&](const Args& program) {
        Require(WriteBytes(copy, bytes), "copying the manager");
        SyncAll();
        const double seconds = TimeProgram(program);
        ::unlink(archive.c_str());
        return seconds;
    };
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] {
                                      return timeOnCopy({config.saveBytes, copy});
                                  },
                                  [&] {
                                      return timeOnCopy({config.cli, "add", copy, added});
                                  }});
    ::unlink(copy.c_str());
    PrintBench({"add-1-to-100k", medians[1] * kMs, medians[0] * kMs, "ms", 1.5});
}

void BenchSave(const Config& config) {
    ScratchFolder folder("save");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(1000000);
    options.recordsOnly = true;
    Require(GenerateTree(folder.Path() + "/t", options, tree), "making the records");
    PosixFileSystem posix;
    DocFixture fixture(posix);
    fixture.FillWithoutQueries(tree.records);
    tree.records = {};
    const std::string bytes = EncodeManager(fixture.rows());
    const std::string plain = folder.Path() + "/plain.bkm";
    const std::string saved = folder.Path() + "/saved.bkm";
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] { return TimePlainWrite(bytes, plain); },
                                  [&] {
                                      const double seconds = TimeSeconds([&] {
                                          Require(SaveDocumentFile(fixture.doc(), saved), "save");
                                      });
                                      SyncAll();
                                      return seconds;
                                  }});
    PrintBench({"save-1m", medians[1] * kMs, medians[0] * kMs, "ms", 1.5});
}

}  // namespace bh::bench
