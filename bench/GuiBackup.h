#pragma once

#include <string>

#include "bench/BenchConfig.h"

namespace bh::bench {

// gui-backup-10k: the main window's Backup All of 10,000 changed files (offscreen, the
// report box answered as soon as it shows) against `brackenhold-cli backup` of the same.
void BenchGuiBackup(const Config& config);

}  // namespace bh::bench
