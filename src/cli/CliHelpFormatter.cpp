#include "cli/CliHelpFormatter.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace bh::cli {

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

// Two columns, the second aligned one blank pair past the widest first.
std::string Table(const Rows& rows) {
    std::size_t width = 0;
    for (const auto& row : rows) {
        width = std::max(width, row.first.size());
    }
    std::string text;
    for (const auto& [left, right] : rows) {
        text += "  " + left;
        if (!right.empty()) {
            text += std::string(width - left.size() + 3, ' ') + right;
        }
        text += '\n';
    }
    return text;
}

bool Repeats(const CLI::Option& option) {
    return option.get_items_expected_max() > 1;
}

std::string PositionalText(const CLI::Option& option) {
    return option.get_name() + (Repeats(option) ? "..." : "");
}

// "-q, --quiet" or "--date-mode N".
std::string OptionText(const CLI::Option& option) {
    std::string text;
    for (const std::string& name : option.get_snames()) {
        text += (text.empty() ? "-" : ", -") + name;
    }
    for (const std::string& name : option.get_lnames()) {
        text += (text.empty() ? "--" : ", --") + name;
    }
    if (option.get_type_size_max() > 0) {
        text += " " + option.get_type_name();
    }
    return text;
}

// The command's own options first, the help flag last.
std::vector<const CLI::Option*> NamedOptions(const CLI::App& app) {
    std::vector<const CLI::Option*> options =
        app.get_options([](const CLI::Option* option) { return option->nonpositional(); });
    std::stable_partition(options.begin(), options.end(), [&app](const CLI::Option* option) {
        return option != app.get_help_ptr();
    });
    return options;
}

std::string CommandUsage(const CLI::App& app) {
    std::string usage = "usage: brackenhold-cli " + app.get_name();
    if (!NamedOptions(app).empty()) {
        usage += " [OPTIONS]";
    }
    for (const CLI::Option* option :
         app.get_options([](const CLI::Option* option) { return option->get_positional(); })) {
        const std::string text = PositionalText(*option);
        usage += " " + (option->get_required() ? text : "[" + text + "]");
    }
    return usage + "\n" + app.get_description() + "\n";
}

std::string CommandHelp(const CLI::App& app) {
    std::string text = CommandUsage(app);
    Rows positionals;
    for (const CLI::Option* option :
         app.get_options([](const CLI::Option* option) { return option->get_positional(); })) {
        positionals.emplace_back(PositionalText(*option), option->get_description());
    }
    if (!positionals.empty()) {
        text += "\narguments:\n" + Table(positionals);
    }
    Rows options;
    for (const CLI::Option* option : NamedOptions(app)) {
        options.emplace_back(OptionText(*option), option->get_description());
    }
    if (!options.empty()) {
        text += "\noptions:\n" + Table(options);
    }
    return text;
}

}  // namespace

std::string CliHelpFormatter::make_help(const CLI::App* app, std::string,
                                        CLI::AppFormatMode) const {
    return app->get_parent() == nullptr ? GeneralUsage(*app) : CommandHelp(*app);
}

std::string GeneralUsage(const CLI::App& root) {
    std::string text =
        "usage: brackenhold-cli [-q|--quiet] [-v|--verbose] COMMAND [OPTIONS] [--] "
        "ARGUMENTS...\n"
        "       brackenhold-cli --help | --version | help [COMMAND] | COMMAND --help\n"
        "\ncommands:\n";
    Rows commands;
    for (const CLI::App* command : root.get_subcommands([](const CLI::App*) { return true; })) {
        commands.emplace_back(command->get_name(), command->get_description());
    }
    text += Table(commands);
    Rows options;
    for (const CLI::Option* option : NamedOptions(root)) {
        options.emplace_back(OptionText(*option), option->get_description());
    }
    text += "\noptions:\n" + Table(options);
    return text + "\nOptions may come before or after the arguments; '--' ends the options.\n";
}

}  // namespace bh::cli
