// The Windows-1252 table: bytes 0x80 to 0x9F are the only ones that are not the character of the
// same code.
#include "view/Cp1252.h"

#include <array>

namespace {

constexpr unsigned char FIRST_MAPPED = 0x80;
constexpr unsigned char LAST_MAPPED = 0x9F;

// The characters of bytes 0x80 to 0x9F; an undefined byte keeps its own code.
// clang-format off
constexpr std::array<char32_t, LAST_MAPPED - FIRST_MAPPED + 1> MAPPED_CHARACTERS = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};
// clang-format on

} // namespace

char32_t Cp1252ToUnicode(unsigned char ch) {
    if (ch < FIRST_MAPPED || ch > LAST_MAPPED)
        return ch;
    return MAPPED_CHARACTERS[ch - FIRST_MAPPED];
}

std::optional<unsigned char> UnicodeToCp1252(char32_t cp) {
    if (cp < FIRST_MAPPED || (cp > LAST_MAPPED && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    // The C1 controls other than the five undefined bytes' have no byte; nor has anything
    // beyond U+00FF that the table does not list.
    for (size_t i = 0; i < MAPPED_CHARACTERS.size(); ++i) {
        if (MAPPED_CHARACTERS[i] == cp)
            return static_cast<unsigned char>(FIRST_MAPPED + i);
    }
    return std::nullopt;
}
