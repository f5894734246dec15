// The system's ANSI code page (CP_ACP) as a TextCodec, over the kernel32 conversions.
#pragma once

#include "core/TextCodec.h"

namespace kestrover {

class SystemCodePageCodec final : public TextCodec {
public:
    std::string ToUtf8(std::string_view bytes) const override;
    std::string FromUtf8(std::string_view text, bool* lossless = nullptr) const override;
};

}  // namespace kestrover
