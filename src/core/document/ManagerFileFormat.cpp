#include "core/document/ManagerFileFormat.h"

#include "core/document/FileEntry.h"
#include "core/document/ManagerFieldReader.h"
#include "core/document/ManagerRecordStream.h"

namespace bh {

namespace {

constexpr unsigned char kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kHugeLength = 0xFFFF;

void AppendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string HeaderBytes() {
    std::string header;
    AppendManagerString(header, kManagerHeader);
    return header;
}

}  // namespace

void AppendManagerString(std::string& out, std::string_view text) {
    const std::uint64_t length = text.size();
    if (length < kLongLength) {
        AppendLe(out, length, 1);
    } else if (length < kWideMarker) {
        out.push_back(static_cast<char>(kLongLength));
        AppendLe(out, length, 2);
    } else {
        out.push_back(static_cast<char>(kLongLength));
        AppendLe(out, kHugeLength, 2);
        AppendLe(out, length, 4);
    }
    out.append(text);
}

ManagerWriter::ManagerWriter(std::uint32_t count) {
    bytes_ = HeaderBytes();
    AppendLe(bytes_, count, 4);
}

void ManagerWriter::Add(std::string_view sourcePath, std::string_view archivePath,
                        std::string_view notes) {
    AppendManagerString(bytes_, sourcePath);
    AppendManagerString(bytes_, archivePath);
    AppendManagerString(bytes_, notes);
}

std::string EncodeManager(const ManagerList& rows, const std::function<void()>& afterRow) {
    const int count = rows.Count();
    ManagerWriter writer(static_cast<std::uint32_t>(count));
    for (int row = 0; row < count; ++row) {
        const CFileEntry& entry = rows.Entry(row);
        writer.Add(entry.sourcePath, entry.archivePath, entry.notes);
        if (afterRow) {
            afterRow();
        }
    }
    return writer.TakeBytes();
}

std::string EncodeManager(const std::vector<ManagerRecord>& records) {
    ManagerWriter writer(static_cast<std::uint32_t>(records.size()));
    for (const ManagerRecord& record : records) {
        writer.Add(record.sourcePath, record.archivePath, record.notes);
    }
    return writer.TakeBytes();
}

ManagerReadResult DecodeManager(std::string_view bytes) {
    ManagerReadResult result;
    ManagerFieldReader reader(bytes);
    ManagerRecordStream stream(reader);
    if (result.status = stream.Start(); result.status != ManagerReadStatus::Ok) {
        return result;
    }
    std::vector<ManagerRecord> records;
    records.reserve(stream.Count());
    while (!stream.AtEnd()) {
        ManagerRecord record;
        if (result.status = stream.Next(record); result.status != ManagerReadStatus::Ok) {
            return result;
        }
        records.push_back(std::move(record));
    }
    result.records = std::move(records);
    return result;
}

std::string ManagerReadReason(ManagerReadStatus status) {
    switch (status) {
        case ManagerReadStatus::Truncated:
            return "The file ends before its last entry is complete.";
        case ManagerReadStatus::Corrupt:
            return "The file is damaged: a length or entry count does not fit in its size.";
        case ManagerReadStatus::Trailing:
            return "The file is damaged: bytes follow its last entry, so its entry count is wrong.";
        case ManagerReadStatus::NotManager:
            return "This is not a Backup file!";
        case ManagerReadStatus::ReadFailed:
        case ManagerReadStatus::Ok:
            break;
    }
    return std::string();
}

}  // namespace bh
