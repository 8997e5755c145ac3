// Menus 128 (no document open) and 129 (a document window active) and toolbar 128, as tables.
#pragma once

#include "resources/MenuItem.h"

#include <span>

// The top-level popups of menu nId (IDR_MAINFRAME or IDR_ZARNTYPE); empty for any other id.
// The File menus hold the recent-file slot as item ID_FILE_MRU_FIRST.
std::span<const MenuItem> GetMenu(unsigned nId);

// The buttons of toolbar 128 from left to right; 0 stands for a gap.
std::span<const unsigned> GetMainToolBar();
