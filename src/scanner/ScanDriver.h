// ScanDriver: one registry scan over the chosen roots (GoClean) and the key walker it runs
// (ReadReg), with exclusions, the stop request, the progress count and the elapsed time. It
// knows no window: status text, progress, message pumping and the clock come in as callbacks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/FileSystemPort.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"
#include "scanner/ExclusionList.h"
#include "scanner/ResultCategory.h"
#include "scanner/ScanEntrySink.h"
#include "scanner/ScanRules.h"

namespace kestrover {

// Which roots a scan walks, and whether the class behind an unused file type is reported.
struct ScanSelection {
    bool classesRoot = true;   // HKEY_CLASSES_ROOT
    bool currentUser = true;   // HKEY_CURRENT_USER\Software
    bool localMachine = true;  // HKEY_LOCAL_MACHINE\Software and the firewall rules
    bool users = true;         // HKEY_USERS
    bool comClasses = true;    // "ActiveX/COM (CLSID)"
    // The current user's security identifier ("S-1-5-21-..."), empty when unknown. HKEY_USERS
    // holds that user's hive a second time: the HKEY_USERS pass leaves out its "Software"
    // when the HKEY_CURRENT_USER pass walked it, and its "_Classes" key when the
    // HKEY_CLASSES_ROOT pass did, so that no finding is listed twice under two roots.
    std::string currentUserSid;
};

// What the walker is run for. Scan mode skips excluded keys and the COM registration trees;
// search mode (the registry search) enters every key it can read.
enum class WalkMode { Scan, Search };

// How the scan talks to whoever runs it. Every callback may be left empty.
struct ScanCallbacks {
    // The status line: "Analyzing ...", "Scan : HKEY_CLASSES_ROOT", each key's path when
    // ShowEachKey is set, and the elapsed time at the end.
    std::function<void(std::string_view)> showStatus;
    std::function<void(std::int64_t)> setProgressMaximum;
    std::function<void(std::int64_t)> setProgressPosition;
    // Lets the user interface process pending messages (the stop button among them); called
    // on entering each key and before each value and each subkey.
    std::function<void()> pumpMessages;
    // The fixed local drives ("C:\" ...), rebuilt before every scan. Left empty, no drive is
    // local and no file reference is checked.
    std::function<std::vector<std::string>()> buildLocalDrives;
    // A monotonic clock in milliseconds; the steady clock when left empty.
    std::function<std::int64_t()> nowMilliseconds;
};

// Where the scan finds its ports and files.
struct ScanEnvironment {
    RegistryContext& registry;
    FileSystemPort& fileSystem;
    ScanEntrySink& sink;
    ScanRules& rules;
    // The program's data folder, where "Exclude.lst" lives.
    std::string dataFolder;
    // The code page "Exclude.lst" is written in; Windows-1252 when not set.
    const TextCodec* ansiCodePage = nullptr;
};

// What a finished scan reports.
struct ScanReport {
    std::string elapsedText;  // "hh:nn:ss"
    bool stopped = false;     // the stop request ended it early
};

// Elapsed time as the status line shows it: hours, minutes and seconds, two digits each
// (hours grow beyond two digits past 99).
std::string FormatElapsedTime(std::int64_t milliseconds);

// The subtrees the scan never enters ("clsid", "classes", "interface", "typelib",
// "localization", in any case), and the empty name.
bool NeverEnteredKeyName(std::string_view name);

class ScanDriver {
public:
    ScanDriver(ScanEnvironment environment, ScanCallbacks callbacks);
    ScanDriver(const ScanDriver&) = delete;
    ScanDriver& operator=(const ScanDriver&) = delete;

    // Runs a whole scan: loads the exclusions, rebuilds the local drives, sets the progress
    // maximum, walks the chosen roots in order (classes root, current user, local machine
    // with its two walks, users), each pass only when the scan was not stopped, and ends
    // with the elapsed time in the status line and the progress position back at 0. What
    // was found before a stop stays with the sink. Clears the stop request first.
    ScanReport GoClean(const ScanSelection& selection);

    // Walks the subtree of startPath below root in the walk mode set, reporting through the
    // rules.
    void ReadReg(RegRoot root, std::string_view startPath);

    // The stop button: the walk ends before its next value or subkey, the scan before its
    // next pass. Safe to call from another thread (the command line's Ctrl+C).
    void StopScan() { stopRequested_.store(true); }
    bool StopRequested() const { return stopRequested_.load(); }

    // Shift held on "GO !": the status line shows the path of every key entered.
    void SetShowEachKey(bool show) { showEachKey_ = show; }
    // Scan mode unless set; GoClean always walks in scan mode.
    void SetWalkMode(WalkMode mode) { walkMode_ = mode; }
    WalkMode Mode() const { return walkMode_; }

    // Root number of the running pass (for the walker and for ReadReg called alone).
    int CurrentRootIndex() const { return context_.currentRootIndex; }
    void SetCurrentRootIndex(int index) { context_.currentRootIndex = index; }

    // The sum the progress bar runs to for these roots: the top-level keys of the classes
    // root; the subkeys of the current user's "Software", "Software\Microsoft\Windows" and
    // "Software\Microsoft\Windows\CurrentVersion"; the subkeys of the local machine's
    // "Software" and the values of its shared-DLL list; the top-level keys of HKEY_USERS.
    std::int64_t ComputeProgressMaximum(const ScanSelection& selection);
    std::int64_t ProgressPosition() const { return progressPosition_; }

    const ExclusionList& Exclusions() const { return exclusions_; }
    ExclusionList& Exclusions() { return exclusions_; }
    const std::vector<std::string>& LocalDrives() const { return localDrives_; }

private:
    // Enters one key: exclusion, opening, rules and values. Gives the subkeys to walk next,
    // or nothing when the key was skipped.
    bool VisitKey(RegRoot root, const std::string& path, std::vector<std::string>& subkeys);
    // In the HKEY_USERS pass: a key of the current user that an earlier pass walked already.
    bool WalkedUnderAnotherRoot(std::string_view relative) const;
    void AdvanceProgress();
    void ShowStatus(std::string_view text);
    void Pump();
    std::int64_t Now() const;

    ScanEnvironment environment_;
    ScanCallbacks callbacks_;
    ExclusionList exclusions_;
    std::vector<std::string> localDrives_;
    CategoryFlags flags_;
    ScanContext context_;
    std::atomic<bool> stopRequested_{false};
    bool showEachKey_ = false;
    WalkMode walkMode_ = WalkMode::Scan;
    ScanSelection selection_;
    std::int64_t progressPosition_ = 0;
};

}  // namespace kestrover
