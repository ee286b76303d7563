// Owning wrappers of Win32 handles: one move-only template, one alias per
// handle kind with its close function and its empty value; and a COM
// interface's owner.
#pragma once

#include <windows.h>

#include <utility>

namespace plat::win {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    bool valid() const { return value_ != Traits::empty(); }
    explicit operator bool() const { return valid(); }

    // For calls that return the handle through an out parameter.
    T* put() {
        reset();
        return &value_;
    }
    T release() { return std::exchange(value_, Traits::empty()); }
    void reset(T value = Traits::empty()) {
        T old = std::exchange(value_, value);
        if (old != Traits::empty()) Traits::close(old);
    }

private:
    T value_ = Traits::empty();
};

struct FindHandleTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};

// Process and token handles: NULL is the empty value.
struct KernelHandleTraits {
    static HANDLE empty() { return nullptr; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};

// File handles from CreateFile: INVALID_HANDLE_VALUE is the empty value.
struct FileHandleTraits {
    static HANDLE empty() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};

struct KeyHandleTraits {
    static HKEY empty() { return nullptr; }
    static void close(HKEY h) { ::RegCloseKey(h); }
};

using FindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using KernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using FileHandle = UniqueHandle<HANDLE, FileHandleTraits>;
using KeyHandle = UniqueHandle<HKEY, KeyHandleTraits>;

// A COM interface, released when it goes; calls that return one write `p`.
template <typename T>
struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p) p->Release();
    }
};

}  // namespace plat::win
