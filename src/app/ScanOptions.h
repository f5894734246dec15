// ScanOptions: the five check boxes of the registry-cleaning page that choose what a scan
// walks, with the coupling of the two COM-related boxes.
#pragma once

#include "scanner/ScanDriver.h"

namespace kestrover {

// The boxes by their control names.
enum class ScanBox {
    clCR,      // "HKEY_CLASSES_ROOT"
    clCU,      // "HKEY_CURRENT_USER"
    clLM,      // "HKEY_LOCAL_MACHINE"
    clU,       // "HKEY_USERS"
    clActive,  // "ActiveX/COM (CLSID)"
};

class ScanOptions {
public:
    // All five boxes start checked.
    ScanOptions() = default;

    bool Checked(ScanBox box) const;
    // Checks or unchecks one box as a click would. The classes of unused file types can only
    // be judged in the classes-root pass: checking clActive also checks clCR, and unchecking
    // clCR while clActive is checked unchecks clActive.
    void SetChecked(ScanBox box, bool checked);

    // What the scan driver is given.
    ScanSelection Selection() const;

private:
    bool classesRoot_ = true;
    bool currentUser_ = true;
    bool localMachine_ = true;
    bool users_ = true;
    bool comClasses_ = true;
};

}  // namespace kestrover
