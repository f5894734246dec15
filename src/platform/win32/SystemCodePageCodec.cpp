// ANSI code page conversion with MultiByteToWideChar and WideCharToMultiByte.
#include "platform/win32/SystemCodePageCodec.h"

#include <climits>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace kestrover {

using win32::FromWide;
using win32::ToWide;

std::string SystemCodePageCodec::ToUtf8(std::string_view bytes) const {
    // The conversions count in ints, and refuse a length of zero.
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    int length = static_cast<int>(bytes.size());
    int wideLength = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    wideLength = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), wideLength);
    wide.resize(static_cast<std::size_t>(wideLength > 0 ? wideLength : 0));
    return FromWide(wide);
}

std::string SystemCodePageCodec::FromUtf8(std::string_view text, bool* lossless) const {
    if (lossless != nullptr) *lossless = true;
    std::wstring wide = ToWide(text);
    if (wide.empty() || wide.size() > INT_MAX) return {};
    int length = static_cast<int>(wide.size());
    // No best fit: "ā" must not quietly become "a"; a character the code page lacks becomes
    // the default character and is reported.
    constexpr DWORD kFlags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    int size =
        ::WideCharToMultiByte(CP_ACP, kFlags, wide.data(), length, nullptr, 0, "?", &usedDefault);
    if (size <= 0) {
        if (lossless != nullptr) *lossless = false;
        return {};
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    size = ::WideCharToMultiByte(CP_ACP, kFlags, wide.data(), length, bytes.data(), size, "?",
                                 &usedDefault);
    bytes.resize(static_cast<std::size_t>(size > 0 ? size : 0));
    if (lossless != nullptr && (usedDefault || size <= 0)) *lossless = false;
    return bytes;
}

}  // namespace kestrover
