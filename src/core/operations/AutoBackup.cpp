#include "core/operations/AutoBackup.h"

#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/operations/BackupNotice.h"
#include "core/operations/BackupRun.h"
#include "core/ports/AutoBackupTimer.h"
#include "core/ports/ManagerLock.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/ports/UserInterface.h"

namespace bh {

int ParseAutoBackupHours(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (value <= kMaxAutoBackupHours) {
            value = value * 10 + (text[at] - '0');
        }
    }
    if (negative || value < 1) {
        return 1;
    }
    return value > kMaxAutoBackupHours ? kMaxAutoBackupHours : static_cast<int>(value);
}

std::int64_t AutoBackupPeriodMs(int hours) {
    return static_cast<std::int64_t>(hours) * 3600000;
}

AutoBackup::AutoBackup(UserInterface& ui, AutoBackupTimer& timer) : ui_(ui), timer_(timer) {}

void AutoBackup::Toggle() {
    const bool wasOn = autoBackupOn;
    autoBackupOn = !wasOn;
    if (wasOn) {
        timer_.Stop();
        return;
    }
    PromptRequest request;
    request.allowBrowse = false;
    request.editStyle = kEsNumber;
    request.caption = kAutoBackupPrompt;
    request.text = Format("%u", static_cast<unsigned>(autoBackupHours));
    if (ui_.Prompt(request) != kIdOk) {
        autoBackupOn = false;
        return;
    }
    autoBackupHours = ParseAutoBackupHours(request.text);
    timer_.Start(AutoBackupPeriodMs(autoBackupHours));
}

void AutoBackup::SwitchOff() {
    if (autoBackupOn) {
        timer_.Stop();
        autoBackupOn = false;
    }
}

std::string AutoBackup::MenuText() const {
    return autoBackupOn ? Format("Auto Backup (%d hour)", autoBackupHours) : "Auto Backup (off)";
}

void AutoBackup::OnTimer(CBrackenholdDoc& doc) const {
    std::unique_ptr<ManagerLockHold> hold;
    if (managerLock && !doc.PathName().empty()) {
        hold = managerLock->TryLock(doc.PathName());
        if (!hold) {
            return;
        }
    }
    if (flashWindow) {
        flashWindow();
    }
    BackupOptions options;
    options.unattended = true;
    const BackupResult result = RunBackup(doc, options);
    NotifyBackupOutcome(doc.services().notifier, doc.PathName(), result);
    if (flashWindow) {
        flashWindow();
    }
}

}  // namespace bh
