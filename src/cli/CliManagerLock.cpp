#include "cli/CliManagerLock.h"

namespace bh::cli {

std::string ManagerArgument(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (!arg.starts_with("--")) {
            return arg;
        }
    }
    return {};
}

}  // namespace bh::cli
