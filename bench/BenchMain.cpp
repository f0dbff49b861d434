// Times the program's hot paths against what the machine does for the same work with plain
// system calls, in the same run, and prints one BENCH line per comparison.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/BenchFixture.h"
#include "bench/Measure.h"
#include "bench/TreeGenerator.h"
#include "cli/CliSession.h"
#include "core/base/PathParts.h"
#include "core/operations/AddFiles.h"
#include "core/operations/BackupRun.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"
#include "core/view/Columns.h"
#include "core/view/EntryTexts.h"
#include "core/view/Sorting.h"

extern char** environ;

namespace bh::bench {

namespace {

struct Config {
    bool quick = false;
    int runs = 5;
    std::set<std::string> only;
    std::string cli;  // brackenhold-cli, for the memory benchmark
    std::size_t Scale(std::size_t full) const { return quick ? full / 10 : full; }
    bool Wants(const std::string& name) const { return only.empty() || only.contains(name); }
};

constexpr double kMs = 1e3;
constexpr double kUs = 1e6;

void StatBoth(const std::vector<ManagerRecord>& records) {
    struct stat st {};
    for (const ManagerRecord& record : records) {
        ::stat(record.sourcePath.c_str(), &st);
        ::stat(record.archivePath.c_str(), &st);
    }
}

bool ReadBytes(const std::string& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    ::fstat(fd, &st);
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

// Runs a program and waits; returns its exit status, or -1. `maxRssKiB` gets its peak
// resident memory when not null.
int RunProgram(const std::vector<std::string>& args, long* maxRssKiB = nullptr,
               const char* stdoutPath = nullptr) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutPath != nullptr) {
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath, O_WRONLY | O_TRUNC, 0);
    }
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench: cannot run %s: %s\n", argv[0], std::strerror(spawned));
        return -1;
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        return -1;
    }
    if (maxRssKiB != nullptr) {
        *maxRssKiB = usage.ru_maxrss;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The shared tree of the status, load, sort, list and memory benchmarks.
struct MainTree {
    std::unique_ptr<ScratchFolder> folder;
    GeneratedTree tree;
};

MainTree& SharedTree(const Config& config) {
    static MainTree shared;
    if (!shared.folder) {
        shared.folder = std::make_unique<ScratchFolder>("tree");
        TreeOptions options;
        options.entries = config.Scale(100000);
        if (!GenerateTree(shared.folder->Path() + "/t", options, shared.tree)) {
            std::exit(2);
        }
    }
    return shared;
}

// The stat loop split over `threads` threads: what the machine allows a pool right now.
void StatBothOnThreads(const std::vector<ManagerRecord>& records, unsigned threads) {
    std::vector<std::thread> workers;
    const std::size_t share = (records.size() + threads - 1) / threads;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&records, share, t] {
            struct stat st {};
            const std::size_t end = std::min(records.size(), (t + 1) * share);
            for (std::size_t i = t * share; i < end; ++i) {
                ::stat(records[i].sourcePath.c_str(), &st);
                ::stat(records[i].archivePath.c_str(), &st);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
}

void BenchRefresh(const Config& config) {
    const GeneratedTree& tree = SharedTree(config).tree;
    PosixFileSystem posix;
    SerialFileSystem serial(posix);
    DocFixture single(serial);
    DocFixture pooled(posix);
    if (!OpenDocumentFile(single.doc(), tree.managerPath) ||
        !OpenDocumentFile(pooled.doc(), tree.managerPath)) {
        std::fprintf(stderr, "bench: cannot open %s\n", tree.managerPath.c_str());
        std::exit(2);
    }
    StatBoth(tree.records);  // warm the page cache
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return TimeSeconds([&] { StatBoth(tree.records); }); },
                      [&] { return TimeSeconds([&] { OnRefreshAll(single.doc()); }); },
                      [&] { return TimeSeconds([&] { OnRefreshAll(pooled.doc()); }); },
                      [&] {
                          return TimeSeconds([&] {
                              StatBothOnThreads(tree.records, std::thread::hardware_concurrency());
                          });
                      }});
    // Not a target: the same stat loop on one thread per core, the best a pool could do on
    // this machine at this moment (other work on the machine takes its share).
    std::printf("NOTE refresh-machine-limit stat-loop-on-%u-threads=%.4gms ratio=%.3f\n",
                std::thread::hardware_concurrency(), medians[3] * kMs, medians[3] / medians[0]);
    if (config.Wants("refresh-100k")) {
        PrintBench({"refresh-100k", medians[1] * kMs, medians[0] * kMs, "ms", 1.15});
    }
    if (config.Wants("refresh-100k-parallel")) {
        PrintBench({"refresh-100k-parallel", medians[2] * kMs, medians[0] * kMs, "ms", 0.75});
    }
}

