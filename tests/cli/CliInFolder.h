#pragma once

#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh::test {

// Runs the command-line program built beside the tests, in `dir`.
inline CliRun Cli(const TempDir& dir, const std::vector<std::string>& args) {
    return RunProgram(BH_CLI_PATH, args, dir.Path());
}

}  // namespace bh::test
