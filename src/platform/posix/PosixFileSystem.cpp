#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "platform/posix/CopyWorkers.h"
#include "platform/posix/PosixFileOps.h"
#include "platform/posix/TrustedPath.h"

namespace bh {

using posix::FinalLink;
using posix::HeldEntry;
using posix::TempFile;
using posix::UniqueFd;
using Destination = PosixFileSystem::Destination;

namespace {

// A copy whose source keeps changing is given up after this many attempts in all.
constexpr int kCopyTries = 3;

// Sources up to this size share the flushes of a batch; a larger one's data costs more to
// write than a flush of its own.
constexpr off_t kBatchedCopyBytes = 1 << 20;

// Flushes every file system that one of the descriptors is on, each once; false when the
// system cannot (syncfs reports write errors only on newer kernels, and a file system may
// not support it), in which case the caller flushes file by file.
bool SyncFileSystems(const std::vector<int>& fds) {
    std::vector<dev_t> done;
    for (const int fd : fds) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            return false;
        }
        if (std::find(done.begin(), done.end(), st.st_dev) != done.end()) {
            continue;
        }
        if (::syncfs(fd) != 0) {
            return false;
        }
        done.push_back(st.st_dev);
    }
    return true;
}

ErrorCode Fail(ErrorCode code) {
    return code;
}

