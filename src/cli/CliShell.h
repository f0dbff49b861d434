#pragma once

#include "core/ports/Shell.h"

namespace bh::cli {

// The command-line program's shell: no icons, no type names, nothing to open.
class CliShell : public Shell {
  public:
    ShellFileInfo GetFileInfo(const std::string&) override { return {}; }
    bool OpenFile(const std::string&, const std::string&) override { return false; }
    bool OpenAddress(const std::string&) override { return false; }
    RevealResult RevealFile(const std::string&) override { return RevealResult::NotFound; }
};

}  // namespace bh::cli
