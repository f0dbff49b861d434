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

// Runs `program` with `args` (no shell), in `workingFolder`, and collects its output.
CliRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder);

}  // namespace bh::test