ErrorCode Fail(int error) {
    return ErrorCode(static_cast<std::uint32_t>(error));
}

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether the source is still the version whose reading began. Size and last-write time are
// what a writer changes; the change time also catches a writer that puts the old last-write
// time back (as tools that keep times do), and on kernels with fine-grained time stamps it
// changes for a write even within one clock tick of the first look. A change of mode or
// links during the copy also counts: it costs one more attempt, never a wrong copy.
bool SameVersion(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && SameTime(before.st_mtim, after.st_mtim) &&
           SameTime(before.st_ctim, after.st_ctim);
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

// Opens a source without blocking on a FIFO or device, then insists on a regular file. The
// path is walked (see HoldEntry); O_NOFOLLOW, since a link put at the name after the walk
// looked at it was not checked.
ErrorCode OpenRegularForReading(const std::string& path, UniqueFd& fd, struct stat& st) {
    HeldEntry source;
    if (const ErrorCode code = posix::HoldEntry(path, FinalLink::Follow, source); code) {
        return code;
    }
    fd = UniqueFd(::openat(source.folder.Get(), source.name.c_str(),
                           O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
    if (!fd.Valid()) {
        return Fail(errno);
    }
    if (::fstat(fd.Get(), &st) != 0) {
        return Fail(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return Fail(EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        return Fail(EINVAL);
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    return kNoError;
}

// The path of the file a save replaced, for the removal of its leftovers: through a link the
// file it leads to. That removal walks the path again, so a change meanwhile does no harm.
std::string SavedFilePath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        return path;
    }
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
    return resolved ? std::string(resolved.get()) : path;
}

// Walks the folder of a copy's destination and holds it.
ErrorCode HoldDestination(const std::string& to, Destination& out) {
    HeldEntry held;
    if (const ErrorCode code = posix::HoldEntry(to, FinalLink::Keep, held); code) {
        return code;
    }
    out.folder = std::make_shared<const UniqueFd>(std::move(held.folder));
    out.name = std::move(held.name);
    return kNoError;
}

// The destination folders of one batch, each walked once and shared by the copies into it, so
// that a batch holds one descriptor per folder rather than per copy.
class DestinationFolders {
  public:
    ErrorCode Hold(const std::string& to, Destination& out) {
        const std::string folder = posix::SystemFolderOf(to);
        const std::string name = to.substr(folder.size());
        if (name.empty() || name == "." || name == "..") {
            return HoldDestination(to, out);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        auto known = held_.find(folder);
        if (known == held_.end()) {
            Destination first;
            if (const ErrorCode code = HoldDestination(to, first); code) {
                return code;
            }
            known = held_.emplace(folder, first.folder).first;
        }
        out.folder = known->second;
        out.name = name;
        return kNoError;
    }

  private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const UniqueFd>> held_;
};

// Flushes the entries of every folder: once per file system where it can, else folder by folder.
void SyncFolders(const std::vector<int>& folders) {
    if (!SyncFileSystems(folders)) {
        for (const int folder : folders) {
            posix::SyncFolder(folder);
        }
    }
}

// An interrupted backup leaves its temporary file beside the archive, an interrupted restore
// beside the source: a successful copy removes both.
void RemoveLeftoversOfCopy(const std::string& from, const std::string& to) {
    posix::RemoveStaleTemps(to);
    posix::RemoveStaleTemps(from);
}

// Flushes each file system that waiting copies of a batch are on, once, through the folder of
// one of them; false when the system cannot (see SyncFileSystems).
bool SyncFileSystemsOf(const std::vector<PosixFileSystem::BatchedCopy>& copies) {
    std::vector<dev_t> done;
    for (const PosixFileSystem::BatchedCopy& copy : copies) {
        if (!copy.waiting || std::find(done.begin(), done.end(), copy.file.device) != done.end()) {
            continue;
        }
        if (::syncfs(copy.temp.folder->Get()) != 0) {
            return false;
        }
        done.push_back(copy.file.device);
    }
    return true;
}

// Flushes a written and closed file through a new descriptor (fsync needs no write access).
ErrorCode FlushClosedFile(const TempFile& temp) {
    const UniqueFd fd(::openat(temp.folder->Get(), temp.name.c_str(),
                               O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW));
    if (!fd.Valid() || ::fsync(fd.Get()) != 0) {
        return static_cast<ErrorCode>(errno);
    }
    return kNoError;
}

}  // namespace

// The status of an entry must not come from a file another user's link leads to (an archive
// swapped for a link to some newer file would pass as up to date). Only the last component is
// looked at here, at the cost of no extra call in the usual case; the copy walks the whole path.
ErrorCode PosixFileSystem::GetAttributes(const std::string& path, FileAttributes& out) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Fail(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        if (!posix::IsTrustedLinkOwner(st.st_uid)) {
            return kErrorForeignLink;
        }
        if (::stat(path.c_str(), &st) != 0) {
            return Fail(errno);
        }
    }
    out.size = static_cast<std::uint64_t>(st.st_size);
    out.lastWriteSeconds = TruncatedSeconds(st.st_mtim);
    out.lastWriteFine =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out.device = static_cast<std::uint64_t>(st.st_dev);
    out.inode = static_cast<std::uint64_t>(st.st_ino);
    return kNoError;
}

void PosixFileSystem::PlanQueries(const std::vector<std::string>& samplePaths) {
    queryThreads_ = posix::QueryThreadsFor(samplePaths);
}

PathKind PosixFileSystem::Lookup(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return PathKind::None;
    }
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

ErrorCode PosixFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
    if (const ErrorCode code = CopyAlone(from, to, failIfExists); code != kNoError) {
        return Fail(code);
    }
    RemoveLeftoversOfCopy(from, to);
    return kNoError;
}

// One attempt up to the flush: the source's data, mode and times in a temporary file beside
// the destination, checked to be one version of the source. errno or kErrorSourceChanged;
// on failure the temporary file goes with `temp`. The temporary file is only the user's to
// read until it is complete (0600), whatever the folder.
ErrorCode PosixFileSystem::PrepareCopy(const std::string& from, const Destination& to,
                                       bool failIfExists, TempFile& temp, PreparedFile& file) {
    const auto error = [](int number) { return static_cast<ErrorCode>(number); };
    UniqueFd in;
    struct stat before {};
    if (const ErrorCode code = OpenRegularForReading(from, in, before); code) {
        return code;
    }
    const int folder = to.folder->Get();
    struct stat existing {};
    if (::fstatat(folder, to.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            return error(EISDIR);
        }
        if (failIfExists) {
            return error(EEXIST);
        }
        // A device, FIFO or socket at the destination is not an archive: never replace it.
        if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
            return error(EINVAL);
        }
    }
    temp.folder = to.folder;
    if (const int e = posix::CreateTempIn(folder, to.name, 0600, temp.fd, temp.name); e != 0) {
        return error(e);
    }
    if (const int e =
            posix::CopyData(in.Get(), temp.fd.Get(), copyFlush_ == CopyFlush::Full, before.st_size);
        e != 0) {
        return error(e);
    }
    if (afterDataCopy_) {
        afterDataCopy_(from);
    }
    struct stat after {};
    if (::fstat(in.Get(), &after) != 0) {
        return error(errno);
    }
    if (!SameVersion(before, after)) {
        return kErrorSourceChanged;
    }
    if (::fchmod(temp.fd.Get(), after.st_mode & 07777) != 0) {
        return error(errno);
    }
    // The last-write time of the look after the data, which vouches for the bytes copied, so
    // that the archive never claims a newer version than it holds; the access time of the look
    // before, since reading the source may have advanced it.
    struct stat times = after;
    times.st_atim = before.st_atim;
    if (const int e = posix::CopyTimes(temp.fd.Get(), times, &file.device); e != 0) {
        return error(e);
    }
    file.size = after.st_size;
    return kNoError;
}

// PrepareCopy, retried while the source keeps changing.
ErrorCode PosixFileSystem::PrepareConsistentCopy(const std::string& from, const Destination& to,
                                                 bool failIfExists, TempFile& temp,
                                                 PreparedFile& file) {
    ErrorCode code = kNoError;
    for (int attempt = 1; attempt <= kCopyTries; ++attempt) {
        TempFile attemptFile;
        code = PrepareCopy(from, to, failIfExists, attemptFile, file);
        if (code == kNoError) {
            temp = std::move(attemptFile);
        }
        if (code != kErrorSourceChanged) {
            break;
        }
    }
    return code;
}

// Closes a prepared temporary file and renames it over the destination.
ErrorCode PosixFileSystem::Publish(TempFile& temp, const Destination& to, bool failIfExists) {
    if (const int e = temp.fd.Close(); e != 0) {
        return static_cast<ErrorCode>(e);
    }
    // Within the held folder: one swapped for a link meanwhile does not move the copy elsewhere.
    if (const int e = posix::RenameInto(to.folder->Get(), temp.name, to.name, failIfExists);
        e != 0) {
        return static_cast<ErrorCode>(e);
    }
    temp.Keep();
    return kNoError;
}

// One copy with a flush of its own: the file before the rename, its folder after.
ErrorCode PosixFileSystem::CopyAlone(const std::string& from, const std::string& to,
                                     bool failIfExists) {
    Destination destination;
    if (const ErrorCode code = HoldDestination(to, destination); code) {
        return code;
    }
    TempFile temp;
    PreparedFile file;
    if (const ErrorCode code = PrepareConsistentCopy(from, destination, failIfExists, temp, file);
        code != kNoError) {
        return code;
    }
    return FlushAndPublish(temp, destination, failIfExists);
}

ErrorCode PosixFileSystem::FlushAndPublish(TempFile& temp, const Destination& to,
                                           bool failIfExists) {
    const bool flush = copyFlush_ != CopyFlush::None;
    // fsync rather than fdatasync: the file is new, so its size and blocks must be recorded
    // anyway, and this way its mode and times (which the next backup compares) are as well.
    if (flush && ::fsync(temp.fd.Get()) != 0) {
        return static_cast<ErrorCode>(errno);
    }
    if (const ErrorCode code = Publish(temp, to, failIfExists); code != kNoError) {
        return code;
    }
    if (flush) {
        posix::SyncFolder(to.folder->Get());
    }
    return kNoError;
}

// One copy of a batch up to its flush, on a worker: a small one is written and closed and waits
// for the batch's flush; a large one is flushed and published on its own.
ErrorCode PosixFileSystem::PrepareBatchedCopy(const std::string& from, const Destination& to,
                                              BatchedCopy& copy) {
    const ErrorCode code = PrepareConsistentCopy(from, to, false, copy.temp, copy.file);
    if (code != kNoError) {
        return code;
    }
    if (copy.file.size > kBatchedCopyBytes) {
        return FlushAndPublish(copy.temp, to, false);
    }
    // Closed now, so that a batch of any size holds no more descriptors than it has workers;
    // the batch's flush reaches the data through the file system.
    if (const int e = copy.temp.fd.Close(); e != 0) {
        return static_cast<ErrorCode>(e);
    }
    copy.waiting = true;
    return kNoError;
}

std::vector<ErrorCode> PosixFileSystem::CopyBatch(const std::vector<CopyRequest>& requests) {
    if (copyFlush_ == CopyFlush::None || requests.size() < 2) {
        return FileSystem::CopyBatch(requests);
    }
    std::vector<ErrorCode> results(requests.size(), kNoError);
    std::vector<BatchedCopy> copies(requests.size());
    std::vector<Destination> destinations(requests.size());
    DestinationFolders folders;
    posix::ForEachOnThreads(requests.size(), posix::CopyWorkerCount(), [&](std::size_t i) {
        results[i] = folders.Hold(*requests[i].to, destinations[i]);
        if (results[i] == kNoError) {
            results[i] = PrepareBatchedCopy(*requests[i].from, destinations[i], copies[i]);
        }
    });
    // Every file's data on the disk before any of them replaces its destination.
    const bool synced = SyncFileSystemsOf(copies);
    std::vector<int> folderFds;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (!copies[i].waiting) {
            continue;
        }
        if (!synced) {
            results[i] = FlushClosedFile(copies[i].temp);
        }
        if (results[i] == kNoError) {
            results[i] = Publish(copies[i].temp, destinations[i], false);
        }
        const int folder = destinations[i].folder->Get();
        if (results[i] == kNoError &&
            std::find(folderFds.begin(), folderFds.end(), folder) == folderFds.end()) {
            folderFds.push_back(folder);
        }
    }
    // The renamed entries of every folder on the disk before the copies count as made.
    SyncFolders(folderFds);
    for (std::size_t i = 0; i < requests.size(); ++i) {
        if (results[i] == kNoError) {
            RemoveLeftoversOfCopy(*requests[i].from, *requests[i].to);
        }
    }
    return results;
}

