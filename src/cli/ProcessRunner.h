#pragma once

#include <string>
#include <vector>

namespace bh::cli {

// How a helper program ended.
struct ProcessResult {
    // Its exit status; -1 when it could not be started or was killed.
    int exitCode = -1;
    // The first line it wrote to stderr, or why it could not be started.
    std::string message;

    bool Succeeded() const { return exitCode == 0; }
};

// Runs argv[0] (searched in PATH) with the arguments, without a shell, and waits for it.
// Its stdout and stderr are kept off the program's own, so that a failure is reported on
// the caller's one line.
ProcessResult RunProcess(const std::vector<std::string>& argv);

}  // namespace bh::cli
