// One line of a buffer: length-counted bytes without a line end, and its flag bits.
#pragma once

#include <cstdint>

// Numbered bookmarks 0 to 9: each bit is carried by at most one line.
constexpr uint32_t LINEFLAG_MARK0 = 0x0001;
constexpr uint32_t LINEFLAG_MARK9 = 0x0200;
constexpr uint32_t LineFlagMark(int n) {
    return LINEFLAG_MARK0 << n;
}
// Anonymous bookmark: any number of lines may carry it.
constexpr uint32_t LINEFLAG_BOOKMARK = 0x80000;

// Storage allocated for a line of needed length n is a multiple of 16 strictly above n,
// so typing within a line reallocates at most once every 16 characters.
constexpr int LineCapacityFor(int n) {
    return (n / 16 + 1) * 16;
}

struct TextLine {
    // The line's characters. Owned by the buffer when nCapacity > 0; with nCapacity == 0
    // they lie inside the block the file was loaded into, which the buffer also owns.
    char* pChars = nullptr;
    int nLength = 0;
    int nCapacity = 0;
    uint32_t dwFlags = 0;

    bool OwnsStorage() const { return nCapacity > 0; }
};
