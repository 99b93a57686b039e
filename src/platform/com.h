#pragma once

#include <cstdint>

namespace velk {

// Results of initialising COM on a thread, with the system's values.
inline constexpr std::int32_t kComOk = 0;
// The thread had COM already; the call still counts and needs its Uninitialize.
inline constexpr std::int32_t kComAlreadyInitialized = 1;
// The thread had COM in another apartment mode; nothing to undo.
inline constexpr std::int32_t kComChangedMode = static_cast<std::int32_t>(0x80010106u);

// COM for the calling thread. Initialization is counted per thread: every
// call with a non-negative result needs one Uninitialize on the same thread.
class Com {
  public:
    virtual ~Com() = default;
    virtual std::int32_t Initialize() = 0;
    virtual void Uninitialize() = 0;
};

// COM initialised on the creating thread for the lifetime of the object.
class ComScope {
  public:
    explicit ComScope(Com& com) : com_(com), initialized_(com.Initialize() >= 0) {}
    ~ComScope() {
        if (initialized_) com_.Uninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    Com& com_;
    bool initialized_;
};

}  // namespace velk
