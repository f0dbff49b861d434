#include "core/operations/FolderWalk.h"

#include <algorithm>
#include <utility>

#include "core/base/ErrorText.h"
#include "core/base/PathParts.h"
#include "core/ports/FileSystem.h"

namespace bh {

namespace {

using ItemKind = FileSystem::ItemKind;

std::string Join(const std::string& folder, const std::string& name, char separator) {
    if (!folder.empty() && IsPathSeparator(folder.back())) {
        return folder + name;
    }
    return folder + separator + name;
}

// One folder being walked: its sorted names and the next one to visit.
struct Frame {
    std::string path;
    std::string relative;
    std::vector<FileSystem::FolderItem> items;
    std::size_t next = 0;
};

class Walker {
  public:
    Walker(FileSystem& fs, const SystemErrors& errors, const FolderWalkRequest& request)
        : fs_(fs), errors_(errors), request_(request), separator_(SeparatorOf(request.root)) {}

    FolderWalkResult Run() {
        Enter(WithoutTrailingSeparators(request_.root), "");
        while (!stack_.empty()) {
            Frame& top = stack_.back();
            if (top.next == top.items.size()) {
                stack_.pop_back();
                continue;
            }
            // Copies: visiting a folder pushes a frame, which may move `top`.
            const FileSystem::FolderItem item = top.items[top.next++];
            Visit(Join(top.path, item.name, separator_), top.relative, item);
        }
        return std::move(result_);
    }

  private:
    void Enter(const std::string& path, const std::string& relative) {
        Frame frame{path, relative, {}, 0};
        if (const ErrorCode error = fs_.ListFolder(path, frame.items)) {
            result_.failed.push_back({path, "folder not read: " + ErrorCodeText(errors_, error)});
            return;
        }
        std::sort(frame.items.begin(), frame.items.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        stack_.push_back(std::move(frame));
    }

    void Visit(const std::string& path, const std::string& relative,
               const FileSystem::FolderItem& item) {
        // Never cut short: a name the system could not take is named as a failure.
        if (path.size() + 1 > fs_.PathLimitBytes()) {
            result_.failed.push_back({path, ErrorCodeText(errors_, fs_.PathTooLongError())});
            return;
        }
        switch (item.kind) {
            case ItemKind::Link:
                result_.skipped.push_back({path, kLinkReason});
                return;
            case ItemKind::Other:
                result_.skipped.push_back({path, kSpecialReason});
                return;
            case ItemKind::Folder:
                if (IsLeftOut(item.name, path, request_.leaveOutFolder)) {
                    result_.skipped.push_back({path, kArchiveFolderReason});
                } else {
                    Enter(path, relative + item.name + separator_);
                }
                return;
            case ItemKind::File:
                break;
        }
        for (const std::string& leaveOut : request_.leaveOutFiles) {
            if (IsLeftOut(item.name, path, leaveOut)) {
                result_.skipped.push_back({path, kManagerFileReason});
                return;
            }
        }
        result_.files.push_back({path, relative});
    }

    // Whether `path` is `leaveOut`, however spelled. The name is compared first (with letter
    // case folded, as some file systems fold it), so that only a likely match costs a query.
    bool IsLeftOut(const std::string& name, const std::string& path, const std::string& leaveOut) {
        if (leaveOut.empty() ||
            !EqualsNoCase(name, FileNameOf(WithoutTrailingSeparators(leaveOut)))) {
            return false;
        }
        return path == WithoutTrailingSeparators(leaveOut) || fs_.IsSameFile(path, leaveOut);
    }

    FileSystem& fs_;
    const SystemErrors& errors_;
    const FolderWalkRequest& request_;
    const char separator_;
    std::vector<Frame> stack_;
    FolderWalkResult result_;
};

}  // namespace

FolderWalkResult WalkFolder(FileSystem& fileSystem, const SystemErrors& errors,
                            const FolderWalkRequest& request) {
    return Walker(fileSystem, errors, request).Run();
}

char SeparatorOf(const std::string& path) {
    const bool backslashOnly =
        path.find('\\') != std::string::npos && path.find('/') == std::string::npos;
    return backslashOnly ? '\\' : '/';
}

std::string WithoutTrailingSeparators(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && IsPathSeparator(path[end - 1])) {
        --end;
    }
    // A root keeps its separator: "/" and "C:\".
    const bool driveRoot = end == 2 && path[1] == ':';
    if (end == 0 || driveRoot) {
        return path.substr(0, std::min(path.size(), end + 1));
    }
    return path.substr(0, end);
}

}  // namespace bh
