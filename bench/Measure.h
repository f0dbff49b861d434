#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bh::bench {

// Seconds taken by `work`.
template <typename Work>
double TimeSeconds(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);

// One benchmark's figures: `measured` and `baseline` in `unit`, compared as a ratio.
struct BenchLine {
    std::string name;
    double measured = 0;
    double baseline = 0;
    std::string unit;
    double target = 0;
};

// Prints "BENCH <name> measured=... baseline=... ratio=... target=..." and flushes.
void PrintBench(const BenchLine& line);

// Runs the timed steps `runs` times, interleaved (step 0, 1, ..., 0, 1, ...), so that a
// disturbance of the machine hits every step alike. Each step returns the seconds it
// measured itself (so that its preparation stays outside). Returns each step's median.
std::vector<double> Interleaved(int runs, const std::vector<std::function<double()>>& steps);

}  // namespace bh::bench
