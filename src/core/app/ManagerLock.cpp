#include "core/app/ManagerLock.h"

namespace bh {

std::string ManagerBusyText(const std::string& managerPath) {
    return "The backup manager " + managerPath +
           " is in use by another Brackenhold program. Try again when it has finished.";
}

}  // namespace bh
