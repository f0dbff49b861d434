#pragma once

#include <cstdint>
#include <string>

namespace bh::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object is destroyed. Path() ends without a separator.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes `content` to File(name) and returns that path.
    std::string Write(const std::string& name, const std::string& content) const;
    // Whether anything exists at the path.
    static bool Exists(const std::string& path);
    // The content of a file, or an empty string when it cannot be read.
    static std::string Read(const std::string& path);
    // Sets a file's access and last-write times to `seconds` plus `nanoseconds` (0 to
    // 999,999,999) since 1970 UTC. False when the system refused.
    static bool SetTimes(const std::string& path, std::int64_t seconds, long nanoseconds = 0);
    // Creates a folder File(name) and returns its path.
    std::string MakeFolder(const std::string& name) const;

  private:
    std::string path_;
};

}  // namespace bh::test
