// File references: turning a registry value's text (a command line, a resource reference, an NT
// object path, a file URL, a path built from environment placeholders) into one absolute path,
// and the strict and lenient tests of whether a path exists.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/FileSystemPort.h"

namespace kestrover {

// The value of a folder that could not be found ("notfound-"): every existence test answers
// that it is missing, and so does any path built on it.
inline constexpr std::string_view kMissingFolderMarker = "notfound-";

// The folders that environment placeholders stand for, taken from the environment at start-up.
// An empty folder leaves texts that use it unresolved, so they are never checked.
struct KnownFolders {
    std::string systemRoot;             // "%systemroot%", "\SystemRoot"
    std::string windowsFolder;          // "%windir%", and where bare names are looked for
    std::string systemDrive;            // "%systemdrive%"
    std::string applicationData;        // "%appdata%"
    std::string localApplicationData;   // "%localappdata%"
    std::string userProfile;            // "%userprofile%"
    std::string allUsersProfile;        // "%allusersprofile%"
    std::string programData;            // "%programdata%"
    std::string publicFolder;           // "%public%"
    std::string programFiles;           // "%programfiles%", "%ProgramW6432%"
    std::string commonProgramFiles;     // "%commonprogramfiles%", "%CommonProgramW6432%"
    std::string programFilesX86;        // "%programfiles(x86)%", 64-bit Windows only
    std::string commonProgramFilesX86;  // "%commonprogramfiles(x86)%", 64-bit Windows only
    // The "(x86)" and "W6432" placeholders are only replaced on 64-bit Windows.
    bool is64BitWindows = false;
};

// Whether the process is subject to WOW64 file-system redirection (a 32-bit process on 64-bit
// Windows): only then does "system32" have to be asked for as "sysnative" to reach the real
// system folder. A 64-bit process is never redirected and has no "sysnative".
enum class Wow64Redirection { Off, On };

// Whether a resolution that finds its file returns the path (for callers that test it
// themselves) or nothing (for callers that only want missing files).
enum class ReturnFound { No, Yes };

enum class ReferenceState {
    NotCheckable,  // not a path on a local fixed drive: never reported
    Found,         // the file or folder exists
    Missing,       // the file or folder the text names does not exist
};

// A resolved reference.
//   path: the text ResolveFileReference(text, ReturnFound::Yes) gives: for Found the text from
//         the drive letter on as far as it was needed (it may keep arguments, such as an
//         entry point after a comma), for Missing the path found missing.
//   testedPath: the path the answer rests on: the file or folder that exists, without
//         arguments, or the missing path. A rule that reports a finding shows this path.
struct FileReference {
    ReferenceState state = ReferenceState::NotCheckable;
    std::string path;
    std::string testedPath;

    bool Found() const { return state == ReferenceState::Found; }
    bool Missing() const { return state == ReferenceState::Missing; }
};

// The strict test: true for an empty path and for texts that are no checkable path (no colon
// or no backslash); false for paths beginning with "notfound-"; otherwise true when a file or
// folder of that name exists (one trailing backslash ignored).
bool PathExists(FileSystemPort& fileSystem, std::string_view path, Wow64Redirection redirection);

// The lenient test: true for an empty text and for texts without ":\"; otherwise true when the
// path exists as it stands, or cut before its first comma (an icon index, an entry point), or
// then before its first slash (a command-line switch).
bool PathExistsLoose(FileSystemPort& fileSystem, std::string_view path,
                     Wow64Redirection redirection);

// The roots ("C:\") of the drives C: to Z: that are fixed disks or RAM disks, in letter order.
// Removable, network and optical drives, and drive letters whose kind cannot be told, are left
// out: a file there may only look missing because the medium is away.
std::vector<std::string> BuildLocalDrives(FileSystemPort& fileSystem);

// What one scan needs to judge file references: the file system, the known folders, the local
// drives (rebuilt before each scan) and whether redirection applies.
class FileReferenceResolver {
public:
    FileReferenceResolver(FileSystemPort& fileSystem, KnownFolders folders,
                          Wow64Redirection redirection);

    // Rebuilds the list of local drives; until then no drive path is checked.
    void BuildLocalDrives();
    // Takes a list built elsewhere (the scan driver's, made by BuildLocalDrives above); roots
    // are kept sorted, in the "C:\" form.
    void SetLocalDrives(std::vector<std::string> drives);
    const std::vector<std::string>& LocalDrives() const { return localDrives_; }
    const KnownFolders& Folders() const { return folders_; }
    Wow64Redirection Redirection() const { return redirection_; }

    // The resolution with its state. With ReturnFound::No a bare file name is not looked up
    // (it could only be found, never be missing) and stays NotCheckable.
    FileReference Resolve(std::string_view text, ReturnFound returnFound) const;

    // ReturnFound::No: the path of the missing file the text names, else empty.
    // ReturnFound::Yes: the path whether or not it exists, or empty when the text is no
    // checkable path.
    std::string ResolveFileReference(std::string_view text, ReturnFound returnFound) const;

    bool PathExists(std::string_view path) const;
    bool PathExistsLoose(std::string_view path) const;

private:
    FileReference ResolveDrivePath(std::string text, std::size_t driveColon) const;
    FileReference ResolveBareName(std::string_view name) const;
    void ReplacePlaceholders(std::string& text) const;

    FileSystemPort& fileSystem_;
    KnownFolders folders_;
    Wow64Redirection redirection_;
    std::vector<std::string> localDrives_;
};

}  // namespace kestrover