void BenchLoad(const Config& config) {
    const GeneratedTree& tree = SharedTree(config).tree;
    std::string bytes;
    StatBoth(tree.records);
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] {
                                      return TimeSeconds([&] {
                                          ReadBytes(tree.managerPath, bytes);
                                          StatBoth(tree.records);
                                      });
                                  },
                                  [&] {
                                      auto session = std::make_unique<cli::CliSession>();
                                      const double seconds = TimeSeconds([&] {
                                          if (!session->Open(tree.managerPath)) {
                                              std::exit(2);
                                          }
                                      });
                                      session.reset();
                                      return seconds;
                                  }});
    PrintBench({"load-100k", medians[1] * kMs, medians[0] * kMs, "ms", 1.3});
}

void BenchSave(const Config& config) {
    ScratchFolder folder("save");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(1000000);
    options.recordsOnly = true;
    if (!GenerateTree(folder.Path() + "/t", options, tree)) {
        std::exit(2);
    }
    PosixFileSystem posix;
    DocFixture fixture(posix);
    fixture.FillWithoutQueries(tree.records);
    tree.records = {};
    const std::string bytes = EncodeManager(fixture.rows());
    const std::string target = folder.Path() + "/saved.bkm";
    int copyNumber = 0;
    const std::vector<double> medians = Interleaved(
        config.runs,
        {[&] {
             const std::string path = folder.Path() + "/plain" + std::to_string(copyNumber++);
             const double seconds = TimeSeconds([&] {
                 const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                 if (fd < 0 ||
                     ::write(fd, bytes.data(), bytes.size()) !=
                         static_cast<ssize_t>(bytes.size()) ||
                     ::fsync(fd) != 0) {
                     std::exit(2);
                 }
                 ::close(fd);
             });
             ::unlink(path.c_str());
             ::sync();
             return seconds;
         },
         [&] {
             const double seconds = TimeSeconds([&] {
                 if (!SaveDocumentFile(fixture.doc(), target)) {
                     std::exit(2);
                 }
             });
             ::sync();
             return seconds;
         }});
    PrintBench({"save-1m", medians[1] * kMs, medians[0] * kMs, "ms", 1.5});
}

void MakeArchivesOutOfDate(const GeneratedTree& tree) {
    for (const ManagerRecord& record : tree.records) {
        struct stat st {};
        ::stat(record.sourcePath.c_str(), &st);
        SetFileTime(record.archivePath, st.st_mtim.tv_sec - 3600);
    }
}

double TimeBackup(DocFixture& fixture, const GeneratedTree& tree) {
    MakeArchivesOutOfDate(tree);
    ::sync();
    const double seconds = TimeSeconds([&] {
        const BackupResult result = RunBackup(fixture.doc());
        if (result.counts.backedUp != tree.records.size()) {
            std::fprintf(stderr, "bench: backed up %u of %zu\n", result.counts.backedUp,
                         tree.records.size());
            std::exit(2);
        }
    });
    ::sync();
    return seconds;
}

