#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSession.h"

// Dispatches to the command named by the first argument; every command registers itself
// in its own file.
int main(int argc, char* argv[]) {
    bh::cli::CliSession session;
    return bh::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), session);
}
