#include "platform/win32/Win32FileSystem.h"

#include <algorithm>
#include <string_view>
#include <thread>

#include "platform/win32/Win32FileOps.h"

namespace bh {

using win32::UniqueHandle;

namespace {

constexpr DWORD kChunk = 1 << 20;
// A copy whose source keeps changing is given up after this many attempts in all.
constexpr int kCopyTries = 3;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The attributes a copy carries over, as CopyFileA does.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

ErrorCode Fail(DWORD error) {
    return ErrorCode(error);
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opens a path to read its data; a folder fails with ERROR_ACCESS_DENIED as on Windows.
DWORD OpenHandleForReading(const std::string& path, UniqueHandle& file,
                           BY_HANDLE_FILE_INFORMATION& info) {
    file =
        UniqueHandle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        return ::GetLastError();
    }
    if (!::GetFileInformationByHandle(file.Get(), &info)) {
        return ::GetLastError();
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    // A device or pipe opened by name has no data to archive.
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return ERROR_INVALID_PARAMETER;
    }
    return 0;
}

// Whether the source is still the version whose reading began: the same size and last-write
// time to the 100 ns tick.
bool SameVersion(const BY_HANDLE_FILE_INFORMATION& before,
                 const BY_HANDLE_FILE_INFORMATION& after) {
    return before.nFileSizeHigh == after.nFileSizeHigh &&
           before.nFileSizeLow == after.nFileSizeLow &&
           win32::TicksOf(before.ftLastWriteTime) == win32::TicksOf(after.ftLastWriteTime);
}

// A handle opened only to read a file's identity and attributes, following links.
UniqueHandle OpenForQuery(const std::string& path) {
    return UniqueHandle(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// A temporary file that is removed unless it was moved into place.
class TempFile {
  public:
    ~TempFile() {
        file.Reset();
        if (!path.empty()) {
            win32::RemoveQuietly(path);
        }
    }
    void Keep() { path.clear(); }

    UniqueHandle file;
    std::string path;
};

// A destination the copy must not replace: CopyFileA refuses a folder and a read-only file.
DWORD CheckDestination(const std::string& to, bool failIfExists) {
    const DWORD attributes = ::GetFileAttributesA(to.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    if (IsFolder(attributes) || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    return failIfExists ? ERROR_FILE_EXISTS : 0;
}

}  // namespace

DWORD Win32FileSystem::WriteChunk(HANDLE file, const char* data, DWORD size) {
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, size, &written, nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        data += written;
        size -= written;
    }
    return 0;
}

DWORD Win32FileSystem::WriteAll(HANDLE file, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kChunk));
        if (const DWORD error = WriteChunk(file, bytes.data() + done, size); error != 0) {
            return error;
        }
        done += size;
    }
    return 0;
}

DWORD Win32FileSystem::CopyData(HANDLE in, HANDLE out) {
    std::string buffer(kChunk, '\0');
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(in, buffer.data(), kChunk, &read, nullptr)) {
            return ::GetLastError();
        }
        if (read == 0) {
            return 0;
        }
        if (const DWORD error = WriteChunk(out, buffer.data(), read); error != 0) {
            return error;
        }
    }
}

ErrorCode Win32FileSystem::GetAttributes(const std::string& path, FileAttributes& out) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return Fail(::GetLastError());
    }
    std::uint64_t size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FILETIME lastWrite = data.ftLastWriteTime;
    // A symbolic link reports itself; the contract asks for the file it names.
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        const UniqueHandle target = OpenForQuery(path);
        BY_HANDLE_FILE_INFORMATION info{};
        if (!target.Valid() || !::GetFileInformationByHandle(target.Get(), &info)) {
            return Fail(::GetLastError());
        }
        size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        lastWrite = info.ftLastWriteTime;
    }
    out.size = size;
    out.lastWriteSeconds = win32::UnixSecondsOf(lastWrite);
    out.lastWriteFine = static_cast<std::int64_t>(win32::TicksOf(lastWrite));
    return kNoError;
}

