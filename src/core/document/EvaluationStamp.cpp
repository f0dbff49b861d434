#include "core/document/EvaluationStamp.h"

#include "core/document/ManagerList.h"
#include "core/ports/Clock.h"

namespace bh {

EvaluationStamp::EvaluationStamp(ManagerList& rows, const Clock& clock)
    : rows_(&rows), clock_(clock) {
    rows.AddObserver(*this);
}

EvaluationStamp::~EvaluationStamp() {
    if (rows_ != nullptr) {
        rows_->RemoveObserver(*this);
    }
}

void EvaluationStamp::Record(std::int64_t finishedAt) {
    recorded_ = true;
    finishedAt_ = finishedAt;
}

bool EvaluationStamp::IsFresh() const {
    if (!recorded_) {
        return false;
    }
    // A steady clock never goes back; a fake one that did counts as time passed.
    const std::int64_t elapsed = clock_.SteadyMilliseconds() - finishedAt_;
    return elapsed >= 0 && elapsed < kEvaluationReuseMilliseconds;
}

}  // namespace bh
