// The shell port on Windows: the registry editor opened on a key through its "LastKey" value,
// and Explorer started on a file's folder with the file selected.
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
    Status ExplorerSelect(std::string_view path) override;

private:
    std::wstring editorCommand_;
};

// The command line that starts explorer (a program path) on path's folder with path selected:
// the program quoted, then /select, and the quoted path.
std::wstring ExplorerSelectCommandLine(std::wstring_view explorer, std::wstring_view path);

}  // namespace kestrover