namespace {

// Queries on a network drive or share wait out a round trip each, so this many run at once
// whatever the cores.
constexpr int kNetworkQueryThreads = 8;

// A UNC path (\\server\share, also as \\?\UNC\...) or a path on a drive that Windows
// maps to a network share. A relative path is on the current drive.
bool IsOnNetworkDrive(const std::string& path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    std::string_view rest = path;
    if (rest.starts_with("\\\\?\\")) {
        rest.remove_prefix(4);
        if (rest.size() >= 4 && (rest[0] | 0x20) == 'u' && (rest[1] | 0x20) == 'n' &&
            (rest[2] | 0x20) == 'c' && separator(rest[3])) {
            return true;
        }
    } else if (rest.size() >= 2 && separator(rest[0]) && separator(rest[1])) {
        // \\.\ names a device, anything else a server.
        return !(rest.size() >= 3 && rest[2] == '.' && (rest.size() == 3 || separator(rest[3])));
    }
    if (rest.size() >= 2 && rest[1] == ':') {
        const std::string root = std::string(rest.substr(0, 2)) + "\\";
        return ::GetDriveTypeA(root.c_str()) == DRIVE_REMOTE;
    }
    return ::GetDriveTypeA(nullptr) == DRIVE_REMOTE;
}

}  // namespace

int Win32FileSystem::LocalQueryThreads() {
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void Win32FileSystem::PlanQueries(const std::vector<std::string>& samplePaths) {
    queryThreads_ = LocalQueryThreads();
    for (const std::string& path : samplePaths) {
        if (IsOnNetworkDrive(path)) {
            queryThreads_ = kNetworkQueryThreads;
            return;
        }
    }
}

PathKind Win32FileSystem::Lookup(const std::string& path) {
    // Wildcards would match other names; no file can carry them in its name. The "\\?\"
    // prefix of a long path is no wildcard.
    const std::size_t name = path.starts_with("\\\\?\\") ? 4 : 0;
    if (path.find_first_of("*?", name) != std::string::npos) {
        return PathKind::None;
    }
    WIN32_FIND_DATAA data{};
    const HANDLE found = ::FindFirstFileA(path.c_str(), &data);
    if (found != INVALID_HANDLE_VALUE) {
        ::FindClose(found);
        return IsFolder(data.dwFileAttributes) ? PathKind::Folder : PathKind::File;
    }
    // A drive's or share's root has no entry of its own to find.
    return IsFolder(::GetFileAttributesA(path.c_str())) ? PathKind::Folder : PathKind::None;
}

ErrorCode Win32FileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
    DWORD error = 0;
    for (int attempt = 1; attempt <= kCopyTries; ++attempt) {
        error = CopyOnce(from, to, failIfExists);
        if (error != kErrorSourceChanged.Value()) {
            break;
        }
    }
    if (error != 0) {
        return Fail(error);
    }
    // An interrupted backup leaves its temporary file beside the archive, an interrupted
    // restore beside the source.
    win32::RemoveStaleTemps(to);
    win32::RemoveStaleTemps(from);
    return kNoError;
}

