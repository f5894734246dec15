// The main window's state without its widgets.
#include "app/MainWindowState.h"

namespace kestrover {

void MainWindowState::ResetView() {
    view = ActiveView::None;
    monitorView = false;
    stopRequested = false;
    scanMode = false;
    softwareInventory = false;
    status = LabelState{};
    total.clear();
    root.clear();
    resultListVisible = false;
    stopButtonVisible = false;
}

}  // namespace kestrover
