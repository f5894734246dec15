// The main window's keyboard shortcuts (FormKeyDown), as commands for the active view.
#pragma once

#include <cstdint>

#include "app/MainWindowState.h"

namespace kestrover {

// The keys the window acts on; the window maps its virtual-key codes to these.
enum class Key { Other, Delete, A, U, I, F5 };

// Modifier keys held down, combined with |.
enum class KeyModifiers : std::uint8_t { None = 0, Shift = 1, Control = 2, Alt = 4 };

constexpr KeyModifiers operator|(KeyModifiers a, KeyModifiers b) {
    return static_cast<KeyModifiers>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}

enum class KeyCommandKind {
    None,
    DeleteSelected,
    SelectAll,
    UnselectAll,
    InvertSelection,
    Refresh,
};

struct KeyCommand {
    KeyCommandKind kind = KeyCommandKind::None;
    ActiveView refreshView = ActiveView::None;  // for Refresh: the view to fill again

    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

// Delete, with any modifiers, deletes the selected entries except in the process view;
// Ctrl+A, Ctrl+U and Ctrl+I select all, none, or the others; F5, unless Ctrl alone is held,
// refreshes the view that has a refresh (installed applications, the startup page's lists,
// the browser add-ons, junk files, processes). Everything else is no command.
KeyCommand FormKeyDown(Key key, KeyModifiers modifiers, ActiveView view);

}  // namespace kestrover
