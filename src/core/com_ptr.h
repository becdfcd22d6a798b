// ComPtr: owns at most one counted reference to a COM interface. Never throws,
// so it is safe behind the library's C exports. Used for every object a call
// takes only for itself; the slot's own fields are plain pointers released in
// a fixed order by the slot teardown.
#pragma once

#include <unknwn.h>

#include <utility>

namespace vcx {

template <class T> class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Releases the held reference, if any.
    void reset() {
        if (T* old = std::exchange(ptr_, nullptr)) {
            old->Release();
        }
    }

    // Releases the held reference and hands out the slot for a new one.
    T** put() {
        reset();
        return &ptr_;
    }

    // Same as put(), typed for calls that write a void**.
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Gives up ownership without releasing.
    T* detach() { return std::exchange(ptr_, nullptr); }

  private:
    T* ptr_ = nullptr;
};

} // namespace vcx
