// Runs of bytes of one class, found eight bytes at a time: words and numbers can be as long as a
// line, and a line can be as long as a file.
#pragma once

#include <cstdint>
#include <cstring>

namespace byteruns {

constexpr uint64_t ONES = 0x0101010101010101ull;
constexpr uint64_t HIGHS = 0x8080808080808080ull;
constexpr uint64_t LOWS = 0x7F7F7F7F7F7F7F7Full;

// Per byte of v, the high bit set when the byte lies in [lo, hi], 1 <= lo <= hi < 128. Each
// byte's sums stay below 256, so no byte carries into the next.
constexpr uint64_t InRange(uint64_t v, unsigned lo, unsigned hi) {
    const uint64_t low7 = v & LOWS;
    const uint64_t atLeastLo = low7 + ONES * (0x80 - lo);
    const uint64_t aboveHi = low7 + ONES * (0x7F - hi);
    return atLeastLo & ~aboveHi & ~v & HIGHS;
}

// The first index from i up to nEnd whose byte the class rejects; nEnd when there is none.
// Class is a functor with a per-byte test and an eight-byte mask of InRange results.
template <typename Class>
int RunEnd(const char* pText, int i, int nEnd, Class byteClass) {
    for (; nEnd - i >= 8; i += 8) {
        uint64_t v;
        std::memcpy(&v, pText + i, sizeof v);
        if (byteClass.Mask(v) != HIGHS)
            break;
    }
    while (i < nEnd && byteClass.Has(static_cast<unsigned char>(pText[i])))
        ++i;
    return i;
}

// ASCII letters and digits, "_" and ".": the characters of a Zarn word.
struct WordBytes {
    static constexpr bool Has(unsigned char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c == '_' || c == '.';
    }
    static constexpr uint64_t Mask(uint64_t v) {
        return InRange(v, '0', '9') | InRange(v, 'A', 'Z') | InRange(v, 'a', 'z') |
               InRange(v, '_', '_') | InRange(v, '.', '.');
    }
};

struct HexDigitBytes {
    static constexpr bool Has(unsigned char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    }
    static constexpr uint64_t Mask(uint64_t v) {
        return InRange(v, '0', '9') | InRange(v, 'A', 'F') | InRange(v, 'a', 'f');
    }
};

// What may follow the first digit of a decimal number.
struct DecimalTailBytes {
    static constexpr bool Has(unsigned char c) {
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
    }
    static constexpr uint64_t Mask(uint64_t v) {
        return InRange(v, '0', '9') | InRange(v, '+', '+') | InRange(v, '-', '.') |
               InRange(v, 'e', 'e') | InRange(v, 'E', 'E');
    }
};

} // namespace byteruns
