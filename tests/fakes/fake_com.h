#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com.h"

namespace velk {

// COM that counts initialisation per thread as the system does and records
// every call with its thread, so tests can check where COM was set up and that
// it was undone.
class FakeCom : public Com {
  public:
    struct Call {
        bool initialize;  // false: Uninitialize
        std::thread::id thread;
        std::int32_t result;  // of Initialize; 0 for Uninitialize
    };

    std::int32_t Initialize() override;
    void Uninitialize() override;

    std::vector<Call> Calls() const;
    // Makes Initialize answer as on a thread already set up in another mode.
    void FailInitialize();

  private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    std::map<std::thread::id, int> depth_;
    bool failInitialize_ = false;
};

}  // namespace velk
