#pragma once

#include <memory>
#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

// An icon as the desktop shell gives it. The core never looks inside; the GUI's shell
// derives from it to carry its own image. Entries of one file type share one icon.
class ShellIcon {
  public:
    virtual ~ShellIcon() = default;
};

// What the shell tells of a file type. A shell hands out one per type and the same one for
// every file of that type, so that entries hold one pointer where they held both.
struct ShellFileInfo {
    std::shared_ptr<const ShellIcon> icon;  // may be null
    std::string typeName;                   // empty when the shell knows none
};

enum class RevealResult { Shown, NotFound, Invalid };

// The desktop shell: file kinds, opening files and addresses, the file manager.
class Shell {
  public:
    virtual ~Shell() = default;

    // Icon and type name of a file (by its name and content kind), shared by the files of
    // its type. Never fails; null from a shell that tells no types (an entry without one
    // shows no icon and an empty type name).
    virtual std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string& path) = 0;

    // Opens a file with its default application, `folder` as working folder. Returns the
    // failure's code (kNoError when it opened).
    virtual ErrorCode OpenFile(const std::string& fileName, const std::string& folder) = 0;

    // Opens an address (mailto:, https:) with its default handler. Returns the failure's
    // code (kNoError when it opened).
    virtual ErrorCode OpenAddress(const std::string& address) = 0;

    // Shows the file selected in the file manager. NotFound: no file manager could be
    // started; Invalid: the file manager program is not a valid program.
    virtual RevealResult RevealFile(const std::string& path) = 0;
};

}  // namespace bh
