// The main window's keyboard shortcuts as commands for the active view.
#include "app/KeyCommands.h"

#include <gtest/gtest.h>

namespace kestrover {
namespace {

constexpr KeyModifiers kNone = KeyModifiers::None;
constexpr KeyModifiers kCtrl = KeyModifiers::Control;
constexpr KeyModifiers kShift = KeyModifiers::Shift;
constexpr KeyModifiers kAlt = KeyModifiers::Alt;

TEST(FormKeyDown, KeyTable) {
    struct Case {
        const char* name;
        Key key;
        KeyModifiers modifiers;
        ActiveView view;
        KeyCommand command;
    };
    const KeyCommand none{};
    const KeyCommand deleteSelected{KeyCommandKind::DeleteSelected};
    const Case cases[] = {
        {"Delete", Key::Delete, kNone, ActiveView::RegistryResults, deleteSelected},
        {"Delete with any modifiers", Key::Delete, kCtrl | kShift | kAlt, ActiveView::JunkFiles,
         deleteSelected},
        {"Delete without a view still goes to the delete command", Key::Delete, kNone,
         ActiveView::None, deleteSelected},
        {"Delete never ends processes", Key::Delete, kNone, ActiveView::Processes, none},
        {"Delete in the process view with Shift", Key::Delete, kShift, ActiveView::Processes, none},
        {"Delete in the monitor", Key::Delete, kNone, ActiveView::Monitor, deleteSelected},
        {"Ctrl+A", Key::A, kCtrl, ActiveView::RegistryResults, {KeyCommandKind::SelectAll}},
        {"Ctrl+U", Key::U, kCtrl, ActiveView::StartupEntries, {KeyCommandKind::UnselectAll}},
        {"Ctrl+I", Key::I, kCtrl, ActiveView::Processes, {KeyCommandKind::InvertSelection}},
        {"A alone", Key::A, kNone, ActiveView::RegistryResults, none},
        {"Shift+A", Key::A, kShift, ActiveView::RegistryResults, none},
        {"Ctrl+Alt+A (AltGr) types a character", Key::A, kCtrl | kAlt,
         ActiveView::RegistryResults, none},
        {"Ctrl+Shift+I", Key::I, kCtrl | kShift, ActiveView::RegistryResults, none},
        {"Ctrl+other key", Key::Other, kCtrl, ActiveView::RegistryResults, none},
        {"F5 in the registry results has nothing to refresh", Key::F5, kNone,
         ActiveView::RegistryResults, none},
        {"F5 without a view", Key::F5, kNone, ActiveView::None, none},
        {"F5 in the monitor", Key::F5, kNone, ActiveView::Monitor, none},
        {"Ctrl+F5", Key::F5, kCtrl, ActiveView::Services, none},
        {"Ctrl+Shift+F5 is not Ctrl alone", Key::F5, kCtrl | kShift, ActiveView::Services,
         {KeyCommandKind::Refresh, ActiveView::Services}},
        {"Shift+F5", Key::F5, kShift, ActiveView::Drivers,
         {KeyCommandKind::Refresh, ActiveView::Drivers}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormKeyDown(c.key, c.modifiers, c.view), c.command);
    }
}

TEST(FormKeyDown, F5RefreshesEveryViewThatHasARefresh) {
    for (ActiveView view : {ActiveView::InstalledApplications, ActiveView::Services,
                            ActiveView::Drivers, ActiveView::StartupEntries,
                            ActiveView::InternetExplorerAddOns, ActiveView::ChromeExtensions,
                            ActiveView::JunkFiles, ActiveView::Processes}) {
        SCOPED_TRACE(static_cast<int>(view));
        EXPECT_EQ(FormKeyDown(Key::F5, kNone, view), (KeyCommand{KeyCommandKind::Refresh, view}));
    }
}

}  // namespace
}  // namespace kestrover
