// RegExportReader: reads a registry export file into a tree of key and value nodes for the
// backups page, and in restore mode writes it back into the registry. Reads the files this
// program writes (both forms) and the ones the system's registry editor writes ("REGEDIT4",
// and "Windows Registry Editor Version 5.00" in UTF-16LE or UTF-8).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "platform/ports/FileSystemPort.h"
#include "registry/RegistryProvider.h"

namespace kestrover {

enum class LoadMode { ViewOnly, Restore };

enum class ExportNodeStatus {
    // Key nodes
    RootIcon,  // view only: the key keeps the icon of its root
    Created,   // restore: the key did not exist and was created
    Writable,  // restore: the key existed and took the write test
    Failed,    // restore: the key could not be created or written
    // Value nodes
    Restored,
    ViewOnly,
    TooLong,  // the one node shown for a section with too many values to show
};

struct ExportNode {
    std::string text;  // header line for a key ("[HKEY_...\\Path]"), "name=shown data" for a value
    ExportNodeStatus status = ExportNodeStatus::RootIcon;
    std::optional<RegRoot> root;  // key nodes: the root, when the reader knows it
    std::string keyPath;          // key nodes: the path below the root
    std::vector<ExportNode> children;  // key nodes: their values, in file order
    // Key nodes: the rest of the section's values was given up at a value that could not be
    // read (a hex pair that is not hex) or that the registry refused.
    bool abandoned = false;
};

class RegExportReader {
public:
    RegExportReader(RegistryContext& registry, FileSystemPort& fileSystem);

    // Clears the tree and reads the file; in Restore mode also writes every section into the
    // registry. An error only when the file cannot be read at all; failures inside the file
    // are recorded per node and in Failed().
    // A section under a root the reader does not know (or whose header is not closed) is shown
    // and never restored: its key node has no root and keeps RootIcon, its values ViewOnly. A
    // value that cannot be read or that the registry refuses ends the writing of its section
    // (ExportNode::abandoned); the rest of the section is still shown, as ViewOnly.
    Status LoadExportFile(std::string_view path, LoadMode mode);
    // Stops the load after the section in progress.
    void RequestStop() { stopRequested_ = true; }

    const std::vector<ExportNode>& Nodes() const { return nodes_; }
    // Set when preparing some key for writing failed; enables "Show Protected".
    bool Failed() const { return failed_; }
    // Set when some section's values were given up part way (see ExportNode::abandoned).
    bool SectionsAbandoned() const { return sectionsAbandoned_; }

    // Display texts (from the language table).
    std::string tooLongText = "(string too long)";
    std::string defaultText = "(default)";
    // Progress: the index of the current line and the count of lines; (0, 0) when the load
    // ends, to reset and hide the bar.
    std::function<void(std::size_t position, std::size_t maximum)> progress;
    // Called once per section and per value line so that the window stays responsive.
    std::function<void()> pumpMessages;

private:
    RegistryContext& registry_;
    FileSystemPort& fileSystem_;
    std::vector<ExportNode> nodes_;
    bool failed_ = false;
    bool sectionsAbandoned_ = false;
    bool stopRequested_ = false;
};

}  // namespace kestrover
