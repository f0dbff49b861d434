#pragma once

#include <string>

#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32SystemErrors.h"
#else
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemErrors.h"
#endif

namespace bh::cli {

// The real ports of the system the program was built for.
#ifdef _WIN32
using PlatformFileSystem = Win32FileSystem;
using PlatformClock = Win32Clock;
using PlatformSystemErrors = Win32SystemErrors;
#else
using PlatformFileSystem = PosixFileSystem;
using PlatformClock = PosixClock;
using PlatformSystemErrors = PosixSystemErrors;
#endif

// The folder settings' default: the current folder in the system's spelling.
const char* CurrentFolderText();

// Whether standard error is a terminal (or console), where progress may be drawn.
bool StandardErrorIsTerminal();

// The path made absolute against the current folder and normalised as the system does it;
// the path unchanged when that fails.
std::string SystemAbsolutePath(const std::string& path);

}  // namespace bh::cli
