// Peak resident memory of the command-line program's status, against the bytes of the
// entries' strings and against itself printing JSON.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/Benchmarks.h"
#include "bench/Measure.h"
#include "bench/Programs.h"
#include "bench/TreeGenerator.h"

namespace bh::bench {

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

GeneratedTree MakeRecords(const ScratchFolder& folder, std::size_t entries) {
    GeneratedTree tree;
    TreeOptions options;
    options.entries = entries;
    options.recordsOnly = true;
    if (!GenerateTree(folder.Path() + "/t", options, tree)) {
        EndRun();
    }
    return tree;
}

// `status` exits 1 when something is out of date or has a problem; that is a finished run.
double StatusPeak(const Config& config, const std::string& manager, bool json,
                  const ScratchFolder& folder) {
    Args args = {config.cli, "status"};
    if (json) {
        args.push_back("--json");
    }
    args.push_back(manager);
    return PeakResidentBytes(args, folder.Path());
}

}  // namespace

void BenchMemory(const Config& config) {
    ScratchFolder folder("memory");
    const GeneratedTree& tree = MixedTree(config);
    const std::string empty = folder.Path() + "/empty.bkm";
    if (!WriteFile(empty, 0, 1700000000)) {
        EndRun();
    }
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return StatusPeak(config, empty, false, folder); },
                      [&] { return StatusPeak(config, tree.managerPath, false, folder); }});
    double strings = 0;
    for (const ManagerRecord& record : tree.records) {
        strings += static_cast<double>(record.sourcePath.size() + record.archivePath.size() +
                                       record.notes.size());
    }
    const double count = static_cast<double>(tree.records.size());
    strings /= count;
    const double perEntry = (medians[1] - medians[0]) / count;
    PrintBench({"memory-100k", perEntry, strings, "B", (2 * strings + 64) / strings});
}

void BenchJsonMemory(const Config& config) {
    ScratchFolder folder("json");
    // Records only: every source is missing, so status reports (and JSON lists) each entry.
    const GeneratedTree tree = MakeRecords(folder, config.Scale(1000000));
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return StatusPeak(config, tree.managerPath, false, folder); },
                      [&] { return StatusPeak(config, tree.managerPath, true, folder); }});
    PrintBench({"json-1m-memory", medians[1] / kMiB, medians[0] / kMiB, "MiB", 1.5});
}

}  // namespace bh::bench
