#pragma once

#include <string>
#include <vector>

namespace bh::test {

// The lines of a program's output, without their line breaks.
std::vector<std::string> Lines(const std::string& text);

// Whether `part` occurs in a program's output.
bool Contains(const std::string& text, const std::string& part);

// The tab-separated fields of one listing line.
std::vector<std::string> Fields(const std::string& line);

}  // namespace bh::test
