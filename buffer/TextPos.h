// A text position: character index within a line (x) and line index (y), both from 0.
#pragma once

#include <compare>

struct TextPos {
    int x = 0; // character index, 0 to the line length
    int y = 0; // line index

    friend constexpr bool operator==(TextPos, TextPos) = default;
    // Ordered by line, then by character.
    friend constexpr std::strong_ordering operator<=>(TextPos a, TextPos b) {
        if (a.y != b.y)
            return a.y <=> b.y;
        return a.x <=> b.x;
    }
};