// One attempt: a Windows error code or kErrorSourceChanged's number.
DWORD Win32FileSystem::CopyOnce(const std::string& from, const std::string& to, bool failIfExists) {
    UniqueHandle in;
    BY_HANDLE_FILE_INFORMATION before{};
    if (const DWORD error = OpenHandleForReading(from, in, before); error != 0) {
        return error;
    }
    if (const DWORD error = CheckDestination(to, failIfExists); error != 0) {
        return error;
    }
    TempFile temp;
    if (const DWORD error = win32::CreateTempBeside(to, temp.file, temp.path); error != 0) {
        return error;
    }
    if (const DWORD error = CopyData(in.Get(), temp.file.Get()); error != 0) {
        return error;
    }
    if (afterDataCopy_) {
        afterDataCopy_(from);
    }
    BY_HANDLE_FILE_INFORMATION after{};
    if (!::GetFileInformationByHandle(in.Get(), &after)) {
        return ::GetLastError();
    }
    if (!SameVersion(before, after)) {
        return kErrorSourceChanged.Value();  // the temporary file goes with `temp`
    }
    // The last-write time of the look after the data, which vouches for the bytes copied, so
    // that the archive never claims a newer version than it holds; the access time of the look
    // before, since reading the source may have advanced it.
    if (const DWORD error =
            win32::CopyTimes(temp.file.Get(), before.ftLastAccessTime, after.ftLastWriteTime);
        error != 0) {
        return error;
    }
    // The data reaches the disk before the move that replaces the old file (which writes
    // through), so that after a power cut the destination is the old or the new complete file.
    if (!::FlushFileBuffers(temp.file.Get())) {
        return ::GetLastError();
    }
    if (const DWORD error = temp.file.Close(); error != 0) {
        return error;
    }
    const DWORD attributes = after.dwFileAttributes & kCopiedAttributes;
    if (attributes != 0 && !::SetFileAttributesA(temp.path.c_str(), attributes)) {
        return ::GetLastError();
    }
    if (DWORD error = win32::MoveInto(temp.path, to, failIfExists); error != 0) {
        // Another program created the destination since the check: CopyFileA's code.
        return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
    }
    temp.Keep();
    return 0;
}

ErrorCode Win32FileSystem::Remove(const std::string& path) {
    return ::DeleteFileA(path.c_str()) ? kNoError : Fail(::GetLastError());
}

ErrorCode Win32FileSystem::CreateEmpty(const std::string& path) {
    UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        return Fail(::GetLastError());
    }
    const DWORD error = file.Close();
    return error == 0 ? kNoError : Fail(error);
}

ErrorCode Win32FileSystem::ReadAll(const std::string& path, std::string& bytes) {
    bytes.clear();
    UniqueHandle file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (const DWORD error = OpenHandleForReading(path, file, info); error != 0) {
        return Fail(error);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.nFileSizeLow));
    std::string buffer(65536, '\0');
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr)) {
            return Fail(::GetLastError());
        }
        if (read == 0) {
            break;
        }
        content.append(buffer.data(), read);
    }
    bytes = std::move(content);
    return kNoError;
}

ErrorCode Win32FileSystem::WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) {
    // A read-only manager is not saved over, whoever runs the program.
    const DWORD old = ::GetFileAttributesA(path.c_str());
    if (IsFolder(old) || (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY) != 0)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    TempFile temp;
    if (const DWORD error = win32::CreateTempBeside(path, temp.file, temp.path); error != 0) {
        return Fail(error);
    }
    std::string chunk;
    for (bool more = true; more;) {
        chunk.clear();
        more = source(chunk);
        if (const DWORD error = WriteAll(temp.file.Get(), chunk); error != 0) {
            return Fail(error);
        }
    }
    if (!::FlushFileBuffers(temp.file.Get())) {
        return Fail(::GetLastError());
    }
    if (const DWORD error = temp.file.Close(); error != 0) {
        return Fail(error);
    }
    if (const DWORD error = win32::MoveInto(temp.path, path, false); error != 0) {
        return Fail(error);
    }
    temp.Keep();
    win32::RemoveStaleTemps(path);
    return kNoError;
}

bool Win32FileSystem::IsSameFile(const std::string& a, const std::string& b) {
    const UniqueHandle first = OpenForQuery(a);
    const UniqueHandle second = OpenForQuery(b);
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION two{};
    return first.Valid() && second.Valid() && ::GetFileInformationByHandle(first.Get(), &one) &&
           ::GetFileInformationByHandle(second.Get(), &two) &&
           one.dwVolumeSerialNumber == two.dwVolumeSerialNumber &&
           one.nFileIndexHigh == two.nFileIndexHigh && one.nFileIndexLow == two.nFileIndexLow;
}

// The ANSI calls' classic limit, as the names the program builds go to them unchanged.
std::size_t Win32FileSystem::PathLimitBytes() const {
    return MAX_PATH;
}

ErrorCode Win32FileSystem::PathTooLongError() const {
    return ErrorCode(ERROR_FILENAME_EXCED_RANGE);
}

}  // namespace bh
