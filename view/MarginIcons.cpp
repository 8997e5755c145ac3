// The margin icon order: the first entry whose mask a line's flags contain decides its icon.
#include "view/MarginIcons.h"

#include "buffer/TextLine.h"

namespace {

struct MarginIconEntry {
    uint32_t dwMask;
    int nCell;
};

// clang-format off
constexpr MarginIconEntry kIconOrder[] = {
    {0x10000,           0},  // the first three cells belong to flags that nothing sets
    {0x20000,           1},
    {0x40000,           2},
    {LineFlagMark(1),   3},
    {LineFlagMark(2),   4},
    {LineFlagMark(3),   5},
    {LineFlagMark(4),   6},
    {LineFlagMark(5),   7},
    {LineFlagMark(6),   8},
    {LineFlagMark(7),   9},
    {LineFlagMark(8),  10},
    {LineFlagMark(9),  11},
    {LineFlagMark(0),  12},
    {LINEFLAG_BOOKMARK, 13},
    {0x100000,         14},  // beyond the bitmap: such a line shows no icon
};
// clang-format on

} // namespace

int MarginIconForFlags(uint32_t dwFlags) {
    for (const MarginIconEntry& entry : kIconOrder) {
        if (dwFlags & entry.dwMask)
            return entry.nCell;
    }
    return -1;
}
