#include "platform/posix/PosixFileOps.h"

#include "platform/posix/TrustedPath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bh::posix {

namespace {

#ifndef RENAME_NOREPLACE
constexpr unsigned RENAME_NOREPLACE = 1;
#endif

constexpr std::size_t kChunk = 1 << 20;
constexpr off_t kWriteBackWindow = 8 << 20;
constexpr std::size_t kMaxNameInTemp = 200;  // keeps the temporary name within NAME_MAX
constexpr int kTempAttempts = 100;
constexpr std::int64_t kNsPerSecond = 1000000000;

bool Unsupported(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == ENOTSUP || error == EBADF || error == EPERM;
}

// Starts the write-out of each complete window of data as soon as it is written, and waits for
// the window before it, so that the disk works while the copy goes on, the dirty data of one
// copy stays within two windows (the system does not throttle the copy as a whole) and the flush
// before the rename finds little left.
class WriteBack {
  public:
    WriteBack(int fd, bool enabled) : fd_(fd), enabled_(enabled) {}

    // Data up to `offset` has been written.
    void Written(off_t offset) {
        while (enabled_ && offset - started_ >= kWriteBackWindow) {
            if (::sync_file_range(fd_, started_, kWriteBackWindow, SYNC_FILE_RANGE_WRITE) != 0) {
                // Not supported here (some file systems, some kernels): the final flush does
                // all of it.
                enabled_ = false;
                return;
            }
            if (started_ > 0) {
                // Errors surface at the final flush, which does what is left.
                static_cast<void>(
                    ::sync_file_range(fd_, started_ - kWriteBackWindow, kWriteBackWindow,
                                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                          SYNC_FILE_RANGE_WAIT_AFTER));
            }
            started_ += kWriteBackWindow;
        }
    }

  private:
    int fd_;
    bool enabled_;
    off_t started_ = 0;
};

// Each copier moves bytes from `offset` on, advancing it; 1 = done, 0 = unsupported here
// (try the next one), -1 = failed with errno.
int ByCopyFileRange(int in, int out, off_t& offset, off_t expectedSize, WriteBack& writeBack) {
    for (;;) {
        off_t inOffset = offset;
        off_t outOffset = offset;
        const ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, kChunk, 0);
        if (n > 0) {
            offset += n;
            writeBack.Written(offset);
            if (expectedSize >= 0 && offset >= expectedSize) {
                // The end as the source was opened; one that grew since is caught by the
                // caller's look after the copy.
                return 1;
            }
            continue;
        }
        if (n == 0) {
            // Some file systems answer 0 instead of an error; only trust it at the end. A
            // source that grew meanwhile is caught by the caller's look after the copy.
            if (expectedSize < 0) {
                struct stat st {};
                expectedSize = ::fstat(in, &st) == 0 ? st.st_size : offset + 1;
            }
            return offset >= expectedSize ? 1 : 0;
        }
        if (errno == EINTR) {
            continue;
        }
        return Unsupported(errno) ? 0 : -1;
    }
}

int BySendfile(int in, int out, off_t& offset, WriteBack& writeBack) {
    if (::lseek(out, offset, SEEK_SET) < 0) {
        return -1;
    }
    for (;;) {
        off_t inOffset = offset;
        const ssize_t n = ::sendfile(out, in, &inOffset, kChunk);
        if (n > 0) {
            offset += n;
            writeBack.Written(offset);
            continue;
        }
        if (n == 0) {
            return 1;
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EINVAL || errno == ENOSYS) ? 0 : -1;
    }
}

int ByReadWrite(int in, int out, off_t& offset, WriteBack& writeBack) {
    std::string buffer(kChunk, '\0');
    for (;;) {
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            return 1;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + done, n - done, offset + done);
            if (w < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return -1;
            }
            done += w;
        }
        offset += n;
        writeBack.Written(offset);
    }
}

std::string RandomSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17];
    std::snprintf(text, sizeof text, "%012llx",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    return text;
}

std::int64_t Ns(const timespec& t) {
    return t.tv_sec * kNsPerSecond + t.tv_nsec;
}

timespec FromNs(std::int64_t ns) {
    std::int64_t seconds = ns / kNsPerSecond;
    std::int64_t rest = ns % kNsPerSecond;
    if (rest < 0) {
        rest += kNsPerSecond;
        --seconds;
    }
    return timespec{static_cast<time_t>(seconds), static_cast<long>(rest)};
}

