#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

namespace bh::cli {

// What a command line asks for, once parsed.
struct CliParsed {
    enum class Kind {
        Run,         // run `command`
        Help,        // print `text` on stdout
        Version,     // print the version on stdout
        NoCommand,   // print the general usage on stderr
        UsageError,  // print `text` and the hint to `commandName`'s help on stderr
    };
    Kind kind = Kind::NoCommand;
    std::string text;
    std::string commandName;  // the command given, empty when none
    const CliBoundCommand* command = nullptr;
    bool quiet = false;
    bool verbose = false;
};

// The program's command line on CLI11: the global options, `help` and every registered command
// as a subcommand. Parsed once; no CLI11 exception leaves it.
class CliParser {
  public:
    CliParser();
    ~CliParser();
    CliParser(const CliParser&) = delete;
    CliParser& operator=(const CliParser&) = delete;

    CliParsed Parse(const std::vector<std::string>& commandLine);

    std::string GeneralUsageText() const;

  private:
    struct Command {
        CLI::App* app;
        CliBoundCommand bound;
    };

    void DeclareGlobalOptions(CLI::App& app);
    CliParsed Parsed(CliParsed::Kind kind, std::string text = {}) const;
    CliParsed AfterParse() const;
    CliParsed HelpTopic() const;
    std::string UnexpectedArgument() const;

    std::unique_ptr<CLI::App> app_;
    std::vector<Command> commands_;
    CLI::App* help_ = nullptr;
    std::string helpTopic_;
    bool quiet_ = false;
    bool verbose_ = false;
};

}  // namespace bh::cli
