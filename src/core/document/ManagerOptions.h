#pragma once

#include <string>

#include "core/ports/ErrorCode.h"

namespace bh {

class FileSystem;

// The most versions of one archive a manager may keep.
inline constexpr int kMaxKeptVersions = 999;

// Settings that belong to one manager but not to its file format. They live in a small text
// file beside the manager (see ManagerOptionsPath), so that the manager file stays exactly as
// every reader of the format expects, and so that the settings travel with the manager and
// are seen by a scheduled command-line run as much as by the desktop program.
struct ManagerOptions {
    // How many replaced archives a backup keeps in the ".versions" folder beside each
    // archive; 0 replaces the archive as before and keeps nothing.
    int keepVersions = 0;
    // Whether a backup reads each new archive again and compares it with its source.
    bool verifyAfterCopy = false;

    bool IsDefault() const { return keepVersions == 0 && !verifyAfterCopy; }
    bool operator==(const ManagerOptions&) const = default;
};

// The settings file of a manager: the manager's path with ".options" appended.
std::string ManagerOptionsPath(const std::string& managerPath);

// The file's text: one "name=value" line per setting.
std::string EncodeManagerOptions(const ManagerOptions& options);

// Reads the text EncodeManagerOptions writes. Blank lines and lines starting with '#' are
// ignored, and so are names this version does not know (a later version's settings). False,
// with a one-line reason in `problem`, when a known setting has a value out of range.
bool DecodeManagerOptions(const std::string& text, ManagerOptions& options, std::string& problem);

// The settings beside a manager: the defaults when there is no file. kNoError and an empty
// `problem` on success; a read error is returned as it is; a file that cannot be decoded
// gives kNoError with the reason in `problem` and the defaults in `options`.
ErrorCode ReadManagerOptions(FileSystem& fileSystem, const std::string& managerPath,
                             ManagerOptions& options, std::string& problem);

// Writes the settings beside a manager atomically, or removes the file when every setting
// is at its default (a manager with default settings has no settings file).
ErrorCode WriteManagerOptions(FileSystem& fileSystem, const std::string& managerPath,
                              const ManagerOptions& options);

}  // namespace bh
