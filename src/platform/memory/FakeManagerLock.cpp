#include "platform/memory/FakeManagerLock.h"

namespace bh {

class FakeManagerLock::Hold : public ManagerLockHold {
  public:
    Hold(std::map<std::string, int>& held, std::string path) : held_(held), path_(std::move(path)) {
        ++held_[path_];
    }
    ~Hold() override { --held_[path_]; }

  private:
    std::map<std::string, int>& held_;
    std::string path_;
};

std::unique_ptr<ManagerLockHold> FakeManagerLock::TryLock(const std::string& managerPath,
                                                          LockRefusal& refusal) {
    ++attempts;
    refusal = LockRefusal{};
    if (busy.count(managerPath) != 0) {
        refusal.busy = true;
        return nullptr;
    }
    if (unlockable.count(managerPath) != 0) {
        refusal.error = ErrorCode(13);  // EACCES
        return nullptr;
    }
    return std::make_unique<Hold>(held_, managerPath);
}

int FakeManagerLock::HeldCount(const std::string& managerPath) const {
    const auto found = held_.find(managerPath);
    return found == held_.end() ? 0 : found->second;
}

}  // namespace bh
