#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace bh::win32 {

// 100 ns ticks between 1601-01-01 (the FILETIME epoch) and 1970-01-01.
inline constexpr std::int64_t kTicksTo1970 = 116444736000000000;
inline constexpr std::int64_t kTicksPerSecond = 10000000;

// Owns a file handle and closes it once.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Release();
    void Reset();
    // Closes now and reports the error code (0 on success); a network share may report a
    // failed write only here.
    DWORD Close();

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

std::uint64_t TicksOf(const FILETIME& time);
FILETIME FileTimeOf(std::uint64_t ticks);

// Whole seconds since 1970 of a FILETIME, truncated toward zero (so 0.5 s before 1970 is 0).
std::int64_t UnixSecondsOf(const FILETIME& time);

// The first multiple of `step` at or after `ticks`.
std::uint64_t CeilToStep(std::uint64_t ticks, std::uint64_t step);

// The folder part of a path: up to and including the last '\\', '/' or drive colon; empty
// for a bare name (the current folder).
std::string SystemFolderOf(const std::string& path);

// A temporary file beside `target` (same folder), named "." + name + random + ".tmp",
// created exclusively (CREATE_NEW) for writing. Returns the error code (0 on success).
DWORD CreateTempBeside(const std::string& target, UniqueHandle& file, std::string& path);

// Gives `file` the access and last-write times of the source. When its file system keeps
// coarser times (FAT keeps last-write times in 2-second steps) and rounded the time down,
// sets the nearest kept time that is not earlier. Returns the error code (0 on success).
DWORD CopyTimes(HANDLE file, const FILETIME& access, const FILETIME& lastWrite);

// Renames `from` to `to` and writes the change through to the disk; with noReplace an
// existing `to` fails (ERROR_ALREADY_EXISTS) and is never replaced. Returns the error code.
DWORD MoveInto(const std::string& from, const std::string& to, bool noReplace);

// Removes a file, clearing a read-only attribute first; errors are not reported.
void RemoveQuietly(const std::string& path);

// Removes temporary files that an interrupted copy or save to `target` left beside it: plain
// files named as CreateTempBeside names them for this target (the name in any letter case).
// Called after a copy or save to `target` succeeded; errors are ignored. A temporary file
// that another copy still has open cannot be deleted and stays.
void RemoveStaleTemps(const std::string& target);

}  // namespace bh::win32
