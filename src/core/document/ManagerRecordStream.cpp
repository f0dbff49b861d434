#include "core/document/ManagerRecordStream.h"

#include <string>
#include <string_view>

namespace bh {

namespace {

constexpr std::size_t kMinRecordBytes = 3;  // three empty strings

}  // namespace

ManagerReadStatus ManagerRecordStream::ReadHeader() {
    std::string expected;
    AppendManagerString(expected, kManagerHeader);
    // A file cut inside the header is a damaged manager; anything else is foreign.
    if (reader_.Size() < expected.size()) {
        std::string_view bytes;
        if (auto s = reader_.Peek(expected.size(), bytes); s != ManagerReadStatus::Ok) {
            return s;
        }
        return std::string_view(expected).starts_with(bytes) ? ManagerReadStatus::Truncated
                                                             : ManagerReadStatus::NotManager;
    }
    std::string header;
    const ManagerReadStatus s = reader_.ReadString(header);
    if (s == ManagerReadStatus::ReadFailed) {
        return s;
    }
    return s == ManagerReadStatus::Ok && header == kManagerHeader ? ManagerReadStatus::Ok
                                                                  : ManagerReadStatus::NotManager;
}

ManagerReadStatus ManagerRecordStream::Start() {
    if (auto s = ReadHeader(); s != ManagerReadStatus::Ok) {
        return s;
    }
    if (auto s = reader_.ReadUint(4, count_); s != ManagerReadStatus::Ok) {
        return s;
    }
    if (count_ > reader_.Remaining() / kMinRecordBytes) {
        return ManagerReadStatus::Corrupt;
    }
    return AtEnd() && reader_.Remaining() != 0 ? ManagerReadStatus::Trailing
                                               : ManagerReadStatus::Ok;
}

ManagerReadStatus ManagerRecordStream::Next(ManagerRecord& record) {
    for (std::string* field : {&record.sourcePath, &record.archivePath, &record.notes}) {
        if (auto s = reader_.ReadString(*field); s != ManagerReadStatus::Ok) {
            return s;
        }
    }
    ++read_;
    return AtEnd() && reader_.Remaining() != 0 ? ManagerReadStatus::Trailing
                                               : ManagerReadStatus::Ok;
}

}  // namespace bh
