#pragma once

#include <string>
#include <vector>

namespace bh::test {

// What one run of a program printed and returned.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The exit code of a run under valgrind (BH_TEST_VALGRIND=1) that found a memory error.
inline constexpr int kValgrindExit = 86;

// Runs `program` with `args` (no shell), in `workingFolder`, and collects its output. With
// BH_TEST_VALGRIND=1 in the environment the program runs under valgrind.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder);

// The same with standard output written to `outputPath` (such as /dev/full) instead of
// collected: `out` stays empty. POSIX only.
CliRun RunProgramWithOutput(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingFolder, const std::string& outputPath);

}  // namespace bh::test
