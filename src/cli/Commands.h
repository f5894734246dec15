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
// key and value; 1 when some key, value or section was not restored.
int RestoreFile(NativePlatform& native, const CommandOptions& options, std::ostream& out,
                std::ostream& err);

// The tree of a view or restore, each key header with its values indented below it and a mark
// for what happened to each, then a count line.
void PrintTree(const std::vector<ExportNode>& nodes, LoadMode mode, std::ostream& out);

// The exit code of a loaded export file: in Restore mode 1, with a line on err, when a key
// could not be written, values were refused, or sections name no registry key (a restore that
// left any of these out did not give the file back); otherwise 0.
int RestoreExitCode(const RegExportReader& reader, LoadMode mode, std::ostream& err);

}  // namespace kestrover::cli
