#pragma once

#include "core/app/Clock.h"
#include "core/app/FileSystem.h"
#include "core/app/ManagerLock.h"
#include "core/app/SettingsStore.h"
#include "core/app/Shell.h"
#include "core/app/SystemErrors.h"
#include "core/app/UserInterface.h"

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
};

}  // namespace bh
