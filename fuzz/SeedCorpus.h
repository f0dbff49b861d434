#pragma once

#include <string>
#include <utility>
#include <vector>

namespace bh::fuzz {

// Valid manager files (name, bytes) covering each string form: 1-byte, 16-bit and 32-bit
// lengths, wide text with each length form, surrogate pairs, empty managers and notes.
std::vector<std::pair<std::string, std::string>> SeedManagers();

}  // namespace bh::fuzz
