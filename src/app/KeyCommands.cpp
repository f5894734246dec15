// The main window's keyboard shortcuts.
#include "app/KeyCommands.h"

namespace kestrover {

namespace {

// The views F5 fills again, in the order the window asks its view flags.
constexpr ActiveView kRefreshableViews[] = {
    ActiveView::InstalledApplications,
    ActiveView::Services,
    ActiveView::Drivers,
    ActiveView::StartupEntries,
    ActiveView::InternetExplorerAddOns,
    ActiveView::ChromeExtensions,
    ActiveView::JunkFiles,
    ActiveView::Processes,
};

}  // namespace

KeyCommand FormKeyDown(Key key, KeyModifiers modifiers, ActiveView view) {
    const bool controlAlone = modifiers == KeyModifiers::Control;
    switch (key) {
        case Key::Delete:
            if (view == ActiveView::Processes) return {};
            return {KeyCommandKind::DeleteSelected};
        case Key::A:
            return controlAlone ? KeyCommand{KeyCommandKind::SelectAll} : KeyCommand{};
        case Key::U:
            return controlAlone ? KeyCommand{KeyCommandKind::UnselectAll} : KeyCommand{};
        case Key::I:
            return controlAlone ? KeyCommand{KeyCommandKind::InvertSelection} : KeyCommand{};
        case Key::F5:
            if (controlAlone) return {};
            for (ActiveView refreshable : kRefreshableViews) {
                if (view == refreshable) return {KeyCommandKind::Refresh, view};
            }
            return {};
        case Key::Other:
            return {};
    }
    return {};
}

}  // namespace kestrover
