#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace bh::cli {

// The program's usage texts, made from the declared commands, options and positionals in
// their declaration order: plain lines with no terminal width, colour or CLI11 wording, so
// that they read the same on every system and can be compared by tests and scripts.
class CliHelpFormatter : public CLI::FormatterBase {
  public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override;
};

// The general usage: how to call the program, its commands and its global options.
std::string GeneralUsage(const CLI::App& root);

}  // namespace bh::cli
