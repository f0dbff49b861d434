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

CBrackenholdDoc::CBrackenholdDoc(Services& services, ListRows& rows, RecentFileList* recentFiles,
                                 std::string defaultFolder)
    : services_(services),
      rows_(rows),
      recentFiles_(recentFiles),
      defaultFolder_(std::move(defaultFolder)),
      title_(kUntitledTitle) {
    addDirStr = ReadSetting(services_.settings, kSettingAddFolder, defaultFolder_);
    backupDirStr = ReadSetting(services_.settings, kSettingBackupFolder, defaultFolder_);
}

CBrackenholdDoc::~CBrackenholdDoc() {
    WriteSetting(services_.settings, kSettingAddFolder, addDirStr);
    WriteSetting(services_.settings, kSettingBackupFolder, backupDirStr);
    DeleteEntries();
}

void CBrackenholdDoc::DeleteEntries() {
    entries.clear();
    SourcesChanged();
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

void CBrackenholdDoc::OnNewDocument() {
    pathName_.clear();
    modified_ = false;
    DeleteEntries();
    title_ = kUntitledTitle;
    services_.ui.RefreshCaption(title_);
}

void CBrackenholdDoc::InitialUpdate() {
    if (onInitialUpdate) {
        onInitialUpdate();
    } else {
        RebuildRows();
    }
}

void CBrackenholdDoc::RebuildRows() {
    rows_.RemoveAll();
    for (const auto& entry : entries) {
        rows_.AppendRow(*entry);
    }
}

CFileEntry& CBrackenholdDoc::AppendEntry(std::unique_ptr<CFileEntry> entry) {
    CFileEntry& added = *entry;
    entries.push_back(std::move(entry));
    if (sourceIndexValid_ && indexedEntries_ + 1 == entries.size()) {
        IndexSource(added.sourcePath);
        indexedEntries_ = entries.size();
    } else {
        SourcesChanged();
    }
    rows_.AppendRow(added);
    return added;
}

void CBrackenholdDoc::ReplaceEntries(std::vector<std::unique_ptr<CFileEntry>> newEntries) {
    entries = std::move(newEntries);
    SourcesChanged();
}

bool CBrackenholdDoc::HasSource(const std::string& path) {
    // A count that no longer matches means entries were added or removed behind our back.
    if (!sourceIndexValid_ || indexedEntries_ != entries.size()) {
        RebuildSourceIndex();
    }
    return sourceIndex_.contains(FoldCase(path));
}

void CBrackenholdDoc::RebuildSourceIndex() {
    sourceIndex_.clear();
    sourceIndex_.reserve(entries.size());
    for (const auto& entry : entries) {
        IndexSource(entry->sourcePath);
    }
    indexedEntries_ = entries.size();
    sourceIndexValid_ = true;
}

void CBrackenholdDoc::IndexSource(const std::string& path) {
    ++sourceIndex_[FoldCase(path)];
}

}  // namespace bh
