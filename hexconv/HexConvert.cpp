// The Hex Converter's conversion of text into "%02xx " groups of byte codes.
#include "hexconv/HexConvert.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr char32_t HEX_REPLACEMENT_CHAR = 0xFFFD;

// The byte codes of one character: at most four.
struct ByteCodes {
    std::array<uint8_t, 4> arrBytes{};
    size_t nCount = 0;

    void Add(char32_t byte) { arrBytes[nCount++] = static_cast<uint8_t>(byte); }
};

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

ByteCodes CodesOfChar(char32_t ch) {
    ByteCodes codes;
    if (ch <= 0xFF) {
        codes.Add(ch);
    } else if (ch <= 0x7FF) {
        codes.Add(0xC0 | (ch >> 6));
        codes.Add(0x80 | (ch & 0x3F));
    } else if (ch <= 0xFFFF) {
        codes.Add(0xE0 | (ch >> 12));
        codes.Add(0x80 | ((ch >> 6) & 0x3F));
        codes.Add(0x80 | (ch & 0x3F));
    } else {
        codes.Add(0xF0 | (ch >> 18));
        codes.Add(0x80 | ((ch >> 12) & 0x3F));
        codes.Add(0x80 | ((ch >> 6) & 0x3F));
        codes.Add(0x80 | (ch & 0x3F));
    }
    return codes;
}

// The codes of the character that starts at text[nPos]; moves nPos past it.
ByteCodes NextCharCodes(std::u16string_view text, size_t& nPos) {
    const char16_t c = text[nPos++];
    const bool bHasNext = nPos < text.size();
    if (c == u'\n' || (c == u'\r' && bHasNext && text[nPos] == u'\n')) {
        if (c == u'\r')
            ++nPos;
        ByteCodes codes;
        codes.Add(0x0D);
        codes.Add(0x0A);
        return codes;
    }
    if (IsHighSurrogate(c) && bHasNext && IsLowSurrogate(text[nPos])) {
        const char32_t low = text[nPos++];
        return CodesOfChar(0x10000 + ((char32_t(c) - 0xD800) << 10) + (low - 0xDC00));
    }
    if (IsHighSurrogate(c) || IsLowSurrogate(c))
        return CodesOfChar(HEX_REPLACEMENT_CHAR);
    return CodesOfChar(c);
}

} // namespace

std::string ConvertToHexGroups(std::u16string_view text, size_t nMaxCodes) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string strHex;
    strHex.reserve(std::min(nMaxCodes, 4 * text.size()) * 4);
    size_t nCodes = 0;
    for (size_t nPos = 0; nPos < text.size();) {
        const ByteCodes codes = NextCharCodes(text, nPos);
        if (codes.nCount > nMaxCodes - nCodes)
            break;
        for (size_t i = 0; i < codes.nCount; ++i) {
            strHex += DIGITS[codes.arrBytes[i] >> 4];
            strHex += DIGITS[codes.arrBytes[i] & 0x0F];
            strHex += "x ";
        }
        nCodes += codes.nCount;
    }
    return strHex;
}
