// Backups by the command-line program against rsync, cp and a plain stat loop on the same
// trees, each started as a process, interleaved round by round.

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/Benchmarks.h"
#include "bench/Measure.h"
#include "bench/Programs.h"
#include "bench/TreeGenerator.h"

namespace bh::bench {

namespace {

constexpr double kMs = 1e3;
const Args kPinned = {"taskset", "-c", "0"};

GeneratedTree MakeMirroredTree(const ScratchFolder& folder, std::size_t entries,
                               std::size_t fileBytes) {
    GeneratedTree tree;
    TreeOptions options;
    options.entries = entries;
    options.fileBytes = fileBytes;
    options.mirrored = true;
    options.allUpToDate = true;
    Require(GenerateTree(folder.Path() + "/t", options, tree), "making the tree");
    return tree;
}

// Ends the run when the archive is not a copy of its source (size and whole seconds).
void RequireCopied(const std::string& source, const std::string& archive) {
    struct stat from {};
    struct stat to {};
    Require(::stat(source.c_str(), &from) == 0 && ::stat(archive.c_str(), &to) == 0 &&
                from.st_size == to.st_size && from.st_mtim.tv_sec == to.st_mtim.tv_sec,
            "copying " + source);
}

Args Rsync(const GeneratedTree& tree) {
    return {"rsync", "-a", tree.sourceFolder + "/", tree.archiveFolder + "/"};
}

// New times on every source, flushed, then the timed program; the archive of the last
// record must be its copy afterwards.
double TimeChanged(const GeneratedTree& tree, std::int64_t& clock, const Args& program) {
    Require(TouchSources(tree.records, ++clock), "changing the sources");
    SyncAll();
    const double seconds = TimeProgram(program);
    RequireCopied(tree.records.back().sourcePath, tree.records.back().archivePath);
    return seconds;
}

}  // namespace

void BenchNoop(const Config& config) {
    ScratchFolder folder("noop");
    const GeneratedTree tree = MakeMirroredTree(folder, config.Scale(100000), 0);
    const std::string list = folder.Path() + "/paths.txt";
    Require(WritePathList(tree.records, list), "writing the path list");
    const Args loop = {config.statLoop, list};
    const Args backup = {config.cli, "backup", tree.managerPath};
    Steps steps;
    std::size_t pinnedLoop = 0, rsync = 0, pinnedBackup = 0, plainLoop = 0, status = 0;
    const bool noop = config.Wants("noop-backup-100k") || config.Wants("noop-floor-100k");
    if (noop) {
        pinnedLoop = steps.Add([&] { return TimeProgram(Joined(kPinned, loop)); });
        if (config.Wants("noop-backup-100k")) {
            rsync = steps.Add([&] { return TimeProgram(Joined(kPinned, Rsync(tree))); });
        }
        pinnedBackup = steps.Add([&] { return TimeProgram(Joined(kPinned, backup)); });
    }
    if (config.Wants("status-100k")) {
        plainLoop = steps.Add([&] { return TimeProgram(loop); });
        status = steps.Add([&] { return TimeProgram({config.cli, "status", tree.managerPath}); });
    }
    RunOrDie(loop);  // warms the cache of every inode
    const std::vector<double> medians = Interleaved(config.runs, steps.All());
    if (config.Wants("noop-backup-100k")) {
        PrintBench(
            {"noop-backup-100k", medians[pinnedBackup] * kMs, medians[rsync] * kMs, "ms", 0.6});
    }
    if (config.Wants("noop-floor-100k")) {
        PrintBench(
            {"noop-floor-100k", medians[pinnedBackup] * kMs, medians[pinnedLoop] * kMs, "ms", 1.2});
    }
    if (config.Wants("status-100k")) {
        PrintBench({"status-100k", medians[status] * kMs, medians[plainLoop] * kMs, "ms", 1.25});
    }
}

void BenchFirstBackup(const Config& config) {
    ScratchFolder folder("first");
    GeneratedTree tree;
    tree.sourceFolder = folder.Path() + "/sources";
    tree.archiveFolder = folder.Path() + "/archives";
    tree.managerPath = tree.archiveFolder + "/bench.bkm";
    const std::vector<std::string> sources = MakeFlatFiles(tree.sourceFolder, config.Scale(100000));
    Require(!sources.empty() && MakeFolder(tree.archiveFolder), "making the sources");
    // The manager as a user makes it: `add` gives every source an empty archive beside it.
    RunOrDie({config.cli, "new", tree.managerPath});
    constexpr std::size_t kPerAdd = 5000;
    std::vector<std::string> archives;
    for (std::size_t first = 0; first < sources.size(); first += kPerAdd) {
        Args add = {config.cli, "add", tree.managerPath};
        for (std::size_t i = first; i < std::min(sources.size(), first + kPerAdd); ++i) {
            add.push_back(sources[i]);
            archives.push_back(tree.archiveFolder + sources[i].substr(tree.sourceFolder.size()));
            tree.records.push_back({sources[i], archives.back(), ""});
        }
        RunOrDie(add);
    }
    const auto timeOverEmpty = [&](const Args& program) {
        Require(EmptyFiles(archives), "emptying the archives");
        SyncAll();
        const double seconds = TimeProgram(program);
        RequireCopied(sources.back(), archives.back());
        return seconds;
    };
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return timeOverEmpty(Rsync(tree)); },
                      [&] {
                          return timeOverEmpty({config.cli, "backup", tree.managerPath});
                      }});
    PrintBench({"first-backup-100k", medians[1] * kMs, medians[0] * kMs, "ms", 0.8});
}

