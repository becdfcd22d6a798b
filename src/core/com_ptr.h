// ComPtr: owns at most one counted reference to a COM interface. Never throws,
// so it is safe behind the library's C exports. Used for every object a call
// takes only for itself; the slot's own fields are plain pointers released in
// a fixed order by the slot teardown. query<U>() asks an object for another of
// its interfaces, the identifier taken from the type.
#pragma once

#include <unknwn.h>

#include <utility>

namespace vcx {

// Which answers of QueryInterface hand out the interface: S_OK alone, or any
// success. Either way a null interface counts as none.
enum class QueryRule { kOnlyOk, kAnySuccess };

template <class T> class ComPtr;

// object's interface U (__uuidof(U)), or an empty holder when object is null
// or its answer does not pass rule; whatever a refused answer handed out is
// released.
template <class U, class T> ComPtr<U> query(T* object, QueryRule rule = QueryRule::kOnlyOk);

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

    // The held object's interface U, as the free query() gives it.
    template <class U> ComPtr<U> query(QueryRule rule = QueryRule::kOnlyOk) const {
        return vcx::query<U>(ptr_, rule);
    }

  private:
    T* ptr_ = nullptr;
};

template <class U, class T> ComPtr<U> query(T* object, QueryRule rule) {
    ComPtr<U> result;
    if (object == nullptr) {
        return result;
    }
    const HRESULT hr = object->QueryInterface(__uuidof(U), result.putVoid());
    const bool passes = rule == QueryRule::kOnlyOk ? hr == S_OK : SUCCEEDED(hr);
    if (!passes) {
        result.reset();
    }
    return result;
}

} // namespace vcx
