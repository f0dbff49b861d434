#include <windows.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include "support/TempDir.h"

namespace bh::test {

namespace {

constexpr std::int64_t kTicksTo1970 = 116444736000000000;

// Read-only files and folders would stop the removal.
void ClearReadOnly(const std::string& folder) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        ::SetFileAttributesA(it->path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace

TempDir::TempDir() {
    char base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) {
        throw std::runtime_error("no temporary folder");
    }
    std::mt19937_64 generator{std::random_device{}() ^ ::GetCurrentProcessId()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "bh-test-%08llx",
                      static_cast<unsigned long long>(generator() & 0xFFFFFFFFu));
        const std::string path = std::string(base) + name;
        if (::CreateDirectoryA(path.c_str(), nullptr)) {
            path_ = path;
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    ClearReadOnly(path_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool TempDir::SetTimes(const std::string& path, std::int64_t seconds, long nanoseconds) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const auto ticks =
        static_cast<std::uint64_t>(seconds * 10000000 + nanoseconds / 100 + kTicksTo1970);
    const FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    const bool set = ::SetFileTime(file, nullptr, &time, &time) != 0;
    ::CloseHandle(file);
    return set;
}

std::string TempDir::MakeFolder(const std::string& name) const {
    const std::string path = File(name);
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace bh::test
