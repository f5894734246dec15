// The shell port on Windows: the registry editor opened on a key through its "LastKey" value.
#pragma once

#include <string>

#include "platform/ports/ShellPort.h"

namespace kestrover {

class Win32Shell final : public ShellPort {
public:
    // editorCommand: the command line that starts the editor; the Windows folder's
    // "regedit.exe" when empty (this process is a 64-bit one, so it is the 64-bit editor).
    explicit Win32Shell(std::wstring editorCommand = {})
        : editorCommand_(std::move(editorCommand)) {}

    Status OpenRegistryEditor(std::string_view target) override;

private:
    std::wstring editorCommand_;
};

}  // namespace kestrover
