#pragma once

#include "core/ports/Clock.h"
#include "core/ports/DesktopNotifier.h"
#include "core/ports/FileSystem.h"
#include "core/ports/ManagerLock.h"
#include "core/ports/SettingsStore.h"
#include "core/ports/Shell.h"
#include "core/ports/SystemErrors.h"
#include "core/ports/UserInterface.h"

namespace bh {

// The ports a document and its commands work through, borrowed from the front end that
// owns them (the GUI, the command-line program or a test).
struct Services {
    FileSystem& fileSystem;
    Shell& shell;
    UserInterface& ui;
    SettingsStore& settings;
    Clock& clock;
    SystemErrors& systemErrors;
    // The locks that keep other programs off a manager while it is written; null where no
    // other program can reach the files (tests of the document alone).
    ManagerLock* managerLock = nullptr;
    // The desktop's notifications, which tell of a failed unattended backup; null where the
    // system has none (Windows, tests that do not look).
    DesktopNotifier* notifier = nullptr;
};

}  // namespace bh
