#include "core/document/ManagerEncoder.h"

#include <utility>

#include "core/document/FileEntry.h"
#include "core/document/ManagerFileFormat.h"
#include "core/document/ManagerList.h"

namespace bh {

ManagerEncoder::ManagerEncoder(const ManagerList& rows, std::function<void()> afterRow,
                               std::size_t chunkBytes)
    : rows_(rows), afterRow_(std::move(afterRow)), chunkBytes_(chunkBytes) {}

bool ManagerEncoder::Next(std::string& chunk) {
    const int count = rows_.Count();
    if (next_ < 0) {
        AppendManagerHeader(chunk, static_cast<std::uint32_t>(count));
        next_ = 0;
    }
    while (next_ < count && chunk.size() < chunkBytes_) {
        const CFileEntry& entry = rows_.Entry(next_++);
        AppendManagerString(chunk, entry.sourcePath);
        AppendManagerString(chunk, entry.archivePath);
        AppendManagerString(chunk, entry.notes);
        if (afterRow_) {
            afterRow_();
        }
    }
    return next_ < count;
}

}  // namespace bh