void BenchChangedSmall(const Config& config) {
    ScratchFolder folder("changed");
    const GeneratedTree tree = MakeMirroredTree(folder, config.Scale(10000), 16384);
    std::int64_t clock = 1750000000;
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] { return TimeChanged(tree, clock, Rsync(tree)); },
                      [&] {
                          return TimeChanged(tree, clock, {config.cli, "backup", tree.managerPath});
                      }});
    PrintBench({"changed-10k-small", medians[1] * kMs, medians[0] * kMs, "ms", 1.0});
}

void BenchChangedLarge(const Config& config) {
    ScratchFolder folder("large");
    GeneratedTree tree;
    tree.sourceFolder = folder.Path() + "/sources";
    tree.archiveFolder = folder.Path() + "/archives";
    tree.managerPath = folder.Path() + "/large.bkm";
    const std::string source = tree.sourceFolder + "/large.bin";
    const std::string archive = tree.archiveFolder + "/large.bin";
    const std::size_t bytes = config.Scale(std::size_t{1} << 30);
    Require(MakeFolder(tree.sourceFolder) && MakeFolder(tree.archiveFolder) &&
                WriteFile(source, bytes, 1700000000) && WriteFile(archive, bytes, 1700000000),
            "making the large file");
    tree.records.push_back({source, archive, ""});
    Require(WriteBytes(tree.managerPath, EncodeManager(tree.records)), "writing the manager");
    std::int64_t clock = 1750000000;
    const Args cp = {"cp", "--preserve=timestamps", source, archive};
    const Args syncFile = {"sync", archive};
    const std::vector<double> medians = Interleaved(
        config.runs, {[&] {
                          Require(SetFileTime(source, ++clock), "changing the source");
                          SyncAll();
                          const double seconds = TimeProgram(cp) + TimeProgram(syncFile);
                          RequireCopied(source, archive);
                          return seconds;
                      },
                      [&] {
                          return TimeChanged(tree, clock, {config.cli, "backup", tree.managerPath});
                      }});
    PrintBench({"changed-1g", medians[1] * kMs, medians[0] * kMs, "ms", 1.0});
}

}  // namespace bh::bench
