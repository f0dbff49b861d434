// Times each of the program's figures against its peer (rsync, cp, a stat loop, a plain
// write) on the same data in the same run, and prints one BENCH line per benchmark.

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchConfig.h"
#include "bench/Benchmarks.h"

namespace bh::bench {

const GeneratedTree& MixedTree(const Config& config) {
    static std::unique_ptr<ScratchFolder> folder;
    static GeneratedTree tree;
    if (!folder) {
        folder = std::make_unique<ScratchFolder>("mixed");
        TreeOptions options;
        options.entries = config.Scale(100000);
        if (!GenerateTree(folder->Path() + "/t", options, tree)) {
            EndRun();
        }
    }
    return tree;
}

}  // namespace bh::bench

namespace {

using namespace bh::bench;

struct Group {
    std::vector<std::string> names;
    std::function<void(const Config&)> run;
};

// Cheap and in-process first, the large trees last.
const std::vector<Group>& Groups() {
    static const std::vector<Group> groups = {
        {{"noop-backup-100k", "noop-floor-100k", "status-100k"}, BenchNoop},
        {{"add-1-to-100k"}, BenchAddOne},
        {{"save-1m"}, BenchSave},
        {{"sort-100k"}, BenchSort},
        {{"memory-100k"}, BenchMemory},
        {{"json-1m-memory"}, BenchJsonMemory},
        {{"changed-10k-small"}, BenchChangedSmall},
        {{"changed-1g"}, BenchChangedLarge},
        {{"first-backup-100k"}, BenchFirstBackup},
        {{"refresh-latency-10k"}, BenchRefreshLatency},
    };
    return groups;
}

bool NeedsPrograms(const Config& config) {
    return !config.cli.empty() && !config.statLoop.empty() && !config.saveBytes.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Config config;
    if (!ParseConfig(argc, argv, config)) {
        return 2;
    }
    if (!NeedsPrograms(config)) {
        std::fprintf(stderr, "brackenhold-bench: --cli, --stat-loop and --save-bytes are needed\n");
        return 2;
    }
    for (const Group& group : Groups()) {
        for (const std::string& name : group.names) {
            if (config.Wants(name)) {
                group.run(config);
                break;
            }
        }
    }
    return 0;
}
