// The commands that change the exclusion list from the main window: the "Exclusions ..." button
// (btexclude1Click), which runs the dialog, and "Add to exclusion list" (MnuExClick), which puts
// the keys of the selected result entries into "Exclude.lst" and takes the entries off the list.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ExclusionDialog.h"
#include "app/Prompts.h"
#include "core/Result.h"
#include "repair/ExclusionFile.h"
#include "scanner/ResultList.h"

namespace kestrover {

enum class AddToExclusionsOutcome {
    Nothing,   // nothing was selected
    Added,     // the lines were saved and the entries removed
    NotSaved,  // the file could not be read or saved: the list and the file stay as they were
};

struct AddToExclusionsReport {
    AddToExclusionsOutcome outcome = AddToExclusionsOutcome::Nothing;
    // The lines written, from the last selected entry to the first ("4" lines included,
    // though the clean-up pass drops them from the file).
    std::vector<std::string> lines;
    std::size_t removedEntries = 0;
    Error error;  // NotSaved: why
};

// MnuExClick: walks the result list from the last entry to the first, pumping messages for
// each; every selected entry gives the line of its key (the value name is ignored, see
// ExclusionLineFor). The lines are added to the file, which is then cleaned, sorted and saved
// whole (a missing "Exclude.lst" is created: the user asked for these keys to be left out, and
// a command that silently did nothing would leave them in every scan); only once that save
// succeeded do the selected entries leave the list (an entry whose
// key has no exclusion line, such as one under HKEY_CURRENT_CONFIG, leaves it too). An entry
// whose key path holds a line break is neither written nor removed.
AddToExclusionsReport MnuExClick(ResultList& results, ExclusionFile& exclusions, Prompts& prompts);

// btexclude1Click: the dialog opens on "Exclude.lst" with the second column captioned by the
// registry page's "Keys" label, runs modally through showModal (the window's dialog, or a
// script) until OK or Cancel, and its result is applied: the file is written (OK) and sorted.
Status btexclude1Click(ExclusionDialog& dialog, std::string_view keysCaption,
                       const std::function<DialogResult(ExclusionDialog&)>& showModal);

}  // namespace kestrover
