#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bench/BenchConfig.h"
#include "bench/TreeGenerator.h"

namespace bh::bench {

// Each prints the BENCH lines of the benchmarks it covers that the configuration wants.
void BenchNoop(const Config& config);  // noop-backup-100k, noop-floor-100k, status-100k
void BenchFirstBackup(const Config& config);
void BenchChangedSmall(const Config& config);
void BenchChangedLarge(const Config& config);
void BenchRefreshLatency(const Config& config);
void BenchAddOne(const Config& config);
void BenchSave(const Config& config);
void BenchSort(const Config& config);
void BenchMemory(const Config& config);
void BenchJsonMemory(const Config& config);

// The mixed tree of 100,000 entries (a tenth with --quick) that add, sort and memory share,
// made once: making and removing a large tree takes longer than most benchmarks.
const GeneratedTree& MixedTree(const Config& config);

// The timed steps of one interleaved measurement, added only when wanted.
class Steps {
  public:
    // Adds the step and returns its index among the medians.
    std::size_t Add(std::function<double()> step) {
        steps_.push_back(std::move(step));
        return steps_.size() - 1;
    }
    const std::vector<std::function<double()>>& All() const { return steps_; }

  private:
    std::vector<std::function<double()>> steps_;
};

}  // namespace bh::bench
