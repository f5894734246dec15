// Result<T>: what a platform operation returns when it can fail, in place of exceptions.
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace kestrover {

enum class ErrorCode {
    NotFound,
    AccessDenied,
    AlreadyExists,
    InvalidData,
    Unsupported,
    Io,
};

const char* ErrorCodeName(ErrorCode code);

struct Error {
    ErrorCode code = ErrorCode::Io;
    std::uint32_t nativeCode = 0;  // the system's own code (a Win32 error, an errno), 0 when none
    std::string context;           // what was being done, for messages and logs

    std::string Describe() const;
};

inline Error MakeError(ErrorCode code, std::string context = {}, std::uint32_t nativeCode = 0) {
    return Error{code, nativeCode, std::move(context)};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & {
        assert(ok() && "value() of a failed Result");
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(ok() && "value() of a failed Result");
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok() && "value() of a failed Result");
        return std::get<0>(std::move(state_));
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const {
        assert(!ok() && "error() of a successful Result");
        return std::get<1>(state_);
    }
    ErrorCode code() const { return error().code; }

private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const {
        assert(failed_ && "error() of a successful Result");
        return error_;
    }
    ErrorCode code() const { return error().code; }

private:
    Error error_;
    bool failed_ = false;
};

using Status = Result<void>;

}  // namespace kestrover