// The first multiple of `step` at or after `ns`.
std::int64_t CeilTo(std::int64_t ns, std::int64_t step) {
    std::int64_t rest = ns % step;
    if (rest < 0) {
        rest += step;
    }
    return rest == 0 ? ns : ns - rest + step;
}

int KeptLastWrite(int fd, std::int64_t& ns, dev_t& device) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return errno;
    }
    ns = Ns(st.st_mtim);
    device = st.st_dev;
    return 0;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Reset();
        fd_ = other.Release();
    }
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

int UniqueFd::Close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 || errno == EINTR ? 0 : errno;
}

TempFile::TempFile(TempFile&& other) noexcept
    : fd(std::move(other.fd)),
      folder(std::move(other.folder)),
      name(std::exchange(other.name, std::string())) {}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        Discard();
        fd = std::move(other.fd);
        folder = std::move(other.folder);
        name = std::exchange(other.name, std::string());
    }
    return *this;
}

void TempFile::Discard() {
    fd.Reset();
    if (!name.empty() && folder) {
        // Best effort: a temporary file that stays is removed after a later successful copy
        // to the same target (RemoveStaleTemps).
        static_cast<void>(::unlinkat(folder->Get(), name.c_str(), 0));
    }
    name.clear();
}

std::string SystemFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int CreateTempIn(int folder, const std::string& target, unsigned mode, UniqueFd& fd,
                 std::string& name) {
    const std::string kept = target.substr(0, kMaxNameInTemp);
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        name = "." + kept + "." + RandomSuffix() + ".tmp";
        const int opened = ::openat(folder, name.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (opened >= 0) {
            fd = UniqueFd(opened);
            return 0;
        }
        if (errno != EEXIST) {
            const int error = errno;
            name.clear();
            return error;
        }
    }
    name.clear();
    return EEXIST;
}

unsigned CurrentUmask() {
    constexpr unsigned kUnknown = 077;
    std::FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) {
        return kUnknown;
    }
    unsigned mask = kUnknown;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = value & 0777;
            break;
        }
    }
    std::fclose(status);
    return mask;
}

