#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ports/ErrorCode.h"
#include "core/ports/Shell.h"

namespace bh {

// The icon a RecordingShell hands out: one shared instance per extension.
class RecordingIcon : public ShellIcon {
  public:
    explicit RecordingIcon(std::string extension) : extension(std::move(extension)) {}
    const std::string extension;
};

enum class ShellCallKind { GetFileInfo, OpenFile, OpenAddress, RevealFile };

struct ShellCall {
    ShellCallKind kind;
    std::string path;    // the file, address or revealed path
    std::string folder;  // OpenFile's working folder
};

// A shell that records its calls. Type names come from a map by extension (compared
// without regard to ASCII case, with the dot: ".txt"); an unmapped extension gets the
// default type name, which is "<EXT> File" (as "TXT File") unless set. Opening succeeds
// unless told otherwise; a failure returns the set code.
class RecordingShell : public Shell {
  public:
    // One record per distinct type name and icon, handed to every file that has them.
    std::shared_ptr<const ShellFileInfo> GetFileInfo(const std::string& path) override;
    ErrorCode OpenFile(const std::string& fileName, const std::string& folder) override;
    ErrorCode OpenAddress(const std::string& address) override;
    RevealResult RevealFile(const std::string& path) override;

    void SetTypeName(const std::string& extension, const std::string& typeName);
    // Fixed type name for every unmapped extension (an empty text gives empty names).
    void SetDefaultTypeName(const std::string& typeName);
    // Whether GetFileInfo gives icons (default true); without, the icon is null.
    void SetIcons(bool enabled) { icons_ = enabled; }
    void SetOpenFileResult(bool ok, ErrorCode failure = ErrorCode(8));  // ENOEXEC
    void SetOpenAddressResult(bool ok, ErrorCode failure = ErrorCode(8));
    void SetRevealResult(RevealResult result) { revealResult_ = result; }

    const std::vector<ShellCall>& Calls() const { return calls_; }
    int Count(ShellCallKind kind) const;
    int FileInfoCount() const { return Count(ShellCallKind::GetFileInfo); }
    // The shared icon of an extension (created on first use).
    std::shared_ptr<const ShellIcon> IconFor(const std::string& extension);

  private:
    std::vector<ShellCall> calls_;
    std::map<std::string, std::string> typeNames_;
    std::map<std::string, std::shared_ptr<const ShellIcon>> iconsByExtension_;
    std::map<std::pair<std::string, const ShellIcon*>, std::shared_ptr<const ShellFileInfo>> types_;
    bool hasDefaultTypeName_ = false;
    std::string defaultTypeName_;
    bool icons_ = true;
    bool openFileOk_ = true;
    ErrorCode openFileError_{8};
    bool openAddressOk_ = true;
    ErrorCode openAddressError_{8};
    RevealResult revealResult_ = RevealResult::Shown;
};

}  // namespace bh
