#include "gui/QtAutoBackupTimer.h"

#include <algorithm>
#include <climits>

namespace bh {

QtAutoBackupTimer::QtAutoBackupTimer(QObject* parent) : QObject(parent), timer_(this) {
    timer_.setSingleShot(false);
    timer_.setTimerType(Qt::VeryCoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &QtAutoBackupTimer::Fire);
}

void QtAutoBackupTimer::Start(std::int64_t periodMs) {
    const std::int64_t clamped = std::clamp<std::int64_t>(periodMs, 1, INT_MAX);
    timer_.start(static_cast<int>(clamped));
}

void QtAutoBackupTimer::Stop() {
    timer_.stop();
}

void QtAutoBackupTimer::Fire() {
    if (action_)
        action_();
}

}  // namespace bh
