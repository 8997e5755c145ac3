// Windows-1252, the single-byte code page of document text: the character of each byte and the
// byte of each character, without Qt so that drawing, printing and tests share one table.
#pragma once

#include <optional>

// Whether the code page gives byte ch a character: all bytes but 0x81, 0x8D, 0x8F, 0x90 and
// 0x9D.
constexpr bool IsCp1252Defined(unsigned char ch) {
    return ch != 0x81 && ch != 0x8D && ch != 0x8F && ch != 0x90 && ch != 0x9D;
}

// The character byte ch stands for. An undefined byte stands for the C1 control of the same
// code, so that it keeps its byte when it leaves the editor as text and comes back.
char32_t Cp1252ToUnicode(unsigned char ch);

// The byte that stands for character cp; none when the code page has no such character.
std::optional<unsigned char> UnicodeToCp1252(char32_t cp);
