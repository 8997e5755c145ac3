// Generated input files of the benchmarks, made once and kept under the temporary directory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class CTextBuffer;

// About 100 MB of Zarn-like source in 2,000,000 lines with CR LF line ends.
const std::string& ZarnLikeFile();
// About 40 MB in 10,000,000 short lines with CR LF line ends.
const std::string& ShortLinesFile();
// About 100 MB of Zarn-like text in one line without a line end: atoms with numbers and
// strings, separated by blanks and, with bTabs, tabs, and no comment, so that every part is
// coloured.
const std::string& HugeLineFile(bool bTabs);
// A fresh scratch path next to the generated files.
std::string ScratchPath(const std::string& name);
// The Zarn-like file loaded once into a buffer that lives for the whole program.
CTextBuffer& LargeZarnDocument();
// A new buffer with CR LF line ends holding exactly text, with an empty history.
std::unique_ptr<CTextBuffer> BufferWithText(std::string_view text);
// The yardstick of inserting nBy lines near the top of nLines: the seconds one move of a
// whole line array of nLines entries by nBy entries takes, as any array of lines must do once.
double SecondsToMoveLineArray(int nLines, int nBy);

// nChars characters typed one by one, with undo recorded, into the middle of line nLine.
void TypeIntoLine(CTextBuffer& buffer, int nLine, int nChars);

// Heap bytes in use as the allocator counts them, large mapped blocks included.
size_t HeapBytesInUse();
// Resident memory of the process.
size_t ResidentBytes();
