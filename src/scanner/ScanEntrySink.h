// Where the walker's findings go: the result list (or, in tools-list mode, the tools list).
#pragma once

#include <string>
#include <string_view>

#include "scanner/ResultCategory.h"

namespace kestrover {

// Why a finding was reported, beyond its entry text: for the command line's JSON and for a
// user who asks "why is this listed?".
struct FindingDetail {
    std::string rule;        // the rule that reported it ("missing-data-file", "app-path", ...)
    std::string testedPath;  // the path found missing, when the rule tested one
};

class ScanEntrySink {
public:
    virtual ~ScanEntrySink() = default;

    // Adds one entry: text is "key path", optionally "||value name" and "|||data"; the sink adds
    // the stripe, the root digit of rootIndex and the markers of the set flags, drops what it
    // must (texts with "do.not.delete", keys it cannot open for writing) and clears the flags,
    // whether the entry was added or dropped. True when the entry was added.
    virtual bool AddScanEntry(std::string_view text, int rootIndex, CategoryFlags& flags,
                              const FindingDetail& detail) = 0;
};

}  // namespace kestrover
