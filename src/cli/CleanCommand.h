// kestrover-cli clean and export-results: scan, select, then delete with a backup or export
// the selected findings, through the same commands the window runs.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "app/Prompts.h"
#include "platform/NativePlatform.h"

namespace CLI {
class App;
}

namespace kestrover::cli {

enum class FindingSelection { Green, Red, All };

struct CleanOptions {
    std::string roots = "cr,cu,lm,u";
    bool noCom = false;
    FindingSelection select = FindingSelection::Green;
    bool noBackup = false;
    std::string backupName;  // the name dialog's answer; empty keeps the proposed name
    bool dryRun = false;
    bool json = false;
};

// Scans, selects and deletes with a backup in the data folder's "Backup" folder (dataFolder
// ends with a backslash), printing each entry with its outcome and the backup file. A dry run
// prints the same lines with the outcome "planned" and the file a real run would write, and
// changes nothing. 0 when everything selected is gone; 1 when the backup could not be written
// (nothing deleted), an entry could not be deleted, or the confirmation was declined; 2 for
// bad options.
int RunClean(Platform& platform, std::string_view dataFolder, const CleanOptions& options,
             Prompts& prompts, std::ostream& out, std::ostream& err);

// Scans, selects and writes the selected findings to an export file in the backup folder.
int RunExportResults(Platform& platform, std::string_view dataFolder, const CleanOptions& options,
                     Prompts& prompts, std::ostream& out, std::ostream& err);

// The "clean" and "export-results" commands on the command line.
class CleanCommandLine {
public:
    void AddTo(CLI::App& app);
    bool Chosen() const;
    // Opens the data folder (--data-dir) and runs the chosen command with the command line's
    // prompts (--yes answers the confirmation).
    int Run(NativePlatform& native, std::string_view dataDirOption, std::ostream& out,
            std::ostream& err);

private:
    CLI::App* clean_ = nullptr;
    CLI::App* export_ = nullptr;
    CleanOptions options_;
    bool yes_ = false;
};

}  // namespace kestrover::cli
