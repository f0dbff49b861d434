#pragma once

#include <string>

namespace bh {

// Where the file systems that hold paths are mounted: the part of an archive path that
// Rename Drive changes. The design's drive letter maps to each platform this way:
//
// - Windows: the drive letter ("C:"). UsesDriveLetters() is true and Rename Drive keeps its
//   designed rule: one letter, put in place of the path's drive.
// - POSIX: a path has no drive letter. Rename Drive starts its prompt with the mount point of
//   the first selected archive (MountPointOf), or with the archive's folder when it is not
//   mounted (the path and its folder are unreachable, as with an unplugged disk) or is reached
//   through a link that the mount point does not begin. The absolute folder the user types
//   replaces that leading part of every selected archive path that begins with it (whole
//   components, ASCII letter case ignored as in every path comparison); other paths stay.
//   A text that is not an absolute folder gets the beep and the prompt again.
class Volumes {
  public:
    virtual ~Volumes() = default;

    // True where archive paths carry drive letters (Windows).
    virtual bool UsesDriveLetters() const = 0;

    // The folder at which the file system holding `path` (or, when `path` does not exist, its
    // folder) is mounted, such as "/media/ann/usb" or "/"; empty when neither exists.
    virtual std::string MountPointOf(const std::string& path) = 0;
};

}  // namespace bh
