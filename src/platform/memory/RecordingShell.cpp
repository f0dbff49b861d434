#include "platform/memory/RecordingShell.h"

#include <algorithm>

#include "core/base/PathParts.h"

namespace bh {

std::shared_ptr<const ShellFileInfo> RecordingShell::GetFileInfo(const std::string& path) {
    calls_.push_back({ShellCallKind::GetFileInfo, path, {}});
    const std::string extension = FoldCase(SplitPath(path).ext);
    ShellFileInfo info;
    if (const auto named = typeNames_.find(extension); named != typeNames_.end()) {
        info.typeName = named->second;
    } else if (hasDefaultTypeName_) {
        info.typeName = defaultTypeName_;
    } else if (extension.size() > 1) {
        info.typeName = ToUpperAscii(extension.substr(1)) + " File";
    } else {
        info.typeName = "File";
    }
    if (icons_) {
        info.icon = IconFor(extension);
    }
    std::shared_ptr<const ShellFileInfo>& type = types_[{info.typeName, info.icon.get()}];
    if (!type) {
        type = std::make_shared<const ShellFileInfo>(std::move(info));
    }
    return type;
}

ErrorCode RecordingShell::OpenFile(const std::string& fileName, const std::string& folder) {
    calls_.push_back({ShellCallKind::OpenFile, fileName, folder});
    return openFileOk_ ? kNoError : openFileError_;
}

ErrorCode RecordingShell::OpenAddress(const std::string& address) {
    calls_.push_back({ShellCallKind::OpenAddress, address, {}});
    return openAddressOk_ ? kNoError : openAddressError_;
}

RevealResult RecordingShell::RevealFile(const std::string& path) {
    calls_.push_back({ShellCallKind::RevealFile, path, {}});
    return revealResult_;
}

void RecordingShell::SetTypeName(const std::string& extension, const std::string& typeName) {
    typeNames_[FoldCase(extension)] = typeName;
}

void RecordingShell::SetDefaultTypeName(const std::string& typeName) {
    hasDefaultTypeName_ = true;
    defaultTypeName_ = typeName;
}

void RecordingShell::SetOpenFileResult(bool ok, ErrorCode failure) {
    openFileOk_ = ok;
    openFileError_ = failure;
}

void RecordingShell::SetOpenAddressResult(bool ok, ErrorCode failure) {
    openAddressOk_ = ok;
    openAddressError_ = failure;
}

int RecordingShell::Count(ShellCallKind kind) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [kind](const ShellCall& c) { return c.kind == kind; }));
}

std::shared_ptr<const ShellIcon> RecordingShell::IconFor(const std::string& extension) {
    const std::string key = FoldCase(extension);
    auto& icon = iconsByExtension_[key];
    if (!icon) {
        icon = std::make_shared<RecordingIcon>(key);
    }
    return icon;
}

}  // namespace bh
