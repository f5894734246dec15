// Windows paths taken apart into a drive letter and names, the way every file-system port
// that does not hand paths to kernel32 (memory, posix) reads them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrover {

// Limits of Win32 paths, counted in UTF-16 code units: a name in a folder, and a whole path
// (the "\\?\" form's limit; nothing longer can name a file on Windows).
inline constexpr std::size_t kMaxFileNameLength = 255;
inline constexpr std::size_t kMaxPathLength = 32767;

// An absolute path on a drive: "C:\Windows\System32" is drive 'C' and {"Windows", "System32"}.
struct WindowsPath {
    char drive = 'C';                     // upper-case letter
    std::vector<std::string> components;  // empty for the drive root
    bool trailingSeparator = false;       // "C:\Windows\"; never set for the root itself

    bool IsRoot() const { return components.empty(); }
    // The last name; the root has none.
    const std::string& Name() const;
    // The folder holding this path; the root's parent is the root.
    WindowsPath Parent() const;
    WindowsPath Child(std::string name) const;
    // "C:\Windows\System32", "C:\" for the root, without any trailing separator.
    std::string ToString() const;
    // Same drive and the same names, compared as Windows compares names.
    bool SameAs(const WindowsPath& other) const;
    // True when other is this path or lies below it.
    bool Contains(const WindowsPath& other) const;
};

// Reads an absolute path: a drive letter, a colon and names separated by backslashes or
// slashes ("C:\a\b", "c:/a/b"), optionally behind the "\\?\" prefix; "C:" alone is the root.
// "." names are dropped and ".." steps up (never above the root), as Win32 does. Nothing comes
// back for relative or UNC paths, empty names ("C:\a\\b"), names Windows refuses (see
// IsValidFileName) or paths beyond the length limits.
std::optional<WindowsPath> ParseWindowsPath(std::string_view path);

// The upper-case letter of a drive root as GetDriveType takes it ("C:\", "C:/" or "C:"), or
// nothing for anything else, longer paths included.
std::optional<char> ParseDriveRoot(std::string_view root);

// A FindFiles pattern: the folder to list and the mask after its last separator
// ("C:\Windows\*.exe" is C:\Windows and "*.exe"). The mask is empty when the pattern ends in a
// separator. Nothing comes back when the folder part is not a valid path or the mask holds
// characters no name can have.
struct FindPattern {
    WindowsPath folder;
    std::string mask;
};
std::optional<FindPattern> ParseFindPattern(std::string_view pattern);

// A name a file or folder may have on Windows: not empty, not "." or "..", at most 255 UTF-16
// code units, and free of control characters and of \ / : * ? " < > |.
bool IsValidFileName(std::string_view name);

// Length of UTF-8 text in UTF-16 code units, the unit Windows counts path lengths in.
std::size_t Utf16Length(std::string_view text);

}  // namespace kestrover
