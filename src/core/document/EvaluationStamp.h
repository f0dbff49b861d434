#pragma once

#include <cstdint>

#include "core/document/ManagerListObserver.h"

namespace bh {

class Clock;
class ManagerList;

// How long an evaluation of every row stands for the refresh of a backup that follows it. The
// backup's copies stay consistent and fail-safe whatever the evaluation saw; what reusing it
// risks is a file changed in the meantime being left for the next run, which the designed
// refresh-then-copy order risks as well for as long as the refresh and the copies take. A
// few seconds cover a command-line backup (open, then at once the backup) and a Backup All
// clicked right after an open, and add nothing that matters to that window.
inline constexpr std::int64_t kEvaluationReuseMilliseconds = 5000;

// Remembers when every row of a list was last evaluated, by the clock's steady time, and
// forgets it as soon as a row is inserted, removed, replaced or has its texts remade: after
// any such change the evaluation no longer stands for the list. Reordering and selection keep
// it (the entries are the same).
class EvaluationStamp : private ManagerListObserver {
  public:
    EvaluationStamp(ManagerList& rows, const Clock& clock);
    ~EvaluationStamp() override;
    EvaluationStamp(const EvaluationStamp&) = delete;
    EvaluationStamp& operator=(const EvaluationStamp&) = delete;

    // Every row was evaluated, the last one at `finishedAt` (the clock's SteadyMilliseconds),
    // and nothing has changed since.
    void Record(std::int64_t finishedAt);
    void Forget() { recorded_ = false; }
    // Whether the recorded evaluation finished less than kEvaluationReuseMilliseconds ago
    // with no row changed since.
    bool IsFresh() const;

  private:
    void AfterRowsInserted(int, int) override { Forget(); }
    void AfterRowsRemoved(int, int) override { Forget(); }
    void AfterReset() override { Forget(); }
    void OnRowsChanged(int, int, int, int) override { Forget(); }
    void OnListDestroyed() override { rows_ = nullptr; }

    ManagerList* rows_;
    const Clock& clock_;
    bool recorded_ = false;
    std::int64_t finishedAt_ = 0;
};

}  // namespace bh
