// The software-key inventory in the result list.
#include "app/SoftwareInventoryCommand.h"

#include "scanner/SoftwareRules.h"

namespace kestrover {

std::size_t mnApplSettingsClick(RegistryContext& registry, MainWindowState& window,
                                ResultList& results) {
    window.ResetView();
    results.ResetView();
    // No search is running: its text would highlight parts of the vendor names.
    window.searchText.clear();
    window.view = ActiveView::RegistryResults;
    window.softwareInventory = true;
    window.resultListVisible = true;
    window.progressVisible = true;
    window.progressPosition = 0;

    InventoryCallbacks callbacks;
    callbacks.setProgressMaximum = [&window](std::int64_t value) { window.progressMaximum = value; };
    callbacks.setProgressPosition = [&window](std::int64_t value) {
        window.progressPosition = value;
    };
    const std::size_t listed = SoftwareKeyInventory(registry, results, callbacks);

    window.total = results.CountText();
    window.root = results.CountText();
    window.progressVisible = false;
    window.progressPosition = 0;
    return listed;
}

}  // namespace kestrover
