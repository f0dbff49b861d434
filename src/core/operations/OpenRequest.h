#pragma once

#include <string>

#include "core/operations/AddFiles.h"

namespace bh {

class CBrackenholdDoc;

struct OpenRequestResult {
    enum class Kind { OpenedManager, ManagerNotOpened, AddedAsFile };
    Kind kind = Kind::ManagerNotOpened;
    AddFileResult addResult = AddFileResult::NotAFile;  // for AddedAsFile
};

// Opens `path` as the manager (the command line, a recent-file menu entry): asks to save a
// modified manager first, then opens it. The manager already open under that path (any
// letter case) is kept as it is. True when the path is now the open manager.
bool OpenManagerPath(CBrackenholdDoc& doc, const std::string& path);

// A path dropped on the window or handed over by the shell: a path in the recent-file list
// (any letter case) opens as a manager; any other path is added to the open manager as one
// file.
OpenRequestResult OpenRequest(CBrackenholdDoc& doc, const std::string& path);

// Whether the file's bytes begin as a manager's do (the header string), or it is an empty
// file named "*.bak" (what a file manager's "new document" makes). Unreadable files are not.
bool LooksLikeManager(CBrackenholdDoc& doc, const std::string& path);

// A path handed over by the desktop (a second start of the program, as a double-click in the
// file manager makes): a file that looks like a manager opens as the manager, with the usual
// save question; any other path follows the rule of a dropped file (OpenRequest).
OpenRequestResult ShellOpenRequest(CBrackenholdDoc& doc, const std::string& path);

}  // namespace bh
