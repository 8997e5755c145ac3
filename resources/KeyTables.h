// Key tables: which key, with which modifiers, gives which command id.
#pragma once

#include <span>

#include <Qt>

struct KeyBinding {
    int nKey;                        // a Qt::Key
    Qt::KeyboardModifiers modifiers; // exactly these of Shift, Ctrl and Alt
    unsigned nCommand;
};

// The view's key table (IDR_VIEW_KEYS), consulted before the view's own key handling.
std::span<const KeyBinding> GetViewKeyTable();

// The main window's key table (IDR_MAINFRAME): the shortcuts of the main window's commands.
// A key that is also in the view's table reaches the view's table first.
std::span<const KeyBinding> GetMainKeyTable();

// The command that `table` gives the key, or 0. Keypad keys count as their main-keyboard
// twins, and Shift+Tab as Tab with Shift (Qt reports it as Backtab).
unsigned LookupKeyBinding(std::span<const KeyBinding> table, int nKey,
                          Qt::KeyboardModifiers modifiers);
