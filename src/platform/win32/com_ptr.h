#pragma once

#include <utility>

namespace velk {

// Owns one COM interface pointer and releases it on every path.
template <typename Interface>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For the out parameter of a call that hands over a new reference.
    void** PutVoid() {
        Reset();
        return reinterpret_cast<void**>(&pointer_);
    }
    Interface** Put() {
        Reset();
        return &pointer_;
    }

  private:
    void Reset() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

    Interface* pointer_ = nullptr;
};

}  // namespace velk
