#include "fakes/fake_com.h"

namespace velk {

std::int32_t FakeCom::Initialize() {
    std::lock_guard lock(mutex_);
    const auto thread = std::this_thread::get_id();
    std::int32_t result = kComChangedMode;
    if (!failInitialize_) result = depth_[thread]++ == 0 ? kComOk : kComAlreadyInitialized;
    calls_.push_back({true, thread, result});
    return result;
}

void FakeCom::Uninitialize() {
    std::lock_guard lock(mutex_);
    const auto thread = std::this_thread::get_id();
    // Like the system, an unbalanced call does nothing.
    if (auto found = depth_.find(thread); found != depth_.end() && --found->second == 0) {
        depth_.erase(found);
    }
    calls_.push_back({false, thread, 0});
}

std::vector<FakeCom::Call> FakeCom::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void FakeCom::FailInitialize() {
    std::lock_guard lock(mutex_);
    failInitialize_ = true;
}

}  // namespace velk
