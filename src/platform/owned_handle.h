#pragma once

#include <utility>

namespace velk {

// Owns one handle and passes it to Close once, on every path. Close is a
// function object; for the handles of the platform's interfaces it holds the
// interface that closes them. kNone means no handle: the value-initialised one
// unless the handle's kind has another (a socket's is not zero).
template <class Handle, class Close, Handle kNone = Handle{}>
class OwnedHandle {
  public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle, Close close = Close{})
        : handle_(handle), close_(std::move(close)) {}
    OwnedHandle(OwnedHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, kNone)), close_(std::move(other.close_)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, kNone);
            close_ = std::move(other.close_);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { Reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != kNone; }

    // For the out parameter of a call that opens a new handle.
    Handle* Put() {
        Reset();
        return &handle_;
    }

    void Reset() {
        if (handle_ != kNone) close_(std::exchange(handle_, kNone));
    }

  private:
    Handle handle_ = kNone;
    Close close_{};
};

}  // namespace velk
