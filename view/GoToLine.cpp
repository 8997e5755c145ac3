// Go to Line's rules: the input's numbers, the target position and the centring scroll.
#include "view/GoToLine.h"

#include <algorithm>
#include <climits>

namespace {

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<int> ParsePositiveNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty())
        return std::nullopt;
    long long nValue = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        nValue = std::min<long long>(nValue * 10 + (ch - '0'), INT_MAX);
    }
    if (nValue < 1)
        return std::nullopt;
    return static_cast<int>(nValue);
}

std::optional<GoToLineInput> ParseGoToLineInput(std::string_view strLine,
                                                std::string_view strColumn, int nLineCount) {
    const std::optional<int> nLine = ParsePositiveNumber(strLine);
    if (!nLine || *nLine > nLineCount)
        return std::nullopt;
    GoToLineInput input{*nLine, 0};
    if (TrimBlanks(strColumn).empty())
        return input;
    const std::optional<int> nColumn = ParsePositiveNumber(strColumn);
    if (!nColumn)
        return std::nullopt;
    input.nColumn = *nColumn;
    return input;
}

TextPos GoToLineTarget(const GoToLineInput& input, int nLineLength) {
    const int nChar = input.nColumn > 0 ? std::min(input.nColumn - 1, nLineLength) : 0;
    return {nChar, input.nLine - 1};
}

bool IsLineOnScreen(int nLine, int nFirstVisibleLine, int nVisibleLines) {
    return nLine >= nFirstVisibleLine && nLine < nFirstVisibleLine + nVisibleLines;
}

int CentredFirstLine(int nLine, int nVisibleLines, int nLineCount) {
    const int nLastTop = std::max(nLineCount - nVisibleLines, 0);
    return std::clamp(nLine - nVisibleLines / 2, 0, nLastTop);
}
