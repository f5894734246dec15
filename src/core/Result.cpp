// Names of error codes and the text of an error, for messages and logs.
#include "core/Result.h"

namespace kestrover {

const char* ErrorCodeName(ErrorCode code) {
    switch (code) {
        case ErrorCode::NotFound: return "not found";
        case ErrorCode::AccessDenied: return "access denied";
        case ErrorCode::AlreadyExists: return "already exists";
        case ErrorCode::InvalidData: return "invalid data";
        case ErrorCode::Unsupported: return "unsupported";
        case ErrorCode::Io: return "input/output error";
    }
    return "unknown error";
}

std::string Error::Describe() const {
    std::string text = ErrorCodeName(code);
    if (!context.empty()) text = context + ": " + text;
    if (nativeCode != 0) text += " (code " + std::to_string(nativeCode) + ")";
    return text;
}

}  // namespace kestrover
