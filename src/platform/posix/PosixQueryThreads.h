#pragma once

#include <string>
#include <vector>

namespace bh::posix {

// Attribute queries on a network folder wait out a round trip each, so this many run at once
// whatever the cores.
inline constexpr int kNetworkQueryThreads = 8;

// Whether the file system holding `path` (or, when the path does not exist, its nearest
// existing folder) answers over a network or through a user-space server: NFS, SMB/CIFS, 9P,
// FUSE (sshfs and the like), AFS, Ceph, Lustre and similar.
bool IsOnNetworkFileSystem(const std::string& path);

// The cores this process may run on (at least 1).
int UsableCores();

// How many attribute queries pay off at once for paths like `samplePaths`: kNetworkQueryThreads
// when any of them is on a network file system, otherwise UsableCores().
int QueryThreadsFor(const std::vector<std::string>& samplePaths);

}  // namespace bh::posix