ErrorCode PosixFileSystem::Remove(const std::string& path) {
    HeldEntry entry;
    if (const ErrorCode code = posix::HoldEntry(path, FinalLink::Keep, entry); code) {
        return code;
    }
    return ::unlinkat(entry.folder.Get(), entry.name.c_str(), 0) == 0 ? kNoError : Fail(errno);
}

ErrorCode PosixFileSystem::CreateEmpty(const std::string& path) {
    // O_NOFOLLOW: a link planted at the name would have the truncation land on its target.
    HeldEntry entry;
    if (const ErrorCode code = posix::HoldEntry(path, FinalLink::Keep, entry); code) {
        return code;
    }
    UniqueFd fd(::openat(entry.folder.Get(), entry.name.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0666));
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
    if (const ErrorCode code = OpenRegularForReading(path, fd, st); code) {
        return code;
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

namespace {

// Reads parts of a file through the descriptor it was opened with.
class PosixFileReader : public FileReader {
  public:
    PosixFileReader(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

    std::uint64_t Size() const override { return size_; }

    ErrorCode ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) override {
        bytes.resize(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd_.Get(), bytes.data() + done, size - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                bytes.clear();
                return Fail(errno);
            }
            if (n == 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return kNoError;
    }

  private:
    UniqueFd fd_;
    std::uint64_t size_;
};

}  // namespace

ErrorCode PosixFileSystem::OpenForReading(const std::string& path,
                                          std::unique_ptr<FileReader>& out) {
    out.reset();
    UniqueFd fd;
    struct stat st {};
    if (const ErrorCode code = OpenRegularForReading(path, fd, st); code) {
        return code;
    }
    out = std::make_unique<PosixFileReader>(std::move(fd), static_cast<std::uint64_t>(st.st_size));
    return kNoError;
}

namespace {

// Writes every part the source gives, through one buffer.
int WriteParts(int fd, const FileSystem::ChunkSource& source) {
    std::string chunk;
    for (bool more = true; more;) {
        chunk.clear();
        more = source(chunk);
        if (const int error = posix::WriteAll(fd, chunk); error != 0) {
            return error;
        }
    }
    return 0;
}

}  // namespace

ErrorCode PosixFileSystem::WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) {
    // Through a link the user (or the system) made, the file it leads to is replaced and the
    // link kept; one another user made is not followed.
    HeldEntry entry;
    if (const ErrorCode code = posix::HoldEntry(path, FinalLink::Follow, entry); code) {
        return code;
    }
    TempFile temp;
    temp.folder = std::make_shared<const UniqueFd>(std::move(entry.folder));
    const int folder = temp.folder->Get();
    struct stat old {};
    const bool replacing = ::fstatat(folder, entry.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
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
    // Private while it is written: one who opened it meanwhile could read on after a change
    // of mode. It gets the manager's mode (a new one the mask's) once complete.
    if (const int error = posix::CreateTempIn(folder, entry.name, 0600, temp.fd, temp.name);
        error != 0) {
        return Fail(error);
    }
    if (const int error = WriteParts(temp.fd.Get(), source); error != 0) {
        return Fail(error);
    }
    const mode_t mode = replacing ? (old.st_mode & 07777) : (0666 & ~posix::CurrentUmask());
    if (::fchmod(temp.fd.Get(), mode) != 0) {
        return Fail(errno);
    }
    if (::fsync(temp.fd.Get()) != 0) {
        return Fail(errno);
    }
    if (const int error = temp.fd.Close(); error != 0) {
        return Fail(error);
    }
    if (const int error = posix::RenameInto(folder, temp.name, entry.name, false); error != 0) {
        return Fail(error);
    }
    temp.Keep();
    posix::RemoveStaleTemps(SavedFilePath(path));
    posix::SyncFolder(folder);
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
    return ErrorCode(ENAMETOOLONG);
}

}  // namespace bh
