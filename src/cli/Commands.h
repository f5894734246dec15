// The commands of kestrover-cli, each over the platform ports, writing to the given streams.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/NativePlatform.h"
#include "platform/ports/Platform.h"
#include "registry/RegExportReader.h"

namespace kestrover::cli {

struct CommandOptions {
    std::string key;
    bool recursive = false;
    std::string pattern;
    std::string valueName;  // export: only the values of this name
    std::string file;       // export: the file written; view, restore: the file read
};

int ShowInfo(Platform& platform, std::ostream& out);
int QueryKey(Platform& platform, const CommandOptions& options, std::ostream& out,
             std::ostream& err);
int FindFiles(Platform& platform, const CommandOptions& options, std::ostream& out,
              std::ostream& err);

// Files on the command line are found through NativePlatform::LocateCommandLineFile.
// export: one branch (key and everything below it) in backup mode, as the backups are written.
int ExportBranch(NativePlatform& native, const CommandOptions& options, std::ostream& out,
                 std::ostream& err);
// view: the file's tree, each key header with its values indented below it.
int ViewFile(NativePlatform& native, const CommandOptions& options, std::ostream& out,
             std::ostream& err);
// restore: writes the file into the registry and prints the tree with what happened to each
// key and value; 1 when some key could not be written.
int RestoreFile(NativePlatform& native, const CommandOptions& options, std::ostream& out,
                std::ostream& err);

// The tree of a view or restore, each key header with its values indented below it and a mark
// for what happened to each, then a count line.
void PrintTree(const std::vector<ExportNode>& nodes, LoadMode mode, std::ostream& out);

}  // namespace kestrover::cli
