// The plain rules of caret movement over the bytes of one line: character classes, word
// boundaries, word steps and the smart Home target.
#pragma once

enum CharClass {
    CHARCLASS_SPACE, // isspace in the C locale
    CHARCLASS_WORD,  // a letter or digit in the C locale, or "_"
    CHARCLASS_OTHER, // everything else, bytes 128 to 255 included
};

CharClass ClassifyChar(char ch);
inline bool IsWordChar(char ch) {
    return ClassifyChar(ch) == CHARCLASS_WORD;
}

// From x, back over the word characters before it / on over the word characters from it.
int WordStartIndex(const char* pText, int nLength, int x);
int WordEndIndex(const char* pText, int nLength, int x);

// Where a word step left from x ends on the same line: back over blanks, then over one run of
// word characters or of other characters.
int WordLeftIndex(const char* pText, int nLength, int x);
// Where a word step right from x ends on the same line: over one run of word characters or of
// other characters, then over the blanks after it; never past the line's end.
int WordRightIndex(const char* pText, int nLength, int x);

// Smart Home: the first non-blank character, or column 0 when the caret is already there or
// the line holds nothing but blanks. Pressed again, it toggles between the two.
int SmartHomeIndex(const char* pText, int nLength, int x);
