// "Take Ownership" on the selected entries of the result list.
#include "app/TakeOwnershipCommand.h"

#include <string>

#include "core/KestroverError.h"
#include "repair/KeyOwnership.h"
#include "scanner/ScanEntry.h"

namespace kestrover {

TakeOwnershipReport MnuTakeOClick(SecurityPort& security, RegistryViewFlags views,
                                  const ResultList& results, Prompts& prompts,
                                  const TakeOwnershipTexts& texts) {
    TakeOwnershipReport report;
    if (!prompts.Confirm(texts.caption, texts.warning)) {
        report.cancelled = true;
        return report;
    }
    for (const ResultRow& row : results.Rows()) {
        if (!row.selected) continue;
        ScanEntry entry = ParseScanEntry(row.text);
        if (!entry.root) continue;
        OwnershipEntryReport done{entry.rootName, entry.keyPath, false, {}};
        try {
            std::string accessList;
            done.applied =
                TakeKeyOwnership(security, views, *entry.root, entry.keyPath, accessList);
            if (done.applied) done.previousAccessList = std::move(accessList);
        } catch (const KestroverError& error) {
            // What the application's error handler does: the message, and nothing more.
            report.error = error.what();
            prompts.ShowMessage(texts.errorCaption, error.what());
            return report;
        }
        report.entries.push_back(std::move(done));
        prompts.PumpEvents();
    }
    // Only a command that changed every key says so; the others name what kept its permissions
    // (ten keys at most, then how many more).
    constexpr std::size_t kNamedAtMost = 10;
    std::string unchanged;
    std::size_t failures = 0;
    for (const OwnershipEntryReport& done : report.entries) {
        if (done.applied) continue;
        if (++failures <= kNamedAtMost) unchanged += "\r\n" + done.root + "\\" + done.keyPath;
    }
    if (failures == 0) {
        prompts.ShowMessage(texts.caption, texts.done);
        report.resultShown = true;
    } else {
        if (failures > kNamedAtMost) {
            unchanged += "\r\n(+" + std::to_string(failures - kNamedAtMost) + ")";
        }
        prompts.ShowMessage(texts.caption, texts.notChanged + unchanged);
        report.failuresShown = true;
    }
    return report;
}

}  // namespace kestrover
