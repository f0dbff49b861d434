#include "cli/CliParser.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <utility>

#include "cli/CliHelpFormatter.h"

namespace bh::cli {

namespace {

// Whether `word` would be read as an option rather than an argument.
bool LooksLikeOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-';
}

// What the command line left over: the arguments no option or positional took. The first
// "--" of a command is the end of its options, not a word the user gave as an argument.
std::vector<std::string> LeftOver(const CLI::App& app) {
    std::vector<std::string> words = app.remaining();
    const auto mark = std::find(words.begin(), words.end(), "--");
    if (mark != words.end()) {
        words.erase(mark);
    }
    return words;
}

}  // namespace

CliParser::CliParser() : app_(std::make_unique<CLI::App>("", "brackenhold-cli")) {
    app_->formatter(std::make_shared<CliHelpFormatter>());
    app_->set_help_flag("-h,--help", "print the usage and exit");
    // Extra words are reported by AfterParse, naming the word, rather than as CLI11's list.
    app_->allow_extras();
    // One command per run; a later word that names a command is an argument of the first.
    app_->require_subcommand(0, 1);
    DeclareGlobalOptions(*app_);
    app_->set_version_flag("--version", "", "print the version and exit");
    // By name: the files register themselves in an order no one chose.
    std::vector<CliCommandInfo> infos = CliCommands();
    std::sort(infos.begin(), infos.end(),
              [](const CliCommandInfo& a, const CliCommandInfo& b) { return a.name < b.name; });
    for (const CliCommandInfo& info : infos) {
        CLI::App* command = app_->add_subcommand(info.name, info.description);
        CliBoundCommand bound = info.declare(*command);
        DeclareGlobalOptions(*command);
        commands_.push_back({command, std::move(bound)});
    }
    help_ = app_->add_subcommand("help", "print the usage of every command, or of one");
    help_->add_option("COMMAND", helpTopic_, "the command to describe");
}

CliParser::~CliParser() = default;

// -q and -v are accepted before and after the command's name: each command declares them too,
// bound to the same flags.
void CliParser::DeclareGlobalOptions(CLI::App& app) {
    app.add_flag("-q,--quiet", quiet_, "print only failures");
    app.add_flag("-v,--verbose", verbose_, "print one line per file acted on");
}

CliParsed CliParser::Parse(const std::vector<std::string>& commandLine) {
    if (commandLine.empty()) {
        return Parsed(CliParsed::Kind::NoCommand);
    }
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(commandLine.rbegin(), commandLine.rend());
    try {
        app_->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        // The help of the command being parsed, or the general one.
        return Parsed(CliParsed::Kind::Help, app_->help());
    } catch (const CLI::CallForVersion&) {
        return Parsed(CliParsed::Kind::Version);
    } catch (const CLI::Error& error) {
        return Parsed(CliParsed::Kind::UsageError, error.what());
    }
    return AfterParse();
}

std::string CliParser::GeneralUsageText() const {
    return GeneralUsage(*app_);
}

CliParsed CliParser::Parsed(CliParsed::Kind kind, std::string text) const {
    CliParsed parsed;
    parsed.kind = kind;
    parsed.text = std::move(text);
    const std::vector<CLI::App*> given =
        app_->get_subcommands([](CLI::App* command) { return command->parsed(); });
    if (!given.empty()) {
        parsed.commandName = given.front()->get_name();
    }
    parsed.quiet = quiet_;
    parsed.verbose = verbose_;
    return parsed;
}

CliParsed CliParser::AfterParse() const {
    const std::string unexpected = UnexpectedArgument();
    if (!unexpected.empty()) {
        return Parsed(CliParsed::Kind::UsageError, unexpected);
    }
    if (help_->parsed()) {
        return HelpTopic();
    }
    for (const Command& command : commands_) {
        if (command.app->parsed()) {
            if (quiet_ && verbose_) {
                return Parsed(CliParsed::Kind::UsageError,
                              "--quiet and --verbose cannot be used together");
            }
            CliParsed parsed = Parsed(CliParsed::Kind::Run);
            parsed.command = &command.bound;
            return parsed;
        }
    }
    return Parsed(CliParsed::Kind::NoCommand);
}

CliParsed CliParser::HelpTopic() const {
    if (helpTopic_.empty()) {
        return Parsed(CliParsed::Kind::Help, GeneralUsage(*app_));
    }
    for (const CLI::App* command : app_->get_subcommands([](const CLI::App*) { return true; })) {
        if (command->get_name() == helpTopic_) {
            return Parsed(CliParsed::Kind::Help, command->help());
        }
    }
    return Parsed(CliParsed::Kind::UsageError, "unknown command " + helpTopic_);
}

// The first word nothing took, as the message that names it; empty when every word was taken.
std::string CliParser::UnexpectedArgument() const {
    for (const CLI::App* command : app_->get_subcommands([](const CLI::App*) { return true; })) {
        if (!command->parsed()) {
            continue;
        }
        for (const std::string& word : LeftOver(*command)) {
            return LooksLikeOption(word) ? "unknown option " + word : "unexpected argument " + word;
        }
    }
    for (const std::string& word : LeftOver(*app_)) {
        return LooksLikeOption(word) ? "unknown option " + word : "unknown command " + word;
    }
    return {};
}

}  // namespace bh::cli
