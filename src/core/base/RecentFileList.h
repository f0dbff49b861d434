#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/ports/SettingsStore.h"

namespace bh {

// The most recently used manager files, most recent first, without duplicates (paths
// compared without regard to ASCII letter case). Kept in the settings' recent file slots.
class RecentFileList {
  public:
    static constexpr std::size_t kDefaultSize = 4;
    static constexpr std::size_t kDisplayLength = 30;

    explicit RecentFileList(std::size_t size = kDefaultSize) : size_(size) {}

    // Replaces the list by the stored values; empty values are skipped.
    void Load(SettingsStore& settings);
    // Writes every slot; unused slots are written empty.
    void Save(SettingsStore& settings) const;

    // Puts the path first, removing an older spelling of it; the oldest falls off. Takes the
    // path by value: callers pass entries of this very list (Paths().front()), which the
    // removal of the older spelling would free under a reference.
    void Add(std::string path);
    void Remove(std::size_t index);
    bool Contains(const std::string& path) const;

    const std::vector<std::string>& Paths() const { return paths_; }
    std::size_t Size() const { return size_; }

    // The path shortened for a menu to at most `maxLength` bytes: unchanged when it fits;
    // otherwise its first folder (such as "/home/" or "C:\"), "...", and as many of the
    // last components as fit ("/home/.../Team/daily.bak"); when even the file name does not
    // fit, the file name alone, cut to fit and ending in "...". Never splits a UTF-8 character.
    static std::string DisplayName(const std::string& path, std::size_t maxLength = kDisplayLength);

  private:
    std::size_t size_;
    std::vector<std::string> paths_;
};

}  // namespace bh
