// The Hex Converter's conversion of text into "%02xx " groups of byte codes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The most byte codes one conversion shows: the dialog has always read 1023 characters.
constexpr size_t HEX_MAX_CODES = 1023;

// Converts `text` (UTF-16) into one group "hhx " per byte code, in lower-case hexadecimal:
// - a line break ("\n", or "\r\n" as one) converts as CR LF, "0dx 0ax ", as the editor's
//   files hold it;
// - characters up to U+00FF give their own code, later ones the bytes of their UTF-8 form;
//   an unpaired surrogate gives those of U+FFFD.
// Whole characters only are converted, while their codes fit within `nMaxCodes` in total.
// Every UTF-16 unit yields at least one code, so the first nMaxCodes + 1 units of a text
// convert exactly like the whole text: callers may pass just that much.
std::string ConvertToHexGroups(std::u16string_view text, size_t nMaxCodes = HEX_MAX_CODES);
