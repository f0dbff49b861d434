#include "core/ports/ManagerLock.h"

#include <cstdio>
#include <utility>

namespace bh {

class NestingManagerLock::Hold : public ManagerLockHold {
  public:
    Hold(NestingManagerLock* owner, std::string lockFile)
        : owner_(owner), lockFile_(std::move(lockFile)) {}
    ~Hold() override { owner_->Release(lockFile_); }

  private:
    NestingManagerLock* owner_;
    std::string lockFile_;
};

std::unique_ptr<ManagerLockHold> NestingManagerLock::TryLock(const std::string& managerPath,
                                                             LockRefusal& refusal) {
    refusal = LockRefusal{};
    std::string lockFile;
    refusal.error = LockFile(managerPath, lockFile);
    if (refusal.error) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    if (auto found = held_.find(lockFile); found != held_.end()) {
        ++found->second.count;
        return std::make_unique<Hold>(this, lockFile);
    }
    std::intptr_t handle = 0;
    switch (TakeFileLock(lockFile, handle, refusal.error)) {
        case Acquired::Busy:
            refusal.busy = true;
            return nullptr;
        case Acquired::Unavailable:
            return nullptr;
        case Acquired::Locked:
            break;
    }
    held_[lockFile] = Held{handle, 1};
    return std::make_unique<Hold>(this, lockFile);
}

void NestingManagerLock::Release(const std::string& lockFile) {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = held_.find(lockFile);
    if (found == held_.end() || --found->second.count > 0) {
        return;
    }
    DropFileLock(found->second.handle);
    held_.erase(found);
}

void NestingManagerLock::DropAll() {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto& [file, held] : held_) {
        DropFileLock(held.handle);
    }
    held_.clear();
}

std::string LockFileName(const std::string& prefix, const std::string& realPath) {
    // FNV-1a: stable across runs and builds, which std::hash need not be.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : realPath) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return prefix + digits + ".lock";
}

std::string ManagerBusyText(const std::string& managerPath) {
    return "The backup manager " + managerPath +
           " is in use by another Brackenhold program. Try again when it has finished.";
}

std::string ManagerUnlockableText(const std::string& managerPath, const std::string& reason) {
    return "The backup manager " + managerPath +
           " cannot be locked against other Brackenhold programs (" + reason +
           "), so nothing was done.";
}

}  // namespace bh
