// Record numbers: which texts name a record, how a source file names its record, their order.
#pragma once

#include <string>
#include <string_view>

// A blank of Zarn source: a space or a tab.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Groups of digits joined by single "-", like "1234" or "32-105".
bool IsValidRecordNumber(std::string_view strRecord);

// The record a source file belongs to, or why none could be found.
struct RecordOrigin {
    std::string strRecord; // empty when strError says why there is none
    std::string strError;
};

// A first line "; GID <record>" names the record; without that header the file name
// without its extension does. A header that names no valid record is an error, not a
// reason to fall back to the file name.
RecordOrigin FindRecordNumber(std::string_view source, const std::string& strPath);

// The first line is a "; GID ..." header, well formed or not.
bool IsRecordHeader(std::string_view line);

// The first line of a new, empty form of this record, without a line end.
std::string RecordHeader(std::string_view strRecord);

// The text as it is echoed in a report of one line: a backslash, and every control character
// (a line break, say), written as a C escape ("\\", "\n", "\r", "\t", "\x1b").
std::string EscapedForReport(std::string_view text);

// Orders records by their numeric groups ("9" before "10", "32-9" before "32-105"),
// then by text, so that "01" and "1" stay distinct and in a fixed order.
bool RecordNumberLess(std::string_view a, std::string_view b);
