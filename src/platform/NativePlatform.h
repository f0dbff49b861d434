#pragma once

#include <memory>

#include "core/ports/DesktopNotifier.h"

// The real ports of the system the program is built for, chosen in one place so that the
// desktop program and brackenhold-cli never name a platform themselves.
#ifdef _WIN32
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ManagerLock.h"
#include "platform/win32/Win32SystemErrors.h"
#else
#include "platform/posix/FreedesktopNotifier.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixManagerLock.h"
#include "platform/posix/PosixSystemErrors.h"
#endif

namespace bh {

#ifdef _WIN32
using NativeFileSystem = Win32FileSystem;
using NativeClock = Win32Clock;
using NativeSystemErrors = Win32SystemErrors;
using NativeManagerLock = Win32ManagerLock;
#else
using NativeFileSystem = PosixFileSystem;
using NativeClock = PosixClock;
using NativeSystemErrors = PosixSystemErrors;
using NativeManagerLock = PosixManagerLock;
#endif

// The desktop's notifications; null where the system has none that the program uses.
inline std::unique_ptr<DesktopNotifier> MakeNativeDesktopNotifier() {
#ifdef _WIN32
    return nullptr;
#else
    return std::make_unique<FreedesktopNotifier>();
#endif
}

}  // namespace bh
