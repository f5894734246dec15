// <windows.h> for the Win32 layer, without the A/W macros that would rename the ports' own
// methods (FileSystemPort::CreateDirectory would otherwise become CreateDirectoryW).
#pragma once

#include <windows.h>

#undef CreateDirectory
#undef RemoveDirectory
#undef MoveFile
#undef DeleteFile
#undef CreateFile
#undef GetDriveType
