// Menu 131: the editing view's context menu, one popup "Context".
#pragma once

#include "resources/MenuItem.h"

#include <span>

// The menu's one top-level entry, the popup "Context" with its items.
std::span<const MenuItem> GetContextMenu();
