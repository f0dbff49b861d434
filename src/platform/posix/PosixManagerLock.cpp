#include "platform/posix/PosixManagerLock.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

namespace bh {

namespace {

// The real path of a manager that may not exist yet: its folder resolved, its name kept.
std::string RealManagerPath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string real(resolved);
        ::free(resolved);
        return real;
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (char* resolved = ::realpath(folder.c_str(), nullptr)) {
        std::string real(resolved);
        ::free(resolved);
        return (real == "/" ? real : real + "/") + name;
    }
    return path;
}

// A folder only this user can enter: owned by us, a real folder (not a link), mode 0700.
bool IsPrivateFolder(const std::string& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

}  // namespace

PosixManagerLock::~PosixManagerLock() {
    DropAll();
}

namespace {

// A folder the system made for this user alone: a real folder owned by us that no one else
// may write (a runtime variable pointing at /tmp would otherwise put locks where others plant).
bool IsOwnFolder(const std::string& folder) {
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 022) == 0;
}

}  // namespace

std::string PosixManagerLock::ChooseLockFolder(const char* runtimeDir,
                                               const std::string& sessionFolder,
                                               const std::string& fallback, ErrorCode& error) {
    error = kNoError;
    if (runtimeDir != nullptr && runtimeDir[0] == '/') {
        if (IsOwnFolder(runtimeDir)) {
            return std::string(runtimeDir) + "/";
        }
    } else if (IsOwnFolder(sessionFolder)) {
        return sessionFolder + "/";
    }
    if (::mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) {
        error = ErrorCode(static_cast<std::uint32_t>(errno));
        return {};
    }
    if (!IsPrivateFolder(fallback)) {
        // Someone else made it, or made it open to others: never trust it.
        error = ErrorCode(EACCES);
        return {};
    }
    return fallback + "/";
}

ErrorCode PosixManagerLock::LockFileFor(const std::string& managerPath, std::string& lockFile) {
    const std::string uid = std::to_string(::geteuid());
    // A private folder: lock files in a shared one could be planted or removed by others.
    ErrorCode error;
    const std::string folder = ChooseLockFolder(::getenv("XDG_RUNTIME_DIR"), "/run/user/" + uid,
                                                "/tmp/brackenhold-locks-" + uid, error);
    if (error) {
        return error;
    }
    lockFile = folder + LockFileName("brackenhold-", RealManagerPath(managerPath));
    return kNoError;
}

PosixManagerLock::Acquired PosixManagerLock::TakeFileLock(const std::string& lockFile,
                                                          std::intptr_t& handle, ErrorCode& error) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = ErrorCode(static_cast<std::uint32_t>(errno));
        return Acquired::Unavailable;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool busy = errno == EWOULDBLOCK;
        error = ErrorCode(static_cast<std::uint32_t>(errno));
        ::close(fd);
        return busy ? Acquired::Busy : Acquired::Unavailable;
    }
    handle = fd;
    return Acquired::Locked;
}

// Closing the descriptor releases the lock; the file stays so that no other program can lock
// a file that is about to be unlinked.
void PosixManagerLock::DropFileLock(std::intptr_t handle) {
    ::close(static_cast<int>(handle));
}

}  // namespace bh
