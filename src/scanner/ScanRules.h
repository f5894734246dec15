// ScanRules: what the scan walker calls at its two fixed points of every key — the key rules
// once the key's names are read, and the value rules once per value — and the context they
// report through.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/ports/FileSystemPort.h"
#include "platform/ports/RegistryPort.h"
#include "registry/RegRoot.h"
#include "registry/RegistryProvider.h"
#include "scanner/ResultCategory.h"
#include "scanner/ScanEntrySink.h"

namespace kestrover {

// What a scan shares with its rules for its whole run. The driver owns it; CurrentRootIndex
// changes from one root pass to the next and the flags are cleared on entering every key.
struct ScanContext {
    RegistryContext& registry;
    FileSystemPort& fileSystem;
    ScanEntrySink& sink;
    // The category flags of the finding being built. The sink clears them after every entry,
    // added or dropped; the walker clears them on entering every key.
    CategoryFlags& flags;
    // The fixed local drives ("C:\", upper case, sorted), rebuilt before every scan: file
    // references on other drives are never checked.
    const std::vector<std::string>& localDrives;
    // Root number of the pass that is running: 0 classes root, 1 current user, 2 local
    // machine, 3 users.
    int currentRootIndex = 0;
    // The "ActiveX/COM (CLSID)" box: whether the class behind an unused file type is reported.
    bool reportComClasses = true;
    // Moves the progress bar on by one; the rules call it for every value they examine in a
    // key whose value names are file paths (shared DLLs, compatibility layers, fonts).
    std::function<void()> advanceProgress;
    // The classes listed so far in this scan (upper-cased CLSID texts): several unused file
    // types may name one class, which is listed once, as deleting it twice would fail.
    std::unordered_set<std::string> listedClasses;

    // Adds one finding with the current flags and root; see ScanEntrySink::AddScanEntry.
    bool AddScanEntry(std::string_view text, const FindingDetail& detail = {}) {
        return sink.AddScanEntry(text, currentRootIndex, flags, detail);
    }
    void AdvanceProgress() {
        if (advanceProgress) advanceProgress();
    }
};

// One key as the walker hands it to the rules: open read-only, its names read once.
struct KeyVisit {
    RegRoot root;
    // Open read-only on the key. Rules read through it; to look at other keys they use
    // providers of their own, so that the rules after them still find this key open.
    RegistryProvider& provider;
    // The key path below the root as the provider opened it, no leading backslash.
    std::string_view path;
    // LastKeyName of the path ("K"); empty only for the root itself.
    std::string_view keyName;
    // Subkey names in enumeration order.
    const std::vector<std::string>& subkeyNames;
    // Every value with its type and bytes, in enumeration order ("" is the default value).
    const std::vector<RegistryValue>& values;
    // The rules' working data text ("D"), carried from one value to the next within the key.
    // The walker sets it, on entering the key, to the key path lower-cased; the rules set or
    // empty it as they go.
    std::string data;
};

class ScanRules {
public:
    virtual ~ScanRules() = default;

    // Called when a scan starts, before its first key: what the rules learnt of the file
    // system in an earlier scan is forgotten.
    virtual void BeginScan() {}

    // Called once per key whose name is not empty, after its subkey and value lists are read
    // and before its values are walked.
    virtual void ApplyKeyRules(ScanContext& context, KeyVisit& key) = 0;
    // Called for every value of the key, in list order, unless the scan was stopped first.
    // All the work for one value (its entry included) is done before this returns.
    virtual void ApplyValueRules(ScanContext& context, KeyVisit& key,
                                 const RegistryValue& value) = 0;

    // Called before the walker opens a key (path without a leading backslash, "" for the
    // root); false passes the key by with its subtree. The registry search lists the keys it
    // may not change here.
    virtual bool EnterKey(ScanContext& context, RegRoot root, std::string_view path) {
        (void)context, (void)root, (void)path;
        return true;
    }
    // Called for each subkey the walker is about to descend into, after the stop test, with
    // its parent's path (no leading backslash) and its name. The registry search matches key
    // names here, so that a key's hit comes right before the hits of its subtree.
    virtual void BeforeSubkey(ScanContext& context, RegRoot root, std::string_view parentPath,
                              std::string_view name) {
        (void)context, (void)root, (void)parentPath, (void)name;
    }
};

}  // namespace kestrover
