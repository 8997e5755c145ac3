// The line-number column left of the selection margin: how wide the largest number makes it.
#pragma once

// Digits of the largest line number, which is the line count; at least one.
constexpr int LineNumberDigits(int nLineCount) {
    int nDigits = 1;
    for (int n = nLineCount; n >= 10; n /= 10)
        ++nDigits;
    return nDigits;
}

// Pixels: one cell per digit and one cell of padding, half before and half after the number.
constexpr int LineNumberColumnWidth(int nLineCount, int cxChar) {
    return (LineNumberDigits(nLineCount) + 1) * cxChar;
}
