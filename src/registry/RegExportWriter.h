// RegExportWriter: writes registry export files, the backups every deletion makes first and
// the snapshots the installation monitor compares. A file is "REGEDIT4" in the ANSI code page
// when every name and text in it fits that code page; otherwise the whole file is written as
// "Windows Registry Editor Version 5.00" in UTF-16LE with a byte-order mark, as the system's
// registry editor writes it, so nothing turns into "?".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegExportFormat.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

class RegExportWriter {
public:
    RegExportWriter(RegistryContext& registry, FileSystemPort& fileSystem);
    ~RegExportWriter();

    // Creates the file, or truncates it. False when it cannot be created: the caller ends its
    // operation (and deletes nothing).
    bool BeginExportFile(std::string_view path);
    // Appends the section of root\keyPath and, recursively, of every key below it. With a
    // value filter only the values named exactly so are written (never the default value),
    // but every subkey still gets its header.
    void ExportKey(RegRoot root, std::string_view keyPath, std::string_view valueFilter = {});
    // Writes the file out and closes it. An error when any of it could not be written (a full
    // disk): the backup is then not to be trusted.
    Status EndExportFile();

    // Snapshot mode: no blank lines, no wrapped lines, SkipSnapshotKey consulted for every
    // subkey, progressStep called for every subkey exported.
    bool snapshotMode = false;
    std::function<bool(std::string_view subkeyName, std::string_view subkeyPath)> SkipSnapshotKey;
    std::function<void()> progressStep;
    // Called between subkeys in snapshot mode so that the window stays responsive.
    std::function<void()> pumpMessages;
    // Called when a value could not be read, and is left out. The main window shows its
    // "TweakError" text for it; the value's type cannot be known then, so every unreadable
    // value reports, not only expand-strings and multi-strings.
    std::function<void(std::string_view valueName)> valueReadFailed;

    // The form EndExportFile chose (or will choose) for what was exported so far.
    ExportFileForm Form() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Merges the repeated key sections of a finished backup and replaces the file atomically; the
// file keeps its form. On failure the old file stays as it was.
Status CompactExportFile(FileSystemPort& fileSystem, const TextCodec& ansiCodePage,
                         std::string_view path);

}  // namespace kestrover
