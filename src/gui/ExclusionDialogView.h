// TfrmExcl, "Kestrover Exclusions": the list of excluded keys (EXL, ROOT and Keys), the root box
// (cbK) and the key edit (enK), Add, Modify, Delete, Import, OK and Cancel — a modal dialog over
// the exclusion dialog's model, which decides everything it does.
#pragma once

#include "gui/ViewHost.h"

namespace kestrover::gui {

// btexclude1Click: runs the dialog over the main window on "Exclude.lst" and applies its
// result (the rows written on OK, the file sorted and saved back on OK and Cancel alike).
void RunExclusionDialog(ViewHost& host);

}  // namespace kestrover::gui
