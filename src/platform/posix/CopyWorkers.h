#pragma once

#include <cstddef>
#include <functional>

namespace bh::posix {

// How many threads prepare the copies of a batch: one per core, at most 8. A copy spends its
// time in the kernel (creating, writing, naming files), which runs in parallel on local disks
// as on network folders.
unsigned CopyWorkerCount();

// Calls work(i) once for every i below `count`, on `threads` threads at most (the calling one
// included), taking the indices in increasing order. Returns when every call has returned.
// `work` must not throw.
void ForEachOnThreads(std::size_t count, unsigned threads,
                      const std::function<void(std::size_t)>& work);

}  // namespace bh::posix
