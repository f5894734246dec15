// The ANSI code page: how settings and export files turn bytes into text and back.
#pragma once

#include <string>
#include <string_view>

namespace kestrover {

class TextCodec {
public:
    virtual ~TextCodec() = default;

    // Bytes in the code page to UTF-8. Every byte maps to some character.
    virtual std::string ToUtf8(std::string_view bytes) const = 0;
    // UTF-8 to bytes in the code page. A character the code page cannot hold becomes "?" and
    // clears *lossless when given.
    virtual std::string FromUtf8(std::string_view text, bool* lossless = nullptr) const = 0;
    // True when every character of text exists in the code page.
    bool CanEncode(std::string_view text) const {
        bool lossless = true;
        FromUtf8(text, &lossless);
        return lossless;
    }
};

// Windows-1252, the ANSI code page of Western European Windows: the Linux build's code page.
class Windows1252Codec final : public TextCodec {
public:
    std::string ToUtf8(std::string_view bytes) const override;
    std::string FromUtf8(std::string_view text, bool* lossless = nullptr) const override;
};

const TextCodec& Windows1252();

}  // namespace kestrover
