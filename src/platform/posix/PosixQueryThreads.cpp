#include "platform/posix/PosixQueryThreads.h"

#if defined(__linux__)
#include <sched.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cstdint>
#include <thread>

namespace bh::posix {

namespace {

#if defined(__linux__)
// statfs f_type values of file systems whose every query crosses a network or a user-space
// server (linux/magic.h and the file systems' own sources).
constexpr std::uint32_t kNetworkTypes[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x01021997,  // 9P
    0x65735546,  // FUSE (sshfs, rclone, gvfs...)
    0x00C36400,  // Ceph
    0x5346414F,  // OpenAFS
    0x6B414653,  // kAFS
    0x73757245,  // Coda
    0x0000564C,  // NCP
    0x0BD00BD0,  // Lustre
    0x20030528,  // OrangeFS
};

// The folder that holds `path`: "." for a bare name, "/" for a name in the root.
std::string ParentOf(const std::string& path) {
    std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return "/";
    }
    const std::size_t slash = path.rfind('/', end);
    if (slash == std::string::npos) {
        return ".";
    }
    const std::size_t last = path.find_last_not_of('/', slash);
    return last == std::string::npos ? "/" : path.substr(0, last + 1);
}
#endif

}  // namespace

bool IsOnNetworkFileSystem(const std::string& path) {
#if defined(__linux__)
    // A missing file (a source deleted, an archive not yet made) says nothing; its nearest
    // existing folder does.
    std::string probe = path.empty() ? "." : path;
    for (;;) {
        struct statfs st {};
        if (::statfs(probe.c_str(), &st) == 0) {
            const auto type = static_cast<std::uint32_t>(st.f_type);
            return std::find(std::begin(kNetworkTypes), std::end(kNetworkTypes), type) !=
                   std::end(kNetworkTypes);
        }
        const std::string parent = ParentOf(probe);
        if (parent == probe) {
            return false;
        }
        probe = parent;
    }
#else
    (void)path;
    return false;
#endif
}

int UsableCores() {
#if defined(__linux__)
    // A program pinned to some cores (taskset, a container's cpuset) can use only those;
    // the machine's count would start threads that wait for each other.
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0) {
        return CPU_COUNT(&cores);
    }
#endif
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int QueryThreadsFor(const std::vector<std::string>& samplePaths) {
    for (const std::string& path : samplePaths) {
        if (IsOnNetworkFileSystem(path)) {
            return kNetworkQueryThreads;
        }
    }
    return UsableCores();
}

}  // namespace bh::posix
