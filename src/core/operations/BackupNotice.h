#pragma once

#include <optional>
#include <string>

namespace bh {

class DesktopNotifier;
struct BackupResult;

inline constexpr const char* kBackupFailedSummary = "Brackenhold: backup failed";

// A desktop notification's texts.
struct BackupNotice {
    std::string summary;
    std::string body;
};

// What a finished unattended run tells the user: nothing when it ran cleanly (or found
// nothing to do); otherwise the manager's path, then the counts ("2 files could not be backed
// up; 5 backed up, 12 up to date."), then "The manager could not be saved." when that failed.
std::optional<BackupNotice> BackupFailureNotice(const BackupResult& result,
                                                const std::string& managerPath);

// What a run tells when its manager could not be opened: the path, then "The manager could
// not be opened: REASON" (without ": REASON" when none is known).
BackupNotice ManagerNotOpenedNotice(const std::string& managerPath, const std::string& reason);

// Sends the notice of a finished unattended run, once, when it has one. A missing notifier or
// one that fails changes nothing: the run's own result stands. True when a notice was sent.
bool NotifyBackupOutcome(DesktopNotifier* notifier, const std::string& managerPath,
                         const BackupResult& result);

// Sends the notice of a run whose manager could not be opened (nothing without a notifier).
bool NotifyManagerNotOpened(DesktopNotifier* notifier, const std::string& managerPath,
                            const std::string& reason);

}  // namespace bh
