// Record numbers: validation, the "; GID" header, the file-name rule and their order.
#include "grimlet/RecordNumber.h"

#include <algorithm>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The first line without its line end (a CR or LF ends it, whichever comes first).
std::string_view FirstLine(std::string_view source) {
    return source.substr(0, std::min(source.find_first_of("\r\n"), source.size()));
}

// What follows "GID" in a header line; false when the line is no header.
bool HeaderArgument(std::string_view line, std::string_view& argument) {
    line = SkipBlanks(line);
    if (line.empty() || line.front() != ';')
        return false;
    line = SkipBlanks(line.substr(1));
    if (line.size() < 3)
        return false;
    const std::string_view word = line.substr(0, 3);
    const bool bGid = (word[0] == 'G' || word[0] == 'g') && (word[1] == 'I' || word[1] == 'i') &&
                      (word[2] == 'D' || word[2] == 'd');
    if (!bGid || (line.size() > 3 && !IsBlank(line[3])))
        return false;
    argument = TrimTrailingBlanks(SkipBlanks(line.substr(3)));
    return true;
}

std::string FileStem(const std::string& strPath) {
    const size_t slash = strPath.rfind('/');
    std::string strName = slash == std::string::npos ? strPath : strPath.substr(slash + 1);
    const size_t dot = strName.rfind('.');
    if (dot != std::string::npos && dot > 0)
        strName.resize(dot);
    return strName;
}

// One numeric group of a record number compared by value, without overflow.
int CompareGroup(std::string_view a, std::string_view b) {
    const size_t za = std::min(a.find_first_not_of('0'), a.size());
    const size_t zb = std::min(b.find_first_not_of('0'), b.size());
    a.remove_prefix(za);
    b.remove_prefix(zb);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

std::string_view NextGroup(std::string_view& text) {
    const size_t dash = std::min(text.find('-'), text.size());
    const std::string_view group = text.substr(0, dash);
    text.remove_prefix(std::min(dash + 1, text.size()));
    return group;
}

} // namespace

bool IsValidRecordNumber(std::string_view strRecord) {
    if (strRecord.empty() || !IsDigit(strRecord.front()) || !IsDigit(strRecord.back()))
        return false;
    for (size_t i = 0; i < strRecord.size(); ++i) {
        const char c = strRecord[i];
        if (c == '-') {
            if (strRecord[i - 1] == '-')
                return false;
        } else if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

bool IsRecordHeader(std::string_view line) {
    std::string_view argument;
    return HeaderArgument(FirstLine(line), argument);
}

RecordOrigin FindRecordNumber(std::string_view source, const std::string& strPath) {
    RecordOrigin origin;
    std::string_view argument;
    if (HeaderArgument(FirstLine(source), argument)) {
        if (!IsValidRecordNumber(argument)) {
            origin.strError = "the header \"; GID " + std::string(argument) +
                              "\" names no record number (digits and '-', like 32-105)";
            return origin;
        }
        origin.strRecord = argument;
        return origin;
    }
    const std::string strStem = FileStem(strPath);
    if (!IsValidRecordNumber(strStem)) {
        origin.strError = "no record number: the first line is no \"; GID <record>\" header "
                          "and the file name \"" +
                          strStem + "\" is not a record number";
        return origin;
    }
    origin.strRecord = strStem;
    return origin;
}

std::string RecordHeader(std::string_view strRecord) {
    return "; GID " + std::string(strRecord);
}

std::string EscapedForReport(std::string_view text) {
    static constexpr char HEX_DIGITS[] = "0123456789abcdef";
    std::string strOut;
    strOut.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            strOut += "\\\\";
        else if (c == '\n')
            strOut += "\\n";
        else if (c == '\r')
            strOut += "\\r";
        else if (c == '\t')
            strOut += "\\t";
        else if (byte < 0x20 || byte == 0x7f)
            strOut += {'\\', 'x', HEX_DIGITS[byte >> 4], HEX_DIGITS[byte & 0xf]};
        else
            strOut += c;
    }
    return strOut;
}

bool RecordNumberLess(std::string_view a, std::string_view b) {
    std::string_view restA = a;
    std::string_view restB = b;
    while (!restA.empty() && !restB.empty()) {
        const int order = CompareGroup(NextGroup(restA), NextGroup(restB));
        if (order != 0)
            return order < 0;
    }
    if (restA.empty() != restB.empty())
        return restA.empty();
    return a < b;
}
