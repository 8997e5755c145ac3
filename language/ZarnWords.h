// The Zarn word tables and the exact lookups that tell which table holds a word.
#pragma once

// The table that holds a word. No word occurs in two tables.
enum ZarnWordTable { WORDTABLE_NONE, WORDTABLE_VALUE, WORDTABLE_STRUCTURE, WORDTABLE_ATTRIBUTE };

// The tables, each ended by a null entry.
extern const char* const s_apszValueWords[12];
extern const char* const s_apszStructureAtoms[11];
extern const char* const s_apszAttributeAtoms[169];

// The table with an entry of exactly nLength characters equal to those at pText, case
// counting; WORDTABLE_NONE when there is none. The text need not be terminated.
ZarnWordTable FindZarnWord(const char* pText, int nLength);

bool IsValueWord(const char* pText, int nLength);
bool IsStructureAtom(const char* pText, int nLength);
bool IsAttributeAtom(const char* pText, int nLength);

// A number is either a decimal digit followed by decimal digits, "+", "-", ".", "e" or "E",
// or, when it is longer than two characters and ends in a lower-case "x", hexadecimal digits
// before that "x".
bool IsZarnNumber(const char* pText, int nLength);