namespace {

// "." + name + "." + 12 lowercase hexadecimal digits + ".tmp", as CreateTempIn names them.
bool IsTempNameOf(const std::string& entry, const std::string& name) {
    constexpr std::size_t kSuffix = 12;
    const std::string tail = ".tmp";
    if (entry.size() != 1 + name.size() + 1 + kSuffix + tail.size() || entry[0] != '.' ||
        entry.compare(1, name.size(), name) != 0 || entry[1 + name.size()] != '.' ||
        entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    for (std::size_t i = 2 + name.size(); i < 2 + name.size() + kSuffix; ++i) {
        const char c = entry[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

namespace {

// What one listing of a folder found: the leftover temporary files per target name, and how
// many more successful copies into the folder rely on it before the folder is listed again.
struct FolderLeftovers {
    std::unordered_map<std::string, std::vector<std::string>> byTarget;
    std::size_t usesLeft = 0;
};

std::mutex leftoversMutex;

std::unordered_map<std::string, FolderLeftovers>& LeftoversByFolder() {
    static std::unordered_map<std::string, FolderLeftovers> byFolder;
    return byFolder;
}

// The target name a temporary name was made for, or empty when it is not one.
std::string TargetOfTempName(const std::string& entry) {
    constexpr std::size_t kFixed = 1 + 1 + 12 + 4;  // ".", ".", the digits, ".tmp"
    if (entry.size() <= kFixed) {
        return std::string();
    }
    std::string name = entry.substr(1, entry.size() - kFixed);
    return IsTempNameOf(entry, name) ? name : std::string();
}

// Lists the folder once. It is listed again after as many copies as it had entries, so a
// backup into a folder of n archives reads it a constant number of times per copy on
// average instead of n entries per copy.
FolderLeftovers ListLeftovers(const std::string& target) {
    FolderLeftovers found;
    found.usesLeft = 1;
    HeldEntry held;
    if (HoldEntry(target, FinalLink::Keep, held) != kNoError) {
        return found;
    }
    DIR* dir = ::fdopendir(held.folder.Get());
    if (dir == nullptr) {
        return found;
    }
    held.folder.Release();  // the listing owns it now
    std::size_t entries = 0;
    while (const dirent* entry = ::readdir(dir)) {
        ++entries;
        std::string target = TargetOfTempName(entry->d_name);
        if (!target.empty() && target.size() <= kMaxNameInTemp) {
            found.byTarget[target].push_back(entry->d_name);
        }
    }
    ::closedir(dir);
    found.usesLeft = std::max<std::size_t>(entries, 1);
    return found;
}

}  // namespace

void RemoveStaleTemps(const std::string& target) {
    const std::string folder = SystemFolderOf(target);
    const std::string name = target.substr(folder.size());
    if (name.empty() || name.size() > kMaxNameInTemp) {
        return;
    }
    std::vector<std::string> leftovers;
    {
        std::lock_guard<std::mutex> lock(leftoversMutex);
        auto& byFolder = LeftoversByFolder();
        auto known = byFolder.find(folder);
        if (known == byFolder.end() || known->second.usesLeft == 0) {
            known = byFolder.insert_or_assign(folder, ListLeftovers(target)).first;
        }
        --known->second.usesLeft;
        const auto mine = known->second.byTarget.find(name);
        if (mine == known->second.byTarget.end()) {
            return;
        }
        leftovers = std::move(mine->second);
        known->second.byTarget.erase(mine);
    }
    // Removed from the folder as walked now: a folder swapped since the listing for a link
    // another user made is never entered.
    HeldEntry held;
    if (HoldEntry(target, FinalLink::Keep, held) != kNoError) {
        return;
    }
    for (const std::string& leftover : leftovers) {
        struct stat st {};
        if (::fstatat(held.folder.Get(), leftover.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode)) {
            // Best effort, as documented: a leftover that stays goes after a later listing.
            static_cast<void>(::unlinkat(held.folder.Get(), leftover.c_str(), 0));
        }
    }
}

int CopyData(int in, int out, bool startWriteBack, off_t expectedSize) {
    off_t offset = 0;
    WriteBack writeBack(out, startWriteBack);
    int state = ByCopyFileRange(in, out, offset, expectedSize, writeBack);
    if (state == 0) {
        state = BySendfile(in, out, offset, writeBack);
    }
    if (state == 0) {
        state = ByReadWrite(in, out, offset, writeBack);
    }
    return state == 1 ? 0 : errno;
}

int WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int CopyTimes(int fd, const struct stat& source, dev_t* device) {
    timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(fd, times) != 0) {
        return errno;
    }
    const std::int64_t wanted = Ns(source.st_mtim);
    std::int64_t kept = 0;
    dev_t keptOn = 0;
    const int looked = KeptLastWrite(fd, kept, keptOn);
    if (device != nullptr) {
        *device = keptOn;
    }
    if (looked != 0 || kept >= wanted) {
        return looked;
    }
    // Coarser time steps, finest first, so the first one kept is the nearest.
    constexpr std::int64_t kSteps[] = {1000,      1000000,      10000000,
                                       100000000, kNsPerSecond, 2 * kNsPerSecond};
    for (const std::int64_t step : kSteps) {
        times[1] = FromNs(CeilTo(wanted, step));
        if (::futimens(fd, times) != 0) {
            return errno;
        }
        if (const int error = KeptLastWrite(fd, kept, keptOn); error != 0 || kept >= wanted) {
            return error;
        }
    }
    return 0;
}

int RenameInto(int folder, const std::string& from, const std::string& to, bool noReplace) {
    return RenameBetween(folder, from, folder, to, noReplace);
}

int RenameBetween(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                  bool noReplace) {
    const char* const fromName = from.c_str();
    const char* const toName = to.c_str();
    if (!noReplace) {
        return ::renameat(fromFolder, fromName, toFolder, toName) == 0 ? 0 : errno;
    }
    if (::syscall(SYS_renameat2, fromFolder, fromName, toFolder, toName, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // The file system cannot rename without replacing; a hard link cannot replace either.
    if (::linkat(fromFolder, fromName, toFolder, toName, 0) == 0) {
        // The file is in place; a temporary name that stays is a leftover RemoveStaleTemps
        // removes after a later copy.
        static_cast<void>(::unlinkat(fromFolder, fromName, 0));
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) {
        return errno;
    }
    // Neither is supported (as on FAT): check, then rename, the best this file system allows.
    struct stat st {};
    if (::fstatat(toFolder, toName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return EEXIST;
    }
    return ::renameat(fromFolder, fromName, toFolder, toName) == 0 ? 0 : errno;
}

void SyncFolder(int folder) {
    // Errors are not reported (see the declaration); a folder held without read access
    // cannot be flushed.
    static_cast<void>(::fsync(folder));
}

}  // namespace bh::posix
