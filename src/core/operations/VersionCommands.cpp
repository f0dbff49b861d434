#include "core/operations/VersionCommands.h"

#include "core/base/ErrorText.h"
#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/Restore.h"
#include "core/ports/MessageBoxFlags.h"

namespace bh {

std::string VersionListLine(const KeptVersion& version) {
    return Format("%s  (%llu byte%s)", version.timeText.c_str(),
                  static_cast<unsigned long long>(version.size), version.size == 1 ? "" : "s");
}

std::string KeptVersionsNote(FileSystem& fileSystem, const Clock& clock,
                             const std::string& archivePath) {
    KeptVersions kept(fileSystem, clock);
    std::vector<KeptVersion> versions;
    if (kept.List(archivePath, versions) != kNoError || versions.empty()) {
        return {};
    }
    return Format("%zu older version%s kept (Restore Version...)", versions.size(),
                  versions.size() == 1 ? "" : "s");
}

void OnRestoreVersion(CBrackenholdDoc& doc) {
    ManagerList& rows = doc.rows();
    if (rows.SelectedCount() != 1) {
        return;
    }
    Services& services = doc.services();
    UserInterface& ui = services.ui;
    const CFileEntry& entry = rows.Entry(rows.NextSelected(-1));
    std::vector<KeptVersion> versions;
    KeptVersions kept(services.fileSystem, services.clock);
    if (const ErrorCode error = kept.List(entry.archivePath, versions)) {
        ui.MessageBox("The versions folder could not be read.\n\n" +
                          ErrorCodeText(services.systemErrors, error),
                      kRestoreVersionCaption, kMbOk | kMbIconExclamation);
        return;
    }
    if (versions.empty()) {
        ui.MessageBox(std::string(kNoVersionsText) + "\n\n" + entry.archivePath,
                      kRestoreVersionCaption, kMbOk | kMbIconInformation);
        return;
    }
    std::vector<std::string> lines;
    for (const KeptVersion& version : versions) {
        lines.push_back(VersionListLine(version));
    }
    const int chosen = ui.ChooseFromList(
        "Restore which version of\n" + FileNameOf(entry.archivePath) + " over its source?",
        kRestoreVersionCaption, lines);
    if (chosen < 0 || chosen >= static_cast<int>(versions.size())) {
        return;
    }
    AskAndRestore(doc, versions[chosen].path);
}

int ParseKeptVersionCount(const std::string& text) {
    const std::string trimmed = TrimBlanks(text);
    if (trimmed.empty() || trimmed.size() > 3 ||
        trimmed.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    return std::stoi(trimmed);
}

void OnKeepVersions(CBrackenholdDoc& doc) {
    UserInterface& ui = doc.services().ui;
    PromptRequest request;
    request.caption = kKeepVersionsCaption;
    request.editStyle = kEsNumber;
    request.text = std::to_string(doc.Options().keepVersions);
    if (ui.Prompt(request) != kIdOk) {
        return;
    }
    const int count = ParseKeptVersionCount(request.text);
    if (count < 0) {
        ui.MessageBox(Format("Enter a number of versions from 0 to %d.", kMaxKeptVersions),
                      kKeepVersionsCaption, kMbOk | kMbIconExclamation);
        return;
    }
    ManagerOptions options = doc.Options();
    options.keepVersions = count;
    doc.SetOptions(options);
}

}  // namespace bh
