#pragma once

#include <cstddef>
#include <set>
#include <string>

namespace bh::bench {

// What bench/run asked for: sizes, rounds, which benchmarks and the programs they start.
struct Config {
    bool quick = false;
    int runs = 7;
    std::set<std::string> only;
    std::string cli;        // brackenhold-cli
    std::string statLoop;   // brackenhold-bench-statloop
    std::string saveBytes;  // brackenhold-bench-savebytes

    std::size_t Scale(std::size_t full) const { return quick ? full / 10 : full; }
    bool Wants(const std::string& name) const { return only.empty() || only.contains(name); }
};

// Reads --quick, --runs N, --only a,b and the program paths; false (after the usage line)
// for anything else.
bool ParseConfig(int argc, char** argv, Config& config);

}  // namespace bh::bench
