#pragma once

#include <utility>

namespace velk {

// Owns one handle and passes it to Close once, on every path. Close is a
// function object; for the handles of the platform's interfaces it holds the
// interface that closes them. The value-initialised handle means none.
template <class Handle, class Close>
class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle, Close close = Close{})
        : handle_(handle), close_(std::move(close)) {}
    OwnedHandle(OwnedHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Handle{})), close_(std::move(other.close_)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Handle{});
            close_ = std::move(other.close_);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { Reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }

    // For the out parameter of a call that opens a new handle.
    Handle* Put() {
        Reset();
        return &handle_;
    }

    void Reset() {
        if (handle_ != Handle{}) close_(std::exchange(handle_, Handle{}));
    }

  private:
    Handle handle_{};
    Close close_{};
};

}  // namespace velk
