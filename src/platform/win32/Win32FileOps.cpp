#include "platform/win32/Win32FileOps.h"

#include <cctype>
#include <cstdio>
#include <random>

namespace bh::win32 {

namespace {

constexpr std::size_t kMaxNameInTemp = 200;  // keeps the temporary name within MAX_PATH parts
constexpr int kTempAttempts = 100;
constexpr std::size_t kSuffixDigits = 12;

std::string RandomSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17];
    std::snprintf(text, sizeof text, "%012llx",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    return text;
}

DWORD KeptLastWrite(HANDLE file, std::uint64_t& ticks) {
    FILETIME lastWrite{};
    if (!::GetFileTime(file, nullptr, nullptr, &lastWrite)) {
        return ::GetLastError();
    }
    ticks = TicksOf(lastWrite);
    return 0;
}

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 0x80 && y < 0x80 && ::tolower(x) == ::tolower(y))) {
            return false;
        }
    }
    return true;
}

// "." + name + "." + 12 lowercase hexadecimal digits + ".tmp", as CreateTempBeside names them.
bool IsTempNameOf(const std::string& entry, const std::string& name) {
    const std::string tail = ".tmp";
    if (entry.size() != 1 + name.size() + 1 + kSuffixDigits + tail.size() || entry[0] != '.' ||
        !SameLetters(entry.substr(1, name.size()), name) || entry[1 + name.size()] != '.' ||
        entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    for (std::size_t i = 2 + name.size(); i < 2 + name.size() + kSuffixDigits; ++i) {
        const char c = entry[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

UniqueHandle& UniqueHandle::operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        handle_ = other.Release();
    }
    return *this;
}

HANDLE UniqueHandle::Release() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
}

void UniqueHandle::Reset() {
    if (Valid()) {
        ::CloseHandle(handle_);
    }
    handle_ = INVALID_HANDLE_VALUE;
}

DWORD UniqueHandle::Close() {
    if (!Valid()) {
        return 0;
    }
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? 0 : ::GetLastError();
}

std::uint64_t TicksOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOf(std::uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

std::int64_t UnixSecondsOf(const FILETIME& time) {
    // Signed division truncates toward zero, as the attribute contract asks.
    return (static_cast<std::int64_t>(TicksOf(time)) - kTicksTo1970) / kTicksPerSecond;
}

std::uint64_t CeilToStep(std::uint64_t ticks, std::uint64_t step) {
    const std::uint64_t rest = ticks % step;
    return rest == 0 ? ticks : ticks - rest + step;
}

std::string SystemFolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

DWORD CreateTempBeside(const std::string& target, UniqueHandle& file, std::string& path) {
    const std::string folder = SystemFolderOf(target);
    const std::string name = target.substr(folder.size()).substr(0, kMaxNameInTemp);
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        path = folder + "." + name + "." + RandomSuffix() + ".tmp";
        const HANDLE created = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            file = UniqueHandle(created);
            return 0;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            path.clear();
            return error;
        }
    }
    path.clear();
    return ERROR_FILE_EXISTS;
}

DWORD CopyTimes(HANDLE file, const FILETIME& access, const FILETIME& lastWrite) {
    if (!::SetFileTime(file, nullptr, &access, &lastWrite)) {
        return ::GetLastError();
    }
    const std::uint64_t wanted = TicksOf(lastWrite);
    std::uint64_t kept = 0;
    if (const DWORD error = KeptLastWrite(file, kept); error != 0 || kept >= wanted) {
        return error;
    }
    // Coarser steps, finest first, so the first one kept is the nearest: exFAT keeps 10 ms,
    // some network shares whole seconds, FAT 2 seconds.
    constexpr std::uint64_t kSteps[] = {10, 10000, 100000, 1000000, 10000000, 20000000};
    for (const std::uint64_t step : kSteps) {
        const FILETIME rounded = FileTimeOf(CeilToStep(wanted, step));
        if (!::SetFileTime(file, nullptr, &access, &rounded)) {
            return ::GetLastError();
        }
        if (const DWORD error = KeptLastWrite(file, kept); error != 0 || kept >= wanted) {
            return error;
        }
    }
    return 0;
}

DWORD MoveInto(const std::string& from, const std::string& to, bool noReplace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (!noReplace) {
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    return ::MoveFileExA(from.c_str(), to.c_str(), flags) ? 0 : ::GetLastError();
}

void RemoveStaleTemps(const std::string& target) {
    const std::string folder = SystemFolderOf(target);
    const std::string name = target.substr(folder.size());
    if (name.empty() || name.size() > kMaxNameInTemp || name.find_first_of("*?") != name.npos) {
        return;
    }
    WIN32_FIND_DATAA data{};
    const std::string pattern = folder + "." + name + ".*.tmp";
    const HANDLE found = ::FindFirstFileA(pattern.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) {
        return;
    }
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    do {
        if ((data.dwFileAttributes & kNotPlain) == 0 && IsTempNameOf(data.cFileName, name)) {
            RemoveQuietly(folder + data.cFileName);
        }
    } while (::FindNextFileA(found, &data));
    ::FindClose(found);
}

void RemoveQuietly(const std::string& path) {
    if (!::DeleteFileA(path.c_str())) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }
}

}  // namespace bh::win32
