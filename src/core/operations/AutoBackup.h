#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bh {

class AutoBackupTimer;
class CBrackenholdDoc;
class ManagerLock;
class UserInterface;

inline constexpr const char* kAutoBackupPrompt = "Auto Backup Time Hours";
inline constexpr int kDefaultAutoBackupHours = 24;
// The largest whole hour whose milliseconds fit a signed 32-bit timer period.
inline constexpr int kMaxAutoBackupHours = 596;

// The interval typed into the prompt: leading digits as atoi reads them (0 for none), at
// least 1 and at most kMaxAutoBackupHours.
int ParseAutoBackupHours(const std::string& text);

// The timer period of an interval in hours.
std::int64_t AutoBackupPeriodMs(int hours);

// The auto-backup switch of the list view and its timer.
class AutoBackup {
  public:
    AutoBackup(UserInterface& ui, AutoBackupTimer& timer);

    // On while the timer runs; never persisted.
    bool autoBackupOn = false;
    // The interval in hours; the view loads it from and saves it to the settings.
    int autoBackupHours = kDefaultAutoBackupHours;
    // Flashes the main window once; set by the GUI (unset: no flash).
    std::function<void()> flashWindow;
    // The manager locks the timer action takes (unset: none are taken).
    ManagerLock* managerLock = nullptr;

    // The Auto Backup command: switching off stops the timer without a prompt; switching on
    // asks for the hours and starts the timer, or stays off when the prompt is cancelled.
    void Toggle();
    // Stops the timer if it runs (the view does this at its initial update).
    void SwitchOff();
    // "Auto Backup (off)", or "Auto Backup (%d hour)" while on.
    std::string MenuText() const;

    // The timer action: flash, an unattended Backup All (so no report is shown), a desktop
    // notification when that run failed or partly failed (nobody may be watching), flash again.
    // When another program holds the manager's lock the tick is skipped without a message:
    // the next tick tries again.
    void OnTimer(CBrackenholdDoc& doc) const;

  private:
    UserInterface& ui_;
    AutoBackupTimer& timer_;
};

}  // namespace bh
