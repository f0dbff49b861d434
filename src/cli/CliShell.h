#pragma once

#include <cerrno>

#include "core/ports/Shell.h"

namespace bh::cli {

// The command-line program's shell: no icons, no type names, nothing to open.
class CliShell : public Shell {
  public:
    std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string&) override {
        return nullptr;
    }
    // No command of this program opens anything; were one to, it would fail as a start that
    // found no program (ENOEXEC, as the desktop's shell reports it).
    ErrorCode OpenFile(const std::string&, const std::string&) override {
        return ErrorCode(ENOEXEC);
    }
    ErrorCode OpenAddress(const std::string&) override { return ErrorCode(ENOEXEC); }
    RevealResult RevealFile(const std::string&) override { return RevealResult::NotFound; }
};

}  // namespace bh::cli
