#pragma once

#include <string>

#include "core/ports/Volumes.h"

namespace bh {

// The mount points of the desktop's file systems, as Qt reads them (on Linux the process's
// mount table). Windows keeps drive letters (Volumes.h).
class QtVolumes : public Volumes {
  public:
    bool UsesDriveLetters() const override;
    std::string MountPointOf(const std::string& path) override;
};

}  // namespace bh
