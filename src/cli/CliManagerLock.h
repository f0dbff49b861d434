#pragma once

#include <string>
#include <vector>

namespace bh::cli {

// The manager a command's arguments name: the first argument that is not an option; empty
// when there is none.
std::string ManagerArgument(const std::vector<std::string>& args);

}  // namespace bh::cli
