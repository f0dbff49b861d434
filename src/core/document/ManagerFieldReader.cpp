#include "core/document/ManagerFieldReader.h"

#include <algorithm>

namespace bh {

namespace {

constexpr unsigned char kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;
constexpr std::uint16_t kHugeLength = 0xFFFF;
constexpr std::uint32_t kReplacement = 0xFFFD;

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

bool IsHighSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

std::string ConvertWide(std::string_view units) {
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

}  // namespace

ManagerFieldReader::ManagerFieldReader(std::string_view bytes)
    : window_(bytes), size_(bytes.size()) {}

ManagerFieldReader::ManagerFieldReader(FileReader& file, std::size_t partSize)
    : file_(&file), partSize_(std::max<std::size_t>(partSize, 1)), size_(file.Size()) {}

ManagerReadStatus ManagerFieldReader::Ensure(std::size_t size) {
    if (window_.size() - pos_ >= size) {
        return ManagerReadStatus::Ok;
    }
    if (file_ == nullptr) {
        return ManagerReadStatus::Truncated;
    }
    // Keeps only the bytes not yet passed, then reads at least a whole part after them.
    part_.erase(0, pos_);
    base_ += pos_;
    pos_ = 0;
    const std::size_t wanted = std::max(size - part_.size(), partSize_);
    std::string more;
    if (const ErrorCode error = file_->ReadAt(base_ + part_.size(), wanted, more)) {
        readError_ = error;
        window_ = part_;
        return ManagerReadStatus::ReadFailed;
    }
    part_ += more;
    window_ = part_;
    // A file that shrank since it was opened ends early.
    return part_.size() >= size ? ManagerReadStatus::Ok : ManagerReadStatus::Truncated;
}

ManagerReadStatus ManagerFieldReader::ReadUint(int size, std::uint32_t& value) {
    if (Remaining() < static_cast<std::size_t>(size)) {
        return ManagerReadStatus::Truncated;
    }
    if (auto s = Ensure(static_cast<std::size_t>(size)); s != ManagerReadStatus::Ok) {
        return s;
    }
    value = 0;
    for (int i = 0; i < size; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(window_[pos_ + i]))
                 << (8 * i);
    }
    pos_ += static_cast<std::size_t>(size);
    return ManagerReadStatus::Ok;
}

ManagerReadStatus ManagerFieldReader::ReadString(std::string& out) {
    bool wide = false;
    std::uint32_t length = 0;
    if (auto s = ReadLength(length, wide, true); s != ManagerReadStatus::Ok) {
        return s;
    }
    const std::uint64_t needed = wide ? 2ull * length : length;
    if (needed > Remaining()) {
        return ManagerReadStatus::Corrupt;
    }
    const auto size = static_cast<std::size_t>(needed);
    if (auto s = Ensure(size); s != ManagerReadStatus::Ok) {
        return s;
    }
    if (wide) {
        out = ConvertWide(window_.substr(pos_, size));
    } else {
        out.assign(window_.substr(pos_, size));
    }
    pos_ += size;
    return ManagerReadStatus::Ok;
}

ManagerReadStatus ManagerFieldReader::Peek(std::size_t size, std::string_view& out) {
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, Remaining()));
    if (auto s = Ensure(size); s != ManagerReadStatus::Ok) {
        return s;
    }
    out = window_.substr(pos_, size);
    return ManagerReadStatus::Ok;
}

ManagerReadStatus ManagerFieldReader::ReadLength(std::uint32_t& length, bool& wide,
                                                 bool markerAllowed) {
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

}  // namespace bh
