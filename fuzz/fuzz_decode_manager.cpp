// Feeds arbitrary bytes to the manager file reader. Besides the sanitizers' checks, a file
// that parses must survive being written and read again unchanged, and a failed parse must
// not return entries.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/document/ManagerFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bh;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ManagerReadResult result = DecodeManager(bytes);
    if (result.status != ManagerReadStatus::Ok) {
        if (!result.records.empty() || ManagerReadReason(result.status).empty()) {
            std::abort();
        }
        return 0;
    }
    const std::string again = EncodeManager(result.records);
    const ManagerReadResult reread = DecodeManager(again);
    if (reread.status != ManagerReadStatus::Ok || reread.records.size() != result.records.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < reread.records.size(); ++i) {
        const ManagerRecord& a = result.records[i];
        const ManagerRecord& b = reread.records[i];
        if (a.sourcePath != b.sourcePath || a.archivePath != b.archivePath || a.notes != b.notes) {
            std::abort();
        }
    }
    return 0;
}
