// The parts of TempDir that are the same on every system; the folder's making and removal
// live in each system's own file.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace bh::test {

std::string TempDir::File(const std::string& name) const {
    return path_ + "/" + name;
}

std::string TempDir::Write(const std::string& name, const std::string& content) const {
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return path;
}

bool TempDir::Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::string TempDir::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace bh::test
