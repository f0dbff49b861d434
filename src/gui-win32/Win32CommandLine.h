#pragma once

#include <string>
#include <vector>

namespace bh {

// What the Windows desktop program's arguments ask for.
struct Win32CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string manager;  // Run: the manager to open, or none
    std::string text;     // Help, Version, Error: the text to show
};

// Reads the arguments after the program's name: --help, -h or /?, --version, and at most one
// manager path; "--" ends the options.
Win32CommandLine ParseWin32CommandLine(const std::vector<std::string>& arguments);

}  // namespace bh
