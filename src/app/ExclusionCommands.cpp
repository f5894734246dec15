// "Add to exclusion list" from the result list.
#include "app/ExclusionCommands.h"

#include "scanner/ScanEntry.h"

namespace kestrover {

Status btexclude1Click(ExclusionDialog& dialog, std::string_view keysCaption,
                       const std::function<DialogResult(ExclusionDialog&)>& showModal) {
    dialog.Open(keysCaption);
    const DialogResult result = showModal ? showModal(dialog) : DialogResult::Cancel;
    return dialog.Close(result);
}

AddToExclusionsReport MnuExClick(ResultList& results, ExclusionFile& exclusions, Prompts& prompts) {
    AddToExclusionsReport report;

    std::vector<std::size_t> leaving;  // from the last row to the first
    for (std::size_t row = results.RowCount(); row-- > 0;) {
        prompts.PumpEvents();
        if (!results.IsSelected(row)) continue;
        const ScanEntry entry = ParseScanEntry(results.Row(row).text);
        if (entry.keyPath.find_first_of("\r\n") != std::string::npos) continue;
        if (entry.root) {
            if (std::optional<std::string> line = ExclusionLineFor(*entry.root, entry.keyPath)) {
                report.lines.push_back(std::move(*line));
            }
        }
        leaving.push_back(row);
    }
    if (leaving.empty()) {
        report.outcome = AddToExclusionsOutcome::Nothing;
        return report;
    }

    // The entries leave the list only once their keys are in the file: a failed save must not
    // look like a done one.
    Status saved = exclusions.AddLines(report.lines);
    if (!saved) {
        report.outcome = AddToExclusionsOutcome::NotSaved;
        report.error = saved.error();
        return report;
    }
    for (std::size_t row : leaving) results.RemoveRow(row);
    report.removedEntries = leaving.size();
    report.outcome = AddToExclusionsOutcome::Added;
    return report;
}

}  // namespace kestrover
