#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

namespace bh::posix {

// Owns a file descriptor and closes it once.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset();
    // Closes now and reports close's errno (0 on success); a network file system may
    // report a failed write only here.
    int Close();

  private:
    int fd_ = -1;
};

// A temporary file in a held folder that is removed unless it was renamed into place (Keep).
// Several temporary files in one folder may share the folder's descriptor.
class TempFile {
  public:
    TempFile() = default;
    ~TempFile() { Discard(); }
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Keep() { name.clear(); }

    UniqueFd fd;
    std::shared_ptr<const UniqueFd> folder;
    std::string name;  // in `folder`

  private:
    void Discard();
};

// The folder part of a path as the system sees it: up to and including the last '/';
// empty for a bare name (the current folder).
std::string SystemFolderOf(const std::string& path);

// A temporary file for `target` in the held `folder`, named "." + target + random + ".tmp",
// created exclusively (never through a link planted at its name), write-only, with `mode`.
// Returns errno (0 on success).
int CreateTempIn(int folder, const std::string& target, unsigned mode, UniqueFd& fd,
                 std::string& name);

// The process's file creation mask, read without changing it (other threads may be creating
// files); 077 when the system does not tell, so that a file is never made more open than meant.
unsigned CurrentUmask();

// Removes temporary files that an interrupted copy or save to `target` left beside it:
// regular files named exactly as CreateTempBeside names them for this target. Called after
// a copy or save to `target` succeeded; errors are ignored. Names too long to appear whole in
// a temporary name are left alone, since their temporary names could belong to another file.
// The folder is listed once and again only after as many successful copies into it as it had
// entries, so that a backup of many files into one folder stays linear; a leftover that
// appears in between is removed after a later listing.
void RemoveStaleTemps(const std::string& target);

// Copies every byte of `in` to `out` from offset 0: copy_file_range, then sendfile, then
// read and write, whichever the file systems support. With startWriteBack the system is asked
// to start writing `out` to the disk every few MiB as the data arrives (sync_file_range, where
// supported), so that a flush at the end has little left to do; it promises nothing about
// durability by itself. `expectedSize` (the source's size when it was opened, or -1 when not
// known) spares a look at the source to tell its end. Returns errno (0 on success).
int CopyData(int in, int out, bool startWriteBack = false, off_t expectedSize = -1);

// Writes all of `bytes` to `fd`. Returns errno (0 on success).
int WriteAll(int fd, const std::string& bytes);

// Gives `fd` the access and last-write times of `source`. When its file system keeps
// coarser times and rounded the last-write time down, sets the nearest kept time that is
// not earlier. `device` (may be null) receives the file system the file is on, from the same
// look that checks the time. Returns errno (0 on success).
int CopyTimes(int fd, const struct stat& source, dev_t* device = nullptr);

// Renames `from` to `to`, both in the held `folder`; with noReplace an existing `to` fails
// with EEXIST and is never replaced. Returns errno (0 on success).
int RenameInto(int folder, const std::string& from, const std::string& to, bool noReplace);

// The same between two held folders (of one file system).
int RenameBetween(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                  bool noReplace);

// Flushes a held folder's entries (after a rename into it); errors are not reported, the
// rename itself has already succeeded.
void SyncFolder(int folder);

}  // namespace bh::posix
