#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace bh::bench {

using Args = std::vector<std::string>;

// Runs a program (searched in PATH) with stdout and stderr to /dev/null unless
// `stdoutPath` names a file, and waits. Returns its exit status, or -1 when it could not
// start or was killed.
int RunProgram(const Args& args, const char* stdoutPath = nullptr);

// Seconds the program took; ends the benchmark run when its exit status is not in `accepted`.
double TimeProgram(const Args& args, std::initializer_list<int> accepted = {0});

// Runs it and ends the benchmark run unless its exit status is in `accepted`.
void RunOrDie(const Args& args, std::initializer_list<int> accepted = {0});

// Peak resident memory of the program in bytes, measured by GNU time (a child started
// straight from this large process would report this process's peak).
double PeakResidentBytes(const Args& args, const std::string& scratchFolder);

// `prefix` then `args`.
Args Joined(const Args& prefix, const Args& args);

// Ends the benchmark run, naming `what`, unless `ok`: a side that did not do its work must
// not get a time.
void Require(bool ok, const std::string& what);

// Flushes every file system, outside the timed parts.
void SyncAll();

bool ReadBytes(const std::string& path, std::string& bytes);
bool WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace bh::bench
