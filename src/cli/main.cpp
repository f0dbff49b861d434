#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#endif

#include "cli/CliCommand.h"
#include "cli/CliSession.h"

// Dispatches to the command named by the first argument; every command registers itself
// in its own file.
int main(int argc, char* argv[]) {
#ifndef _WIN32
    // A reader that goes away (`list | head`) must not kill a backup between its copies and
    // the save: the failed write is reported and the command still finishes (exit 4).
    std::signal(SIGPIPE, SIG_IGN);
#endif
    bh::cli::CliSession session;
    return bh::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), session);
}
