// An owning reference to a COM interface: releases it when replaced or destroyed.
#pragma once

#include <utility>

template <typename T>
class ComRef {
  public:
    ComRef() = default;
    explicit ComRef(T* adopted) : ptr_(adopted) {}
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }
    ~ComRef() { Reset(); }

    // Releases the held interface (if any) and adopts `adopted` without AddRef.
    void Reset(T* adopted = nullptr) {
        T* old = std::exchange(ptr_, adopted);
        if (old) old->Release();
    }
    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // Address for an out parameter; releases what was held first.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }

  private:
    T* ptr_ = nullptr;
};
