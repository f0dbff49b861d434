#include "core/document/BrackenholdDoc.h"

#include <utility>

#include "core/base/PathParts.h"
#include "core/base/RecentFileList.h"
#include "core/base/Settings.h"

namespace bh {

namespace {

constexpr const char* kModifiedMarker = " *";

bool EndsWithMarker(const std::string& title) {
    return title.size() >= 2 && title.compare(title.size() - 2, 2, kModifiedMarker) == 0;
}

}  // namespace

CBrackenholdDoc::CBrackenholdDoc(Services& services, RecentFileList* recentFiles,
                                 std::string defaultFolder)
    : services_(services),
      recentFiles_(recentFiles),
      defaultFolder_(std::move(defaultFolder)),
      title_(kUntitledTitle),
      rows_(services.clock) {
    addDirStr = ReadSetting(services_.settings, kSettingAddFolder, defaultFolder_);
    backupDirStr = ReadSetting(services_.settings, kSettingBackupFolder, defaultFolder_);
}

CBrackenholdDoc::~CBrackenholdDoc() {
    WriteSetting(services_.settings, kSettingAddFolder, addDirStr);
    WriteSetting(services_.settings, kSettingBackupFolder, backupDirStr);
}

std::string CBrackenholdDoc::PlainTitle() const {
    if (modified_ && EndsWithMarker(title_)) {
        return title_.substr(0, title_.size() - 2);
    }
    return title_;
}

void CBrackenholdDoc::SetModifiedFlag(bool modified) {
    if (modified && !modified_) {
        title_ += kModifiedMarker;
    } else if (!modified && modified_ && EndsWithMarker(title_)) {
        title_.resize(title_.size() - 2);
    }
    modified_ = modified;
    services_.ui.RefreshCaption(title_);
}

void CBrackenholdDoc::SetPathName(const std::string& path) {
    pathName_ = path;
    title_ = FileNameOf(path);
    if (modified_) {
        title_ += kModifiedMarker;
    }
    services_.ui.RefreshCaption(title_);
    if (recentFiles_ != nullptr) {
        recentFiles_->Add(path);
    }
}

void CBrackenholdDoc::SetOptions(const ManagerOptions& options) {
    if (options == options_) {
        return;
    }
    options_ = options;
    optionsChanged_ = true;
    SetModifiedFlag(true);
}

void CBrackenholdDoc::SetOpenedOptions(const ManagerOptions& options) {
    options_ = options;
    optionsChanged_ = false;
}

void CBrackenholdDoc::OnNewDocument() {
    pathName_.clear();
    modified_ = false;
    options_ = ManagerOptions();
    optionsChanged_ = false;
    rows_.Clear();
    title_ = kUntitledTitle;
    services_.ui.RefreshCaption(title_);
}

void CBrackenholdDoc::InitialUpdate() {
    rows_.RemakeAll();
    if (onInitialUpdate) {
        onInitialUpdate();
    }
}

}  // namespace bh
