#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "core/app/LastError.h"
#include "platform/posix/PosixFileOps.h"

namespace bh {

using posix::UniqueFd;

namespace {

ErrorCode Fail(int error) {
    const auto code = static_cast<ErrorCode>(error);
    SetLastError(code);
    return code;
}

// Whole seconds truncated toward zero; a normalised timespec keeps tv_nsec positive, so a
// time before 1970 with a fraction is one second too early in tv_sec.
std::int64_t TruncatedSeconds(const timespec& t) {
    std::int64_t seconds = t.tv_sec;
    if (seconds < 0 && t.tv_nsec > 0) {
        ++seconds;
    }
    return seconds;
}

// Opens a source without blocking on a FIFO or device, then insists on a regular file.
int OpenRegularForReading(const std::string& path, UniqueFd& fd, struct stat& st) {
    fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) {
        return errno;
    }
    if (::fstat(fd.Get(), &st) != 0) {
        return errno;
    }
    if (S_ISDIR(st.st_mode)) {
        return EISDIR;
    }
    if (!S_ISREG(st.st_mode)) {
        return EINVAL;
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    return 0;
}

// A temporary file that is removed unless it was renamed into place.
class TempFile {
  public:
    ~TempFile() {
        fd.Reset();
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
    void Keep() { path.clear(); }

    UniqueFd fd;
    std::string path;
};

int CopyIntoTemp(int in, const struct stat& source, TempFile& temp) {
    if (const int error = posix::CopyData(in, temp.fd.Get()); error != 0) {
        return error;
    }
    if (::fchmod(temp.fd.Get(), source.st_mode & 07777) != 0) {
        return errno;
    }
    if (const int error = posix::CopyTimes(temp.fd.Get(), source); error != 0) {
        return error;
    }
    return temp.fd.Close();
}

// The file a save replaces: the target of a symbolic link rather than the link itself,
// so that saving through a link keeps the link.
std::string SaveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
    return resolved ? std::string(resolved.get()) : path;
}

}  // namespace

ErrorCode PosixFileSystem::GetAttributes(const std::string& path, FileAttributes& out) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Fail(errno);
    }
    out.size = static_cast<std::uint64_t>(st.st_size);
    out.lastWriteSeconds = TruncatedSeconds(st.st_mtim);
    return kNoError;
}

PathKind PosixFileSystem::Lookup(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return PathKind::None;
    }
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

ErrorCode PosixFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
    UniqueFd in;
    struct stat source {};
    if (const int error = OpenRegularForReading(from, in, source); error != 0) {
        return Fail(error);
    }
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return Fail(EISDIR);
        }
        if (failIfExists) {
            return Fail(EEXIST);
        }
        // A device, FIFO or socket at the destination is not an archive: never replace it.
        if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
            return Fail(EINVAL);
        }
    }
    TempFile temp;
    if (const int error = posix::CreateTempBeside(to, 0600, temp.fd, temp.path); error != 0) {
        return Fail(error);
    }
    if (const int error = CopyIntoTemp(in.Get(), source, temp); error != 0) {
        return Fail(error);
    }
    if (const int error = posix::RenameInto(temp.path, to, failIfExists); error != 0) {
        return Fail(error);
    }
    temp.Keep();
    posix::RemoveStaleTemps(to);
    return kNoError;
}

ErrorCode PosixFileSystem::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? kNoError : Fail(errno);
}

ErrorCode PosixFileSystem::CreateEmpty(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    if (!fd.Valid()) {
        return Fail(errno);
    }
    const int error = fd.Close();
    return error == 0 ? kNoError : Fail(error);
}

ErrorCode PosixFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    bytes.clear();
    UniqueFd fd;
    struct stat st {};
    if (const int error = OpenRegularForReading(path, fd, st); error != 0) {
        return Fail(error);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    bytes = std::move(content);
    return kNoError;
}

ErrorCode PosixFileSystem::WriteAtomically(const std::string& path, const std::string& bytes) {
    const std::string target = SaveTarget(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        return Fail(EISDIR);
    }
    if (replacing && !S_ISREG(old.st_mode)) {
        return Fail(EINVAL);
    }
    // A manager made read-only is not replaced behind its owner's back (the rename would
    // succeed in a writable folder, and for root always).
    if (replacing && (old.st_mode & 0222) == 0) {
        return Fail(EACCES);
    }
    TempFile temp;
    if (const int error = posix::CreateTempBeside(target, 0666, temp.fd, temp.path); error != 0) {
        return Fail(error);
    }
    if (replacing && ::fchmod(temp.fd.Get(), old.st_mode & 07777) != 0) {
        return Fail(errno);
    }
    if (const int error = posix::WriteAll(temp.fd.Get(), bytes); error != 0) {
        return Fail(error);
    }
    if (::fsync(temp.fd.Get()) != 0) {
        return Fail(errno);
    }
    if (const int error = temp.fd.Close(); error != 0) {
        return Fail(error);
    }
    if (const int error = posix::RenameInto(temp.path, target, false); error != 0) {
        return Fail(error);
    }
    temp.Keep();
    posix::RemoveStaleTemps(target);
    posix::SyncFolder(posix::SystemFolderOf(target));
    return kNoError;
}

bool PosixFileSystem::IsSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::size_t PosixFileSystem::PathLimitBytes() const {
    return PATH_MAX;
}

ErrorCode PosixFileSystem::PathTooLongError() const {
    return ENAMETOOLONG;
}

}  // namespace bh
