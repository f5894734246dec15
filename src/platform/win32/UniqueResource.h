// UniqueResource: the one move-only owner of Win32 handles, with an alias per close function.
#pragma once

#include <utility>

#include "platform/win32/WindowsApi.h"

namespace kestrover::win32 {

// Traits name the handle type, its "empty" value and the function that closes it.
template <class Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type value) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }
    // For out parameters: closes what is held and hands out the slot to fill.
    Type* put() noexcept {
        reset();
        return &value_;
    }
    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type value_ = Traits::Invalid();
};

struct KeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type key) noexcept { ::RegCloseKey(key); }
};

// File handles: CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
struct HandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { ::CloseHandle(handle); }
};

struct FindTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { ::FindClose(handle); }
};

using UniqueKey = UniqueResource<KeyTraits>;
using UniqueHandle = UniqueResource<HandleTraits>;
using UniqueFind = UniqueResource<FindTraits>;

}  // namespace kestrover::win32
