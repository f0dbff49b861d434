#pragma once

#include <QString>
#include <QStringList>

namespace bh {

// What the desktop program's arguments ask for.
struct GuiCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    // The manager to open (Run), or none.
    QString manager;
    // Help, Version and Error: the text to print, ending in a newline. Error's text goes to
    // stderr and ends the program with exit code 2.
    QString text;
};

// Reads `arguments` (the program's name first, Qt's own options already taken out):
// --help/-h, --version and at most one manager path; "--" ends the options.
GuiCommandLine ParseGuiCommandLine(const QStringList& arguments);

}  // namespace bh
