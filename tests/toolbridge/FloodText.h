// The text of the "flood" child mode: numbered lines of 80 characters, line break included.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The first nBytes of the endless run of lines "00000000 abcd...\n", each 80 bytes long.
inline std::string FloodText(std::size_t nBytes) {
    std::string strText;
    strText.reserve(nBytes + 80);
    char line[81];
    for (unsigned nLine = 0; strText.size() < nBytes; ++nLine) {
        std::snprintf(line, sizeof line, "%08u ", nLine);
        for (int i = 9; i < 79; ++i)
            line[i] = static_cast<char>('a' + (nLine + unsigned(i)) % 26);
        line[79] = '\n';
        strText.append(line, 80);
    }
    strText.resize(nBytes);
    return strText;
}
