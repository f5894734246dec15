// The shell port: what the program asks of the Windows shell and of other programs — showing
// a registry key in the system registry editor, and a file in Explorer.
#pragma once

#include <string_view>

#include "core/Result.h"

namespace kestrover {

class ShellPort {
public:
    virtual ~ShellPort() = default;

    // Shows the key in the system registry editor. target is the key as the editor names it:
    // a full root name, a backslash and the path ("HKEY_LOCAL_MACHINE\Software\Vendor"), or the
    // root name alone. A running editor is closed first and waited for, since it writes the
    // key it shows as its "LastKey" when it closes; then target is written as "LastKey" of
    // HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Applets\Regedit and the
    // editor started, which opens on it. Unsupported where there is no editor to start.
    virtual Status OpenRegistryEditor(std::string_view target) = 0;

    // Opens an Explorer window on the folder of path with the file or folder itself selected
    // ("explorer.exe /select,"path""). A path holding a double quote or a zero character
    // cannot be passed whole: InvalidData, and nothing is started. Unsupported where there is
    // no Explorer.
    virtual Status ExplorerSelect(std::string_view path) = 0;
};

}  // namespace kestrover
