// Comment removal over lines split the way the editor splits them.
#include "grimlet/CommentStripper.h"

#include "buffer/LineSplitter.h"
#include "grimlet/RecordNumber.h"

namespace {

enum class ScanState { Normal, String, Char };

void TrimTrailingBlanks(std::string& text, size_t nFloor) {
    while (text.size() > nFloor && IsBlank(text.back()))
        text.pop_back();
}

// Appends `line` without its comments to `out`. Returns whether the line held a comment
// and nothing but blanks besides it.
bool StripLine(std::string_view line, ScanState& state, std::string& out) {
    const size_t nStart = out.size();
    bool bComment = false;
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (state == ScanState::Normal && c == ';') {
            bComment = true;
            TrimTrailingBlanks(out, nStart);
            i = std::min(line.find_first_of("\r\n", i), line.size());
            continue;
        }
        out.push_back(c);
        if (state == ScanState::Normal) {
            if (c == '"')
                state = ScanState::String;
            else if (c == '\'')
                state = ScanState::Char;
        } else {
            const char quote = state == ScanState::String ? '"' : '\'';
            if (c == quote && (i == 0 || line[i - 1] != '\\'))
                state = ScanState::Normal;
        }
        ++i;
    }
    if (line.empty() || line.back() != '\\')
        state = ScanState::Normal;
    if (!bComment)
        return false;
    for (size_t k = nStart; k < out.size(); ++k) {
        if (!IsBlank(out[k]))
            return false;
    }
    out.resize(nStart);
    return true;
}

} // namespace

std::string StripComments(std::string_view source) {
    const int nStyle = DetectEolStyle(source.data(), source.size());
    const std::string_view eol = EolString(nStyle);
    std::string out;
    out.reserve(source.size());
    ScanState state = ScanState::Normal;
    bool bFirst = true;
    SplitLines(source.data(), source.size(), nStyle, [&](const char* pLine, size_t nLength) {
        const std::string_view line(pLine, nLength);
        const bool bLast = pLine + nLength == source.data() + source.size();
        bool bDropped = false;
        if (bFirst && IsRecordHeader(line))
            out.append(line);
        else
            bDropped = StripLine(line, state, out);
        bFirst = false;
        if (!bLast && !bDropped)
            out.append(eol);
    });
    return out;
}