double TimeCp(const std::vector<std::string>& args, const std::string& made) {
    ::sync();
    const double seconds = TimeSeconds([&] {
        if (RunProgram(args) != 0) {
            std::exit(2);
        }
    });
    ::sync();
    RemoveTree(made);
    ::sync();
    return seconds;
}

void BenchCopyLarge(const Config& config) {
    ScratchFolder folder("copy");
    const std::string root = folder.Path();
    const std::string source = root + "/source.bin";
    const std::string archive = root + "/archive.bin";
    const std::size_t bytes = config.Scale(std::size_t{1} << 30);
    GeneratedTree tree;
    tree.managerPath = root + "/big.bkm";
    tree.records.push_back({source, archive, ""});
    if (!WriteFile(source, bytes, 1700000000) || !WriteFile(archive, 16, 1600000000)) {
        std::exit(2);
    }
    {
        std::string manager = EncodeManager(tree.records);
        const int fd = ::open(tree.managerPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, manager.data(), manager.size()) < 0) {
            std::exit(2);
        }
        ::close(fd);
    }
    PosixFileSystem posix;
    DocFixture fixture(posix);
    if (!OpenDocumentFile(fixture.doc(), tree.managerPath)) {
        std::exit(2);
    }
    const std::string copy = root + "/cp.bin";
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] {
                          return TimeCp({"/bin/cp", "--preserve=timestamps", source, copy}, copy);
                      },
                      [&] { return TimeBackup(fixture, tree); }});
    PrintBench({"copy-1g", medians[1] * kMs, medians[0] * kMs, "ms", 1.1});
}

void BenchCopySmall(const Config& config) {
    ScratchFolder folder("small");
    GeneratedTree tree;
    TreeOptions options;
    options.entries = config.Scale(10000);
    options.fileBytes = 16384;
    options.allOutOfDate = true;
    if (!GenerateTree(folder.Path() + "/t", options, tree)) {
        std::exit(2);
    }
    PosixFileSystem posix;
    DocFixture fixture(posix);
    if (!OpenDocumentFile(fixture.doc(), tree.managerPath)) {
        std::exit(2);
    }
    const std::string copy = folder.Path() + "/cp";
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] {
                                      return TimeCp({"/bin/cp", "-r", "--preserve=timestamps",
                                                     folder.Path() + "/t/sources", copy},
                                                    copy);
                                  },
                                  [&] { return TimeBackup(fixture, tree); }});
    PrintBench({"copy-10k-small", medians[1] * kMs, medians[0] * kMs, "ms", 1.5});
}

using CopyPairs = std::vector<std::pair<std::string, std::string>>;

// Copies every source over its archive with the file system's own Copy, as a backup run does
// once it has decided what to copy; `sync` before and after keeps each run's write-out apart.
double TimeCopies(PosixFileSystem::CopyFlush flush, const CopyPairs& copies) {
    PosixFileSystem posix;
    posix.SetCopyFlushForMeasurements(flush);
    ::sync();
    const double seconds = TimeSeconds([&] {
        for (const auto& [from, to] : copies) {
            if (posix.Copy(from, to, false) != kNoError) {
                std::fprintf(stderr, "bench: cannot copy %s\n", from.c_str());
                std::exit(2);
            }
        }
    });
    ::sync();
    return seconds;
}

// The same copies in batches of 64, as a backup run hands them to the file system, so that
// small files share their flushes.
double TimeBatchedCopies(const CopyPairs& copies) {
    PosixFileSystem posix;
    constexpr std::size_t kBatch = 64;
    ::sync();
    const double seconds = TimeSeconds([&] {
        for (std::size_t first = 0; first < copies.size(); first += kBatch) {
            std::vector<FileSystem::CopyRequest> requests;
            for (std::size_t i = first; i < std::min(copies.size(), first + kBatch); ++i) {
                requests.push_back({&copies[i].first, &copies[i].second});
            }
            for (const ErrorCode result : posix.CopyBatch(requests)) {
                if (result != kNoError) {
                    std::fprintf(stderr, "bench: cannot copy in a batch\n");
                    std::exit(2);
                }
            }
        }
    });
    ::sync();
    return seconds;
}

