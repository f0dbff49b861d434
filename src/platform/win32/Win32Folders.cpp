// The folder operations of the Windows file system: listing, creating and moving into.
#include <windows.h>

#include "platform/win32/Win32FileSystem.h"

namespace bh {

using ItemKind = FileSystem::ItemKind;

namespace {

ItemKind KindOf(const WIN32_FIND_DATAA& found) {
    // A reparse point (a symbolic link or junction) is never followed, whatever it leads to.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return ItemKind::Link;
    }
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ItemKind::Folder;
    }
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0 ? ItemKind::Other : ItemKind::File;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

ErrorCode Win32FileSystem::ListFolder(const std::string& folder, std::vector<FolderItem>& items) {
    items.clear();
    if (!IsFolder(folder)) {
        const DWORD error = ::GetLastError();
        return ErrorCode(::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES
                             ? error
                             : ERROR_DIRECTORY);
    }
    std::string pattern = folder;
    if (!pattern.empty() && !IsSeparator(pattern.back())) {
        pattern += '\\';
    }
    pattern += '*';
    WIN32_FIND_DATAA found{};
    const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? kNoError : ErrorCode(error);
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            items.push_back({name, KindOf(found)});
        }
    } while (::FindNextFileA(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        items.clear();
        return ErrorCode(error);
    }
    return kNoError;
}

ErrorCode Win32FileSystem::CreateFolders(const std::string& path) {
    // Each folder from the top down. A drive ("C:") or a share's root cannot be created and
    // need not be: only the last failure counts, and only when the folder is not there.
    DWORD lastError = ERROR_ALREADY_EXISTS;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) {
            continue;
        }
        const std::string part = path.substr(0, i);
        if (!::CreateDirectoryA(part.c_str(), nullptr) && !IsFolder(part)) {
            lastError = ::GetLastError();
        }
    }
    return IsFolder(path) ? kNoError : ErrorCode(lastError);
}

ErrorCode Win32FileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
    // Without MOVEFILE_REPLACE_EXISTING an existing target fails; write-through returns only
    // once the move is on the disk.
    if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return ErrorCode(::GetLastError());
    }
    return kNoError;
}

}  // namespace bh
