#include "core/base/RecentFileList.h"

#include <utility>

#include "core/base/PathParts.h"
#include "core/base/Settings.h"

namespace bh {

namespace {

constexpr const char* kEllipsis = "...";

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The longest prefix of `text` of at most `length` bytes that ends on a character boundary.
std::string CutToCharacters(const std::string& text, std::size_t length) {
    if (text.size() <= length) {
        return text;
    }
    while (length > 0 && IsContinuationByte(text[length])) {
        --length;
    }
    return text.substr(0, length);
}

// Length of the first folder including its separator ("/home/", "C:\", "\\server\").
std::size_t FirstFolderLength(const std::string& path) {
    std::size_t start = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
    while (start < path.size() && IsPathSeparator(path[start])) {
        ++start;
    }
    for (std::size_t i = start; i < path.size(); ++i) {
        if (IsPathSeparator(path[i])) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace

void RecentFileList::Load(SettingsStore& settings) {
    paths_.clear();
    for (std::size_t i = 0; i < size_; ++i) {
        std::string path = ReadSetting(settings, RecentFileSetting(static_cast<int>(i)));
        if (!path.empty() && !Contains(path)) {
            paths_.push_back(std::move(path));
        }
    }
}

void RecentFileList::Save(SettingsStore& settings) const {
    for (std::size_t i = 0; i < size_; ++i) {
        WriteSetting(settings, RecentFileSetting(static_cast<int>(i)),
                     i < paths_.size() ? paths_[i] : "");
    }
}

void RecentFileList::Add(std::string path) {
    if (path.empty() || size_ == 0) {
        return;
    }
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        if (EqualsNoCase(paths_[i], path)) {
            paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    paths_.insert(paths_.begin(), std::move(path));
    if (paths_.size() > size_) {
        paths_.resize(size_);
    }
}

void RecentFileList::Remove(std::size_t index) {
    if (index < paths_.size()) {
        paths_.erase(paths_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

bool RecentFileList::Contains(const std::string& path) const {
    for (const std::string& known : paths_) {
        if (EqualsNoCase(known, path)) {
            return true;
        }
    }
    return false;
}

std::string RecentFileList::DisplayName(const std::string& path, std::size_t maxLength) {
    if (path.size() <= maxLength) {
        return path;
    }
    const std::string name = FileNameOf(path);
    const std::string head = path.substr(0, FirstFolderLength(path));
    const std::string separator =
        name.size() < path.size() ? path.substr(path.size() - name.size() - 1, 1) : "";
    const std::size_t fixed = head.size() + std::string(kEllipsis).size() + separator.size();
    if (!head.empty() && fixed + name.size() <= maxLength) {
        // Take whole trailing components while they fit.
        std::size_t tailStart = path.size() - name.size();
        for (;;) {
            std::size_t sep = tailStart - 1;  // the separator before the current tail
            std::size_t prev = sep;
            while (prev > head.size() && !IsPathSeparator(path[prev - 1])) {
                --prev;
            }
            if (prev <= head.size() || fixed + (path.size() - prev) > maxLength) {
                break;
            }
            tailStart = prev;
        }
        return head + kEllipsis + separator + path.substr(tailStart);
    }
    const std::size_t ellipsis = std::string(kEllipsis).size();
    if (name.size() <= maxLength) {
        return name;
    }
    if (maxLength <= ellipsis) {
        return CutToCharacters(name, maxLength);
    }
    return CutToCharacters(name, maxLength - ellipsis) + kEllipsis;
}

}  // namespace bh