// The least a durable replacement of a file takes with plain system calls: the data into a new
// file, its times, fsync, rename over the old file, fsync of the folder.
bool PlainDurableCopy(const std::string& from, const std::string& to, const std::string& folder) {
    const std::string temp = to + ".plain";
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    struct stat st {};
    bool done = in >= 0 && out >= 0 && ::fstat(in, &st) == 0;
    for (off_t left = st.st_size; done && left > 0;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 20, 0);
        done = n > 0;
        left -= n;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    done = done && ::futimens(out, times) == 0 && ::fsync(out) == 0;
    ::close(in);
    done = ::close(out) == 0 && done && ::rename(temp.c_str(), to.c_str()) == 0;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    done = done && dir >= 0 && ::fsync(dir) == 0;
    ::close(dir);
    return done;
}

double TimePlainDurableCopies(const CopyPairs& copies, const std::string& folder) {
    ::sync();
    const double seconds = TimeSeconds([&] {
        for (const auto& [from, to] : copies) {
            if (!PlainDurableCopy(from, to, folder)) {
                std::fprintf(stderr, "bench: cannot copy %s\n", from.c_str());
                std::exit(2);
            }
        }
    });
    ::sync();
    return seconds;
}

// The large file's size: BH_BENCH_DURABLE_BYTES (before --quick's tenth), 256 MiB by default so
// that a default run stays short; the recorded figures use 1 GiB.
std::size_t DurableLargeBytes(const Config& config) {
    const char* text = std::getenv("BH_BENCH_DURABLE_BYTES");
    const unsigned long long bytes =
        text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : 256ull << 20;
    return config.Scale(static_cast<std::size_t>(bytes));
}

// What the flush of a copy costs, against the same copy without any flush (NOTE lines), and
// whether the file system's durable copy costs more than the least durable copy made of plain
// calls (small files) or than the flush at the end alone (one large file).
void BenchDurableCopy(const Config& config) {
    using Flush = PosixFileSystem::CopyFlush;
    ScratchFolder folder("durable");
    const std::string root = folder.Path();
    if (config.Wants("copy-durable-10k-4k")) {
        CopyPairs copies;
        MakeFolder(root + "/src");
        MakeFolder(root + "/arc");
        for (std::size_t i = 0; i < config.Scale(10000); ++i) {
            const std::string name = "/f" + std::to_string(i) + ".dat";
            copies.emplace_back(root + "/src" + name, root + "/arc" + name);
            if (!WriteFile(copies.back().first, 4096, 1700000000) ||
                !WriteFile(copies.back().second, 4096, 1600000000)) {
                std::exit(2);
            }
        }
        const std::vector<double> medians =
            Interleaved(config.runs, {[&] { return TimeCopies(Flush::None, copies); },
                                      [&] { return TimeCopies(Flush::Full, copies); },
                                      [&] { return TimePlainDurableCopies(copies, root + "/arc"); },
                                      [&] { return TimeBatchedCopies(copies); }});
        std::printf(
            "NOTE copy-durable-10k-4k files=%zu durable=%.4gms without-flush=%.4gms "
            "ratio=%.3f batched=%.4gms batched-ratio=%.3f\n",
            copies.size(), medians[1] * kMs, medians[0] * kMs, medians[1] / medians[0],
            medians[3] * kMs, medians[3] / medians[0]);
        PrintBench({"copy-durable-10k-4k", medians[1] * kMs, medians[2] * kMs, "ms", 1.2});
        // What a backup run pays: the batched durable copies against no flush at all.
        PrintBench({"copy-durable-batched-10k-4k", medians[3] * kMs, medians[0] * kMs, "ms", 1.5});
    }
    if (config.Wants("copy-durable-large")) {
        const std::string source = root + "/large.bin";
        const std::string archive = root + "/large.arc";
        const std::size_t bytes = DurableLargeBytes(config);
        if (!WriteFile(source, bytes, 1700000000) || !WriteFile(archive, 16, 1600000000)) {
            std::exit(2);
        }
        const CopyPairs copies = {{source, archive}};
        const std::vector<double> medians = Interleaved(
            config.runs, {[&] { return TimeCopies(Flush::None, copies); },
                          [&] { return TimeCopies(Flush::WithoutEarlyWriteBack, copies); },
                          [&] { return TimeCopies(Flush::Full, copies); }});
        std::printf(
            "NOTE copy-durable-large bytes=%zu durable=%.4gms without-flush=%.4gms "
            "ratio=%.3f\n",
            bytes, medians[2] * kMs, medians[0] * kMs, medians[2] / medians[0]);
        PrintBench({"copy-durable-large", medians[2] * kMs, medians[1] * kMs, "ms", 1.0});
    }
}

