#include "core/operations/BackupNotice.h"

#include "core/base/Format.h"
#include "core/operations/BackupRun.h"
#include "core/ports/DesktopNotifier.h"

namespace bh {

namespace {

std::string CountsLine(const BackupCounts& counts) {
    std::string line;
    if (counts.problems > 0) {
        line = Format("%u %s could not be backed up; ", counts.problems,
                      counts.problems == 1 ? "file" : "files");
    }
    line += Format("%u backed up, %u up to date", counts.backedUp, counts.upToDate);
    if (counts.skipped > 0) {
        line += Format(", %u skipped", counts.skipped);
    }
    return line + ".";
}

bool Send(DesktopNotifier* notifier, const BackupNotice& notice) {
    if (notifier == nullptr) {
        return false;
    }
    // A notification that cannot be shown has nowhere to be reported: the run's own result
    // (exit code, stderr, the rows' colours) already says what failed.
    return !notifier->Notify(notice.summary, notice.body).Failed();
}

}  // namespace

std::optional<BackupNotice> BackupFailureNotice(const BackupResult& result,
                                                const std::string& managerPath) {
    if (!result.ran || (result.counts.problems == 0 && !result.saveFailed)) {
        return std::nullopt;
    }
    std::string body = managerPath + "\n" + CountsLine(result.counts);
    if (result.saveFailed) {
        body += "\nThe manager could not be saved.";
    }
    return BackupNotice{kBackupFailedSummary, body};
}

BackupNotice ManagerNotOpenedNotice(const std::string& managerPath, const std::string& reason) {
    std::string body = managerPath + "\nThe manager could not be opened";
    body += reason.empty() ? "." : ": " + reason;
    return BackupNotice{kBackupFailedSummary, body};
}

bool NotifyBackupOutcome(DesktopNotifier* notifier, const std::string& managerPath,
                         const BackupResult& result) {
    const std::optional<BackupNotice> notice = BackupFailureNotice(result, managerPath);
    return notice && Send(notifier, *notice);
}

bool NotifyManagerNotOpened(DesktopNotifier* notifier, const std::string& managerPath,
                            const std::string& reason) {
    return Send(notifier, ManagerNotOpenedNotice(managerPath, reason));
}

}  // namespace bh
