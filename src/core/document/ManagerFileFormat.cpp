#include "core/document/ManagerFileFormat.h"

#include "core/document/FileEntry.h"

namespace bh {

namespace {

constexpr unsigned char kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kHugeLength = 0xFFFF;
constexpr std::size_t kMinRecordBytes = 3;  // three empty strings

void AppendLe(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

constexpr std::uint32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Reads the file's fields from the front of a byte range, never past its end.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Remaining() const { return bytes_.size() - pos_; }

    ManagerReadStatus ReadUint(int size, std::uint32_t& value) {
        if (Remaining() < static_cast<std::size_t>(size)) {
            return ManagerReadStatus::Truncated;
        }
        value = 0;
        for (int i = 0; i < size; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_ + i]))
                     << (8 * i);
        }
        pos_ += static_cast<std::size_t>(size);
        return ManagerReadStatus::Ok;
    }

    ManagerReadStatus ReadString(std::string& out) {
        bool wide = false;
        std::uint32_t length = 0;
        if (auto s = ReadLength(length, wide, true); s != ManagerReadStatus::Ok) {
            return s;
        }
        const std::uint64_t needed = wide ? 2ull * length : length;
        if (needed > Remaining()) {
            return ManagerReadStatus::Corrupt;
        }
        if (wide) {
            out = ConvertWide(bytes_.substr(pos_, static_cast<std::size_t>(needed)));
        } else {
            out.assign(bytes_.substr(pos_, length));
        }
        pos_ += static_cast<std::size_t>(needed);
        return ManagerReadStatus::Ok;
    }

  private:
    ManagerReadStatus ReadLength(std::uint32_t& length, bool& wide, bool markerAllowed) {
        std::uint32_t value = 0;
        if (auto s = ReadUint(1, value); s != ManagerReadStatus::Ok) {
            return s;
        }
        if (value != kLongLength) {
            length = value;
            return ManagerReadStatus::Ok;
        }
        if (auto s = ReadUint(2, value); s != ManagerReadStatus::Ok) {
            return s;
        }
        if (value == kWideMarker) {
            // The marker introduces one length; a second marker is not a length at all.
            if (!markerAllowed) {
                return ManagerReadStatus::Corrupt;
            }
            wide = true;
            return ReadLength(length, wide, false);
        }
        if (value != kHugeLength) {
            length = value;
            return ManagerReadStatus::Ok;
        }
        return ReadUint(4, length);
    }

    static std::string ConvertWide(std::string_view units) {
        std::string out;
        out.reserve(units.size());
        const std::size_t count = units.size() / 2;
        auto unit = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(units[2 * i])) |
                   (static_cast<std::uint32_t>(static_cast<unsigned char>(units[2 * i + 1])) << 8);
        };
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t u = unit(i);
            if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(unit(i + 1))) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
                ++i;
            } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
                AppendUtf8(out, kReplacement);
            } else {
                AppendUtf8(out, u);
            }
        }
        return out;
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
};

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
    Reader reader(bytes);
    std::string header;
    if (auto s = reader.ReadString(header); s != ManagerReadStatus::Ok) {
        // A file cut inside the header is a damaged manager; anything else is foreign.
        const std::string expected = HeaderBytes();
        const bool cutHeader = bytes.size() < expected.size() &&
                               std::string_view(expected).substr(0, bytes.size()) == bytes;
        result.status = cutHeader ? ManagerReadStatus::Truncated : ManagerReadStatus::NotManager;
        return result;
    }
    if (header != kManagerHeader) {
        result.status = ManagerReadStatus::NotManager;
        return result;
    }
    std::uint32_t count = 0;
    if (auto s = reader.ReadUint(4, count); s != ManagerReadStatus::Ok) {
        result.status = s;
        return result;
    }
    if (count > reader.Remaining() / kMinRecordBytes) {
        result.status = ManagerReadStatus::Corrupt;
        return result;
    }
    std::vector<ManagerRecord> records;
    records.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ManagerRecord record;
        for (std::string* field : {&record.sourcePath, &record.archivePath, &record.notes}) {
            if (auto s = reader.ReadString(*field); s != ManagerReadStatus::Ok) {
                result.status = s;
                return result;
            }
        }
        records.push_back(std::move(record));
    }
    if (reader.Remaining() != 0) {
        result.status = ManagerReadStatus::Trailing;
        return result;
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
        case ManagerReadStatus::Ok:
            break;
    }
    return std::string();
}

}  // namespace bh