bool IsNumberColumn(int column) {
    return column == kColumnSize || column == kColumnLastModified || column == kColumnResults ||
           column == kColumnObsolete;
}

std::int64_t NumberKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnSize:
            return entry.sourceSize;
        case kColumnLastModified:
            return entry.sourceTime;
        case kColumnResults:
            return entry.lastError;
        default:
            return entry.timeDiff;
    }
}

std::string TextKey(const CFileEntry& entry, int column) {
    switch (column) {
        case kColumnName:
            return GetNameText(entry);
        case kColumnType:
            return GetTypeText(entry);
        case kColumnSourcePath:
            return entry.sourcePath;
        case kColumnArchivePath:
            return entry.archivePath;
        case kColumnNotes:
            return entry.notes;
        case kColumnFolder:
            return GetFolderText(entry);
        case kColumnDrive:
            return GetDriveText(entry);
        default:
            return entry.TypeName();
    }
}

bool IsDescendingColumn(int column) {
    return column == kColumnLastModified || column == kColumnObsolete || column == kColumnNotes;
}

template <typename Key>
void SortIndices(const std::vector<Key>& keys, bool ascending) {
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](int a, int b) {
        return ascending ? keys[a] < keys[b] : keys[b] < keys[a];
    });
}

// Puts the rows back in the order `entries` lists them (as loaded).
void RestoreOrder(ManagerList& rows, const std::vector<const CFileEntry*>& entries) {
    std::unordered_map<const CFileEntry*, int> rowOf;
    rowOf.reserve(entries.size());
    for (int row = 0; row < rows.Count(); ++row) {
        rowOf.emplace(&rows.Entry(row), row);
    }
    std::vector<int> order;
    order.reserve(entries.size());
    for (const CFileEntry* entry : entries) {
        order.push_back(rowOf.at(entry));
    }
    rows.Reorder(order);
}

// One header click on every column in turn, from the rows in entry order.
void ClickEveryColumn(CBrackenholdDoc& doc) {
    for (int column = 0; column < kColumnCount; ++column) {
        CColumnState state;
        state.column = column;
        SortRowsByColumn(doc.rows(), state);
    }
}

void BenchSort(const Config& config) {
    const GeneratedTree& tree = SharedTree(config).tree;
    PosixFileSystem posix;
    DocFixture fixture(posix);
    if (!OpenDocumentFile(fixture.doc(), tree.managerPath)) {
        std::exit(2);
    }
    // The baseline sorts each column's keys in the order the rows have when that column's
    // header is clicked, as the clicks below leave them.
    ManagerList& rows = fixture.rows();
    std::vector<const CFileEntry*> loaded;
    for (int row = 0; row < rows.Count(); ++row) {
        loaded.push_back(&rows.Entry(row));
    }
    std::vector<std::vector<std::int64_t>> numberKeys(kColumnCount);
    std::vector<std::vector<std::string>> textKeys(kColumnCount);
    for (int column = 0; column < kColumnCount; ++column) {
        for (int row = 0; row < rows.Count(); ++row) {
            if (IsNumberColumn(column)) {
                numberKeys[column].push_back(NumberKey(rows.Entry(row), column));
            } else {
                textKeys[column].push_back(FoldCase(TextKey(rows.Entry(row), column)));
            }
        }
        CColumnState state;
        state.column = column;
        SortRowsByColumn(rows, state);
    }
    const std::vector<double> medians =
        Interleaved(config.runs, {[&] {
                                      return TimeSeconds([&] {
                                          for (int column = 0; column < kColumnCount; ++column) {
                                              const bool ascending = !IsDescendingColumn(column);
                                              if (IsNumberColumn(column)) {
                                                  SortIndices(numberKeys[column], ascending);
                                              } else {
                                                  SortIndices(textKeys[column], ascending);
                                              }
                                          }
                                      });
                                  },
                                  [&] {
                                      RestoreOrder(rows, loaded);
                                      return TimeSeconds([&] { ClickEveryColumn(fixture.doc()); });
                                  }});
    PrintBench({"sort-100k", medians[1] * kMs, medians[0] * kMs, "ms", 2});
}

