#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace bh::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bh-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool TempDir::SetTimes(const std::string& path, std::int64_t seconds, long nanoseconds) {
    const timespec time{static_cast<time_t>(seconds), nanoseconds};
    const timespec times[2] = {time, time};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string TempDir::MakeFolder(const std::string& name) const {
    const std::string path = File(name);
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace bh::test
