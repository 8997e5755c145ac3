// Which bookmark icon the selection margin shows for a line's flags.
#pragma once

#include <cstdint>

// Cells of the margin bitmap (IDB_MARGIN_ICONS), each MARGIN_ICON_SIZE pixels square.
constexpr int MARGIN_ICON_SIZE = 16;

// The cell of the first entry of the icon order whose mask the flags contain, or -1 for none.
// Bookmarks 1 to 9 come before bookmark 0, and both before the anonymous bookmark, so a line
// shows its lowest numbered bookmark but 0.
int MarginIconForFlags(uint32_t dwFlags);