// A tree for the add benchmark: `entries` entries plus `added` fresh sources to add.
struct AddTree {
    std::unique_ptr<ScratchFolder> folder;
    GeneratedTree tree;
    GeneratedTree fresh;
};

std::unique_ptr<AddTree> MakeAddTree(std::size_t entries, std::size_t added) {
    auto made = std::make_unique<AddTree>();
    made->folder = std::make_unique<ScratchFolder>("add");
    TreeOptions options;
    options.entries = entries;
    if (!GenerateTree(made->folder->Path() + "/t", options, made->tree)) {
        std::exit(2);
    }
    TreeOptions freshOptions;
    freshOptions.entries = added;
    freshOptions.prefix = "new";
    if (!GenerateTree(made->folder->Path() + "/n", freshOptions, made->fresh)) {
        std::exit(2);
    }
    return made;
}

// Seconds per added file.
double TimeAdds(const AddTree& tree) {
    PosixFileSystem posix;
    DocFixture fixture(posix);
    if (!OpenDocumentFile(fixture.doc(), tree.tree.managerPath)) {
        std::exit(2);
    }
    const double seconds = TimeSeconds([&] {
        for (const ManagerRecord& record : tree.fresh.records) {
            AddFile(fixture.doc(), record.sourcePath);
        }
    });
    for (const ManagerRecord& record : tree.fresh.records) {
        ::unlink((tree.tree.archiveFolder + "/" + FileNameOf(record.sourcePath)).c_str());
    }
    return seconds / static_cast<double>(tree.fresh.records.size());
}

void BenchAdd(const Config& config) {
    const std::size_t added = config.Scale(10000);
    const auto small = MakeAddTree(config.Scale(10000), added);
    const auto large = MakeAddTree(config.Scale(100000), added);
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return TimeAdds(*small); }, [&] { return TimeAdds(*large); }});
    PrintBench({"add-scaling", medians[1] * kUs, medians[0] * kUs, "us", 1.3});
}

// Seconds per removed row.
double TimeRemoves(const std::vector<ManagerRecord>& records) {
    PosixFileSystem posix;
    DocFixture fixture(posix);
    fixture.FillWithoutQueries(records);
    ManagerList& rows = fixture.rows();
    const int selected = (rows.Count() + 1) / 2;
    for (int row = 0; row < rows.Count(); row += 2) {
        rows.SetSelected(row, true);
    }
    int removed = 0;
    const double seconds =
        TimeSeconds([&] { removed = RemoveSelectedEntries(fixture.doc(), false); });
    if (removed != selected) {
        std::fprintf(stderr, "bench: removed %d of %d\n", removed, selected);
        std::exit(2);
    }
    return seconds / static_cast<double>(removed);
}

