#include "core/document/ManagerEncoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewTestEntries.h"
#include "core/document/ManagerFileFormat.h"
#include "platform/memory/FixedClock.h"

namespace bh {
namespace {

// The save streams the file in parts: whatever the part size, the parts joined must be the
// bytes of the whole-file encoding (strings of every length form included), every row must
// step the progress once, and no part but the last may stop short of the part size.
TEST(ManagerEncoder, ChunksJoinToTheWholeFileAtEveryChunkSize) {
    FixedClock clock{1000};
    ManagerList rows(clock);
    test::ViewEntries made;
    std::vector<ManagerRecord> records;
    const std::vector<std::size_t> lengths = {0, 1, 254, 255, 300, 65533, 65534, 70000};
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        const std::string source = "/src/" + std::to_string(i) + ".txt";
        const std::string archive = "/arc/" + std::string(lengths[i], 'a');
        const std::string notes(lengths[lengths.size() - 1 - i], 'n');
        made.MoveTo(rows, made.Make(source, archive, notes));
        records.push_back({source, archive, notes});
    }
    const std::string whole = EncodeManager(records);
    EXPECT_EQ(EncodeManager(rows), whole);

    for (const std::size_t chunkBytes :
         {std::size_t{1}, std::size_t{100}, std::size_t{70000}, ManagerEncoder::kChunkBytes}) {
        int steps = 0;
        ManagerEncoder encoder(
            rows, [&steps] { ++steps; }, chunkBytes);
        std::string joined;
        std::string chunk;
        for (bool more = true; more;) {
            chunk.clear();
            more = encoder.Next(chunk);
            EXPECT_TRUE(!more || chunk.size() >= chunkBytes) << "a short chunk before the last";
            joined += chunk;
        }
        EXPECT_EQ(joined, whole) << "chunks of " << chunkBytes;
        EXPECT_EQ(steps, rows.Count());
    }

    ManagerList empty(clock);
    std::string chunk;
    EXPECT_FALSE(ManagerEncoder(empty).Next(chunk));
    EXPECT_EQ(chunk, EncodeManager(std::vector<ManagerRecord>{}));
}

}  // namespace
}  // namespace bh
