#include "core/document/ManagerFileFormat.h"

#include <cstdint>

#include "core/document/FileEntry.h"
#include "core/document/ManagerEncoder.h"
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

void AppendManagerHeader(std::string& out, std::uint32_t count) {
    AppendManagerString(out, kManagerHeader);
    AppendLe(out, count, 4);
}

ManagerWriter::ManagerWriter(std::uint32_t count) {
    AppendManagerHeader(bytes_, count);
}

void ManagerWriter::Add(std::string_view sourcePath, std::string_view archivePath,
                        std::string_view notes) {
    AppendManagerString(bytes_, sourcePath);
    AppendManagerString(bytes_, archivePath);
    AppendManagerString(bytes_, notes);
}

std::string EncodeManager(const ManagerList& rows, const std::function<void()>& afterRow) {
    std::string bytes;
    // Chunks without a size limit: the first is the whole file.
    ManagerEncoder(rows, afterRow, SIZE_MAX).Next(bytes);
    return bytes;
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
