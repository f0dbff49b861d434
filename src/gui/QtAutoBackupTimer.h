#pragma once

#include <cstdint>
#include <functional>

#include <QObject>
#include <QTimer>

#include "core/ports/AutoBackupTimer.h"

namespace bh {

// The auto-backup timer on a repeating QTimer. Its firing calls the action given to
// SetAction on the user-interface thread, between other events.
class QtAutoBackupTimer : public QObject, public AutoBackupTimer {
    Q_OBJECT
  public:
    explicit QtAutoBackupTimer(QObject* parent = nullptr);

    // A period above what QTimer can hold (INT_MAX ms) is clamped to it.
    void Start(std::int64_t periodMs) override;
    void Stop() override;

    void SetAction(std::function<void()> action) { action_ = std::move(action); }
    bool IsActive() const { return timer_.isActive(); }
    int IntervalMs() const { return timer_.interval(); }
    // Runs the action as a timer tick would.
    void Fire();

  private:
    QTimer timer_;
    std::function<void()> action_;
};

}  // namespace bh
