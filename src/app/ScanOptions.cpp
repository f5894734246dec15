// The scan options of the registry-cleaning page.
#include "app/ScanOptions.h"

namespace kestrover {

bool ScanOptions::Checked(ScanBox box) const {
    switch (box) {
        case ScanBox::clCR: return classesRoot_;
        case ScanBox::clCU: return currentUser_;
        case ScanBox::clLM: return localMachine_;
        case ScanBox::clU: return users_;
        case ScanBox::clActive: return comClasses_;
    }
    return false;
}

void ScanOptions::SetChecked(ScanBox box, bool checked) {
    switch (box) {
        case ScanBox::clCR:
            classesRoot_ = checked;
            if (!checked && comClasses_) comClasses_ = false;
            return;
        case ScanBox::clCU: currentUser_ = checked; return;
        case ScanBox::clLM: localMachine_ = checked; return;
        case ScanBox::clU: users_ = checked; return;
        case ScanBox::clActive:
            comClasses_ = checked;
            if (checked) classesRoot_ = true;
            return;
    }
}

ScanSelection ScanOptions::Selection() const {
    ScanSelection selection;
    selection.classesRoot = classesRoot_;
    selection.currentUser = currentUser_;
    selection.localMachine = localMachine_;
    selection.users = users_;
    selection.comClasses = comClasses_;
    return selection;
}

}  // namespace kestrover
