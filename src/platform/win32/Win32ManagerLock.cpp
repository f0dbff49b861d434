#include "platform/win32/Win32ManagerLock.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/Win32FileOps.h"

namespace bh {

namespace {

std::string FullPath(const std::string& path) {
    char buffer[MAX_PATH * 4];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

// The final path of an existing file or folder, links resolved; empty when it cannot be had.
std::string FinalPath(const std::string& path) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    char buffer[MAX_PATH * 4];
    const DWORD length = ::GetFinalPathNameByHandleA(file, buffer, sizeof buffer, 0);
    ::CloseHandle(file);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// The real path of a manager that may not exist yet: its folder resolved, its name kept,
// letters folded as the file system compares them.
std::string RealManagerKey(const std::string& path) {
    const std::string full = FullPath(path);
    std::string real = FinalPath(full);
    if (real.empty()) {
        const std::string folder = win32::SystemFolderOf(full);
        const std::string resolved = folder.empty() ? std::string() : FinalPath(folder);
        real = resolved.empty() ? full : resolved + "\\" + full.substr(folder.size());
    }
    for (char& c : real) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c == '/') {
            c = '\\';
        }
    }
    return real;
}

ErrorCode LockFolder(std::string& folder) {
    char base[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof base, base);
    if (length == 0 || length > MAX_PATH) {
        return ErrorCode(length == 0 ? ::GetLastError() : ERROR_FILENAME_EXCED_RANGE);
    }
    folder = std::string(base) + "Brackenhold Locks\\";
    if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return ErrorCode(::GetLastError());
    }
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                          (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    if (!isFolder) {
        return ErrorCode(ERROR_DIRECTORY);
    }
    return kNoError;
}

}  // namespace

Win32ManagerLock::~Win32ManagerLock() {
    DropAll();
}

ErrorCode Win32ManagerLock::LockFileFor(const std::string& managerPath, std::string& lockFile) {
    std::string folder;
    if (const ErrorCode error = LockFolder(folder)) {
        return error;
    }
    lockFile = folder + LockFileName("", RealManagerKey(managerPath));
    return kNoError;
}

Win32ManagerLock::Acquired Win32ManagerLock::TakeFileLock(const std::string& lockFile,
                                                          std::intptr_t& handle, ErrorCode& error) {
    const HANDLE file = ::CreateFileA(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
        error = ErrorCode(code);
        return busy ? Acquired::Busy : Acquired::Unavailable;
    }
    handle = reinterpret_cast<std::intptr_t>(file);
    return Acquired::Locked;
}

void Win32ManagerLock::DropFileLock(std::intptr_t handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

}  // namespace bh
