// UTF-8 to UTF-16 at the Win32 boundary: wchar_t is a UTF-16 code unit on Windows.
#include "platform/win32/WideText.h"

#include "core/Unicode.h"

namespace kestrover::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 on Windows");

std::wstring ToWide(std::string_view text) {
    std::u16string utf16 = Utf8ToUtf16(text);
    return std::wstring(utf16.begin(), utf16.end());
}

std::string FromWide(std::wstring_view text) {
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace kestrover::win32
