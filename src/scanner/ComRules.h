// ComRules: the scan rules that judge file-type registrations below HKEY_CLASSES_ROOT and the
// COM classes behind them, and the per-user "Open With" lists of file extensions.
#pragma once

#include <string>
#include <string_view>

#include "registry/RegistryProvider.h"
#include "scanner/FileReference.h"
#include "scanner/ScanRules.h"

namespace kestrover {

// The answer about a COM class (ComServerValid, ClsidValid).
struct ComServerVerdict {
    bool valid = true;
    // The server text resolved (ReturnFound::Yes), as far as it was needed; arguments kept.
    std::string serverPath;
    // The file found missing when the class is invalid; empty otherwise.
    std::string testedPath;
};

// The answer about a file type (FileTypeInUse, FileTypeKeyInUse).
struct FileTypeVerdict {
    bool inUse = true;
    // The class named by the file type's "CLSID" subkey; empty when it has none.
    std::string clsid;
    // The file found missing when the verdict rests on one; empty otherwise.
    std::string testedPath;
};

// Whether the COM class registered at classPath (below HKEY_CLASSES_ROOT, such as
// "CLSID\{...}") has a server file. A class whose key, server key or server text cannot be
// read, or whose server text is no checkable local path, is valid: the scan never reports
// what it cannot read. A server command line is judged by the program it names, not by the
// whole line with its switches.
ComServerVerdict ComServerValid(RegistryContext& registry, const FileReferenceResolver& resolver,
                                std::string_view classPath);

// ComServerValid for "CLSID\" and clsid; on 64-bit Windows a class that is invalid there is
// valid when its 32-bit registration ("Wow6432Node\CLSID\" and clsid) is.
ComServerVerdict ClsidValid(RegistryContext& registry, const FileReferenceResolver& resolver,
                            std::string_view clsid);

// Whether the top-level key keyName of HKEY_CLASSES_ROOT is in use judged by its own content:
// an empty key, an extension naming a versioned file type that does not exist, and a file
// type whose open verb is delegated to a class without a server are not in use.
FileTypeVerdict FileTypeKeyInUse(RegistryContext& registry, const FileReferenceResolver& resolver,
                                 std::string_view keyName);

// Whether the top-level key keyName of HKEY_CLASSES_ROOT is in use: by its class when it names
// one (an invalid class leaves it in use when its own shell verbs are), else by its content.
FileTypeVerdict FileTypeInUse(RegistryContext& registry, const FileReferenceResolver& resolver,
                              std::string_view keyName);

// Key rule, classes-root pass, top-level keys only: an unused extension or file type is
// reported ("unused-extension" for a key beginning with a dot, else "unused-file-type"), and,
// when context.reportComClasses is set, the invalid class that made it unused
// ("invalid-clsid", the entry "CLSID\{...}").
void UnusedFileTypeRule(ScanContext& context, KeyVisit& key, const FileReferenceResolver& resolver);

// Key rule, current-user pass: an empty "OpenWithList" below "...\FileExts\.ext" whose
// extension key holds nothing else reports that extension key ("open-with").
void OpenWithRule(ScanContext& context, KeyVisit& key, const FileReferenceResolver& resolver);

// Value rule, last for each value: in a "...\shell\open\command" key, a command whose program
// is missing reports the key named after that program when the path holds one (as below
// "Applications"), else the file type above "shell\open\command" ("open-command").
// The rules run before it leave the entry for such a value to it.
void OpenCommandRule(ScanContext& context, KeyVisit& key, const RegistryValue& value,
                     const FileReferenceResolver& resolver);

}  // namespace kestrover