void BenchRemove(const Config& config) {
    ScratchFolder folder("remove");
    GeneratedTree small;
    GeneratedTree large;
    TreeOptions options;
    options.recordsOnly = true;
    options.entries = config.Scale(10000);
    GenerateTree(folder.Path() + "/s", options, small);
    options.entries = config.Scale(100000);
    GenerateTree(folder.Path() + "/l", options, large);
    const std::vector<double> medians = Interleaved(
        config.runs,
        {[&] { return TimeRemoves(small.records); }, [&] { return TimeRemoves(large.records); }});
    PrintBench({"remove-scaling", medians[1] * kUs, medians[0] * kUs, "us", 1.3});
}

// Peak resident memory of `brackenhold-cli list MANAGER`. GNU time measures it: a program
// started straight from this large process would inherit this process's peak at exec.
bool PeakResidentKiB(const std::string& cli, const std::string& manager, const std::string& folder,
                     long& kib) {
    const std::string out = folder + "/time.txt";
    if (RunProgram({"/usr/bin/time", "-f", "%M", "-o", out, cli, "list", manager}, nullptr,
                   "/dev/null") != 0) {
        return false;
    }
    std::string text;
    ReadBytes(out, text);
    kib = std::atol(text.c_str());
    return kib > 0;
}

void BenchMemory(const Config& config) {
    if (config.cli.empty()) {
        std::fprintf(stderr, "bench: memory-100k needs --cli PATH\n");
        return;
    }
    const GeneratedTree& tree = SharedTree(config).tree;
    ScratchFolder folder("memory");
    const std::string empty = folder.Path() + "/empty.bkm";
    WriteFile(empty, 0, 1700000000);
    std::vector<double> full;
    std::vector<double> none;
    for (int run = 0; run < config.runs; ++run) {
        long fullRss = 0;
        long emptyRss = 0;
        if (!PeakResidentKiB(config.cli, tree.managerPath, folder.Path(), fullRss) ||
            !PeakResidentKiB(config.cli, empty, folder.Path(), emptyRss)) {
            std::exit(2);
        }
        full.push_back(static_cast<double>(fullRss) * 1024);
        none.push_back(static_cast<double>(emptyRss) * 1024);
    }
    double strings = 0;
    for (const ManagerRecord& record : tree.records) {
        strings += static_cast<double>(record.sourcePath.size() + record.archivePath.size() +
                                       record.notes.size());
    }
    const double count = static_cast<double>(tree.records.size());
    strings /= count;
    const double perEntry = (Median(full) - Median(none)) / count;
    PrintBench({"memory-100k", perEntry, strings, "B", (2 * strings + 256) / strings});
}

bool ParseArgs(int argc, char** argv, Config& config) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            config.quick = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            config.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--only" && i + 1 < argc) {
            std::string list = argv[++i];
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                config.only.insert(list.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (arg == "--cli" && i + 1 < argc) {
            config.cli = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: brackenhold-bench [--quick] [--runs N] [--only a,b] "
                         "[--cli PATH]\n");
            return false;
        }
    }
    return true;
}

}  // namespace

}  // namespace bh::bench

int main(int argc, char** argv) {
    using namespace bh::bench;
    Config config;
    if (!ParseArgs(argc, argv, config)) {
        return 2;
    }
    if (config.Wants("refresh-100k") || config.Wants("refresh-100k-parallel")) {
        BenchRefresh(config);
    }
    if (config.Wants("load-100k")) {
        BenchLoad(config);
    }
    if (config.Wants("sort-100k")) {
        BenchSort(config);
    }
    if (config.Wants("memory-100k")) {
        BenchMemory(config);
    }
    if (config.Wants("add-scaling")) {
        BenchAdd(config);
    }
    if (config.Wants("remove-scaling")) {
        BenchRemove(config);
    }
    if (config.Wants("save-1m")) {
        BenchSave(config);
    }
    if (config.Wants("copy-10k-small")) {
        BenchCopySmall(config);
    }
    if (config.Wants("copy-1g")) {
        BenchCopyLarge(config);
    }
    if (config.Wants("copy-durable-10k-4k") || config.Wants("copy-durable-large")) {
        BenchDurableCopy(config);
    }
    return 0;
}
