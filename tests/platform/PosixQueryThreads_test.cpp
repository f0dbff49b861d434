#include "platform/posix/PosixQueryThreads.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

namespace bh {
namespace {

// Runs `body` on a thread of its own pinned to the first core this process may use, so that
// the pinning ends with the thread.
template <typename Body>
void OnOneCore(Body body) {
    std::thread pinned([&body] {
        cpu_set_t allowed;
        CPU_ZERO(&allowed);
        ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
        int first = 0;
        while (!CPU_ISSET(first, &allowed)) {
            ++first;
        }
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(first, &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        body();
    });
    pinned.join();
}

TEST(PosixQueryThreads, LocalFoldersGetTheCoresThisProgramMayUse) {
    test::TempDir dir;
    const std::string file = dir.Write("a.txt", "a");
    // Missing paths are judged by their nearest existing folder, relative ones from the
    // current folder.
    const std::vector<std::string> sample = {file, dir.File("no/such/folder/b.txt"), "relative.txt",
                                             "", "/"};
    for (const std::string& path : sample) {
        EXPECT_FALSE(posix::IsOnNetworkFileSystem(path)) << path;
    }

    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    EXPECT_EQ(posix::UsableCores(), CPU_COUNT(&allowed));
    EXPECT_EQ(posix::QueryThreadsFor(sample), CPU_COUNT(&allowed));

    // Pinned to one core (as taskset does), a local folder gets no pool at all.
    OnOneCore([&] {
        EXPECT_EQ(posix::UsableCores(), 1);
        PosixFileSystem fs;
        fs.PlanQueries(sample);
        EXPECT_EQ(fs.ConcurrentQueries(), 1);
    });
}

}  // namespace
}  // namespace bh
