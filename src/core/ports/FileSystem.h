#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ports/ErrorCode.h"
#include "core/ports/FileReader.h"

namespace bh {

// What an attribute query found. lastWriteSeconds is whole seconds since 1970 UTC,
// truncated toward zero (so -0.5 s is 0); size is the full 64-bit size.
struct FileAttributes {
    std::uint64_t size = 0;
    std::int64_t lastWriteSeconds = 0;
    // The last-write time in the finest unit the platform keeps (nanoseconds on POSIX, 100 ns
    // ticks on Windows), so that a write within one second is seen; 0 when it does not tell.
    std::int64_t lastWriteFine = 0;
    // Which file the path reached (device and inode on POSIX), so that two spellings of one
    // file are recognised; both 0 when the platform does not tell.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool HasIdentity() const { return device != 0 || inode != 0; }
};

enum class PathKind { None, File, Folder };

// The only way the core reaches files. Every operation that can fail returns the system
// error code (kNoError on success); the thread's last error is left alone. Paths are byte
// strings passed to the system exactly as given. FileSystemWrapper forwards every method:
// a method added here is added there too (its test counts the virtual methods).
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Size and last-write time of a path, following symbolic links. A folder is present.
    // On failure `out` is left unchanged.
    virtual ErrorCode GetAttributes(const std::string& path, FileAttributes& out) = 0;

    // How many GetAttributes calls may run at once on different threads, and pay off, for
    // the paths last passed to PlanQueries. 1 (the default) means every call must come from
    // one thread at a time, so status queries stay on the calling thread; an implementation
    // that answers from several threads says so here (a local disk gains little beyond the
    // cores, a network folder waits out round trips and gains from more).
    virtual int ConcurrentQueries() const { return 1; }

    // Told, before a run of attribute queries, a few of the paths it is about (a sample of a
    // manager's entries), so that ConcurrentQueries can answer for where they are. Called on
    // the thread that then starts the queries, never while they run.
    virtual void PlanQueries(const std::vector<std::string>& samplePaths) { (void)samplePaths; }

    // Whether something exists at the path without following a final symbolic link
    // (FindFirstFile semantics): None, File (any non-folder) or Folder. Never fails.
    virtual PathKind Lookup(const std::string& path) = 0;

    // Fail-safe copy of data, permission bits, and access and last-write times. The
    // destination is replaced only by a complete copy (written to a temporary file in the
    // destination folder, then renamed); on any failure the previous destination is
    // untouched and no temporary file remains. With failIfExists an existing destination
    // fails with EEXIST (or the platform's equivalent) and is never replaced, without a
    // race. When the destination's file system cannot hold the source's last-write time
    // exactly, the copy gets the nearest time it can hold that is not earlier.
    // The copy is consistent: when the source's size or last-write time (to the finest unit
    // the system keeps) changed while it was read, the copy is tried again a few times, and
    // when it keeps changing nothing is published and kErrorSourceChanged is returned. The
    // copy's data reaches the disk before it replaces the destination. After a successful
    // copy, temporary files that an interrupted copy left beside either path are removed.
    virtual ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;

    // Several copies that replace their destinations (Copy without failIfExists), made as
    // Copy makes each, in order, with one result per request. The only difference is when
    // the data reaches the disk: an implementation may flush the data of all the copies at
    // once before any of them replaces its destination, and the folders once after, instead
    // of a flush per copy. Every copy is complete and on the disk when this returns. A caller
    // never puts in one batch a copy that reads a file an earlier copy of the batch replaces.
    struct CopyRequest {
        const std::string* from;
        const std::string* to;
    };
    [[nodiscard]] virtual std::vector<ErrorCode> CopyBatch(
        const std::vector<CopyRequest>& requests) {
        std::vector<ErrorCode> results;
        results.reserve(requests.size());
        for (const CopyRequest& request : requests) {
            results.push_back(Copy(*request.from, *request.to, false));
        }
        return results;
    }

    // Deletes a file (never a folder).
    virtual ErrorCode Remove(const std::string& path) = 0;

    // Creates an empty file, truncating an existing one.
    virtual ErrorCode CreateEmpty(const std::string& path) = 0;

    // Reads a whole file into `bytes`. On failure `bytes` is empty.
    virtual ErrorCode ReadAll(const std::string& path, std::string& bytes) = 0;

    // Opens a file for reading in parts, with the failures of ReadAll. This default reads the
    // whole file at once; a file system that can read parts overrides it, so that a large
    // manager is read without holding all of it.
    virtual ErrorCode OpenForReading(const std::string& path, std::unique_ptr<FileReader>& out) {
        std::string bytes;
        const ErrorCode error = ReadAll(path, bytes);
        out = error ? nullptr : std::make_unique<StringFileReader>(std::move(bytes));
        return error;
    }

    // Gives WriteAtomicallyFrom a file's bytes in parts: each call appends the next part to
    // `chunk`, which comes empty but with the capacity of the part before (one buffer serves
    // the whole file), and returns whether more parts follow.
    using ChunkSource = std::function<bool(std::string& chunk)>;

    // Replaces the file at `path` with the bytes `source` gives, atomically: a temporary file
    // beside it is written part by part, flushed to the disk and renamed over it. On failure
    // the old file is as it was and no temporary file remains.
    virtual ErrorCode WriteAtomicallyFrom(const std::string& path, const ChunkSource& source) = 0;

    // The same with the whole file at hand.
    ErrorCode WriteAtomically(const std::string& path, const std::string& bytes) {
        return WriteAtomicallyFrom(path, [&bytes](std::string& chunk) {
            chunk.append(bytes);
            return false;
        });
    }

    // What ListFolder finds at a name, without following symbolic links: a link is a Link
    // whatever it points at, and Other is anything that is neither a regular file nor a
    // folder (a FIFO, socket or device).
    enum class ItemKind { File, Folder, Link, Other };
    struct FolderItem {
        std::string name;
        ItemKind kind = ItemKind::File;
    };

    // The names in a folder except "." and "..", in no particular order; `items` is replaced
    // (and left empty on failure). A path that is not a folder fails with ENOTDIR (or the
    // platform's equivalent).
    virtual ErrorCode ListFolder(const std::string& folder, std::vector<FolderItem>& items) = 0;

    // Creates a folder and every missing folder above it. A folder that exists already is
    // success; a file in the way fails.
    virtual ErrorCode CreateFolders(const std::string& path) = 0;

    // Gives a file a new name on the same volume, never replacing anything: an existing `to`
    // fails with EEXIST (or the platform's equivalent) and both files stay as they were. The
    // new name has reached the disk when this returns.
    virtual ErrorCode MoveWithoutReplacing(const std::string& from, const std::string& to) = 0;

    // Whether two paths name the same existing file (same device and inode on POSIX),
    // whatever their spelling. False when either cannot be examined.
    virtual bool IsSameFile(const std::string& a, const std::string& b) = 0;

    // The longest path the platform accepts, in bytes including the terminator, and the
    // error code it reports for a longer one. Paths the core builds (archive and copy
    // names) that would not fit are refused with that code, never cut short.
    virtual std::size_t PathLimitBytes() const = 0;
    virtual ErrorCode PathTooLongError() const = 0;
};

}  // namespace bh
