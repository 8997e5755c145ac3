// Menus as tables: an item is a command, a separator, or a popup with items of its own.
#pragma once

#include <span>

struct MenuItem {
    const char* pszText; // the menu text with its & mnemonic and \t key; null: separator
    unsigned nId;        // the command; 0 for a separator or a popup
    std::span<const MenuItem> items; // the items of a popup; empty otherwise
};
