#include "gui/GuiCommandLine.h"

#include <QCommandLineParser>

#include "bh/Version.h"

namespace bh {
namespace {

GuiCommandLine Failure(const QString& message) {
    GuiCommandLine result;
    result.action = GuiCommandLine::Action::Error;
    result.text =
        QStringLiteral("brackenhold: %1\nRun 'brackenhold --help' for usage.\n").arg(message);
    return result;
}

}  // namespace

GuiCommandLine ParseGuiCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Keeps archive copies of files up to date: opens MANAGER, a backup "
                       "manager, or an empty one."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    // No -v: the command-line program's -v means --verbose.
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("MANAGER"),
                                 QStringLiteral("The backup manager to open."),
                                 QStringLiteral("[MANAGER]"));

    if (!parser.parse(arguments))
        return Failure(parser.errorText());
    GuiCommandLine result;
    if (parser.isSet(help)) {
        result.action = GuiCommandLine::Action::Help;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = GuiCommandLine::Action::Version;
        result.text = QStringLiteral("brackenhold %1\n").arg(QLatin1String(kVersionText));
        return result;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return Failure(
            QStringLiteral("only one MANAGER can be opened, %1 were named").arg(positional.size()));
    if (!positional.isEmpty())
        result.manager = positional.front();
    return result;
}

}  // namespace bh
