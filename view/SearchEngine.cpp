// The search engine: scans over a line in place (sixteen positions at a time forward, a
// shift table backward, and a linear fallback for both), the word rule, and the walk over
// the lines of a range in either direction.
#include "view/SearchEngine.h"

#include "view/MovementRules.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Case folding: ASCII letters to upper case, every other byte to itself.
constexpr std::array<unsigned char, 256> MakeFoldTable(bool bUpper) {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(bUpper && i >= 'a' && i <= 'z' ? i - 'a' + 'A' : i);
    return table;
}

constexpr std::array<unsigned char, 256> kFoldNone = MakeFoldTable(false);
constexpr std::array<unsigned char, 256> kFoldUpper = MakeFoldTable(true);

// Compared bytes a scan may spend per byte it moves on before it turns linear.
constexpr long SCAN_BUDGET_PER_BYTE = 4;

// Sixteen bytes compared at once, with the compiler's vector extension.
using ByteVector = unsigned char __attribute__((vector_size(16)));
constexpr int VECTOR_BYTES = 16;

ByteVector LoadBytes(const unsigned char* p) {
    ByteVector v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

ByteVector FillBytes(unsigned char ch) {
    ByteVector v;
    std::memset(&v, ch, sizeof v);
    return v;
}

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

int Length(std::string_view text) {
    return static_cast<int>(text.size());
}

// The longest proper border (prefix that is also a suffix) of each prefix of the pattern
// that `at` spells out.
template <typename At>
std::vector<int> ComputeBorders(int nLength, At at) {
    std::vector<int> anBorder(static_cast<size_t>(nLength), 0);
    int k = 0;
    for (int i = 1; i < nLength; ++i) {
        while (k > 0 && at(i) != at(k))
            k = anBorder[static_cast<size_t>(k - 1)];
        if (at(i) == at(k))
            ++k;
        anBorder[static_cast<size_t>(i)] = k;
    }
    return anBorder;
}

bool FindDownward(const CLineSource& lines, const CSearchPattern& search, TextPos ptStart,
                  TextPos ptBegin, TextPos ptEnd, bool bWrap, TextPos& ptFound) {
    if (ptStart < ptBegin)
        ptStart = ptBegin;
    const int nLastLine = std::min(ptEnd.y, lines.GetLineCount() - 1);
    TextPos pt = ptStart;
    for (int nPasses = bWrap ? 2 : 1; nPasses > 0; --nPasses, pt = ptBegin) {
        if (pt.y < 0)
            pt = {};
        for (int y = pt.y, x = std::max(pt.x, 0); y <= nLastLine; ++y, x = 0) {
            const std::string_view line = lines.GetLine(y);
            if (x >= Length(line))
                continue;
            const int k = search.FindForward(line, x);
            if (k < 0)
                continue;
            // Only the first character of a match must lie inside the range.
            if (y == ptEnd.y && k >= ptEnd.x)
                break;
            ptFound = {k, y};
            return true;
        }
    }
    return false;
}

bool FindUpward(const CLineSource& lines, const CSearchPattern& search, TextPos ptStart,
                TextPos ptBegin, TextPos ptEnd, bool bWrap, TextPos& ptFound) {
    if (ptStart > ptEnd)
        ptStart = ptEnd;
    const int nLines = lines.GetLineCount();
    const int nFirstLine = std::max(ptBegin.y, 0);
    TextPos pt = ptStart;
    for (int nPasses = bWrap ? 2 : 1; nPasses > 0; --nPasses, pt = ptEnd) {
        int y = pt.y;
        int nBefore = pt.x;
        if (y >= nLines) {
            y = nLines - 1;
            nBefore = INT_MAX;
        }
        for (; y >= nFirstLine; --y, nBefore = INT_MAX) {
            const int nLimit = y == ptEnd.y ? std::min(nBefore, ptEnd.x) : nBefore;
            const int k = search.FindBackward(lines.GetLine(y), nLimit);
            if (k < 0)
                continue;
            // The nearest match of the first line lies before the range: so does every other.
            if (y == ptBegin.y && k < ptBegin.x)
                break;
            ptFound = {k, y};
            return true;
        }
    }
    return false;
}

} // namespace

CSearchPattern::CSearchPattern(std::string_view pattern, uint32_t dwFlags)
    : m_strPattern(pattern), m_bMatchCase((dwFlags & SEARCH_MATCHCASE) != 0),
      m_bWholeWord((dwFlags & SEARCH_WHOLEWORD) != 0),
      m_pFold(m_bMatchCase ? kFoldNone.data() : kFoldUpper.data()) {
    for (char& ch : m_strPattern)
        ch = static_cast<char>(m_pFold[static_cast<unsigned char>(ch)]);
    const int m = GetLength();
    const unsigned char* pat = Bytes(m_strPattern);

    // The two bytes that a forward scan tries every candidate on first.
    if (m > 0) {
        auto foldBit = [this](unsigned char ch) {
            return static_cast<unsigned char>(!m_bMatchCase && ch >= 'A' && ch <= 'Z' ? 0x20 : 0);
        };
        m_chFirstBit = foldBit(pat[0]);
        m_chFirstKey = pat[0] | m_chFirstBit;
        m_chLastBit = foldBit(pat[m - 1]);
        m_chLastKey = pat[m - 1] | m_chLastBit;
    }

    // Backward shifts are worked out on compared bytes, then given to every byte that compares
    // alike.
    std::array<int, 256> anShift;
    anShift.fill(m);
    for (int i = m - 1; i >= 1; --i)
        anShift[pat[i]] = i;
    for (int b = 0; b < 256; ++b)
        m_anShiftBackward[static_cast<size_t>(b)] = anShift[m_pFold[b]];

    m_anBorderForward = ComputeBorders(m, [pat](int i) { return pat[i]; });
    m_anBorderBackward = ComputeBorders(m, [pat, m](int i) { return pat[m - 1 - i]; });
}

int CSearchPattern::NextOccurrence(std::string_view line, int nFrom) const {
    const int n = Length(line);
    const int m = GetLength();
    if (nFrom > n - m)
        return -1;
    if (m == 0)
        return nFrom;
    const unsigned char* t = Bytes(line);
    const int nLastPos = n - m;
    // Sixteen positions at a time: only those whose first and last bytes compare equal to the
    // pattern's are compared in full. A byte compares with case folded by setting its 0x20 bit,
    // which only ever pairs the two cases of a letter with the pattern's letter.
    const ByteVector vFirstBit = FillBytes(m_chFirstBit);
    const ByteVector vFirst = FillBytes(m_chFirstKey);
    const ByteVector vLastBit = FillBytes(m_chLastBit);
    const ByteVector vLast = FillBytes(m_chLastKey);
    long nBudget = SCAN_BUDGET_PER_BYTE * m + 64;
    int pos = nFrom;
    while (pos <= nLastPos) {
        // The last block overlaps the one before rather than reading past the line.
        const int nBlock = std::min(pos, nLastPos - (VECTOR_BYTES - 1));
        if (nBlock < 0)
            break;
        const auto vHit = ((LoadBytes(t + nBlock) | vFirstBit) == vFirst) &
                          ((LoadBytes(t + nBlock + m - 1) | vLastBit) == vLast);
        uint64_t aHalves[2];
        std::memcpy(aHalves, &vHit, sizeof aHalves);
        if ((aHalves[0] | aHalves[1]) != 0) {
            unsigned char aHit[VECTOR_BYTES];
            std::memcpy(aHit, &vHit, sizeof aHit);
            for (int k = pos - nBlock; k < VECTOR_BYTES; ++k) {
                if (!aHit[k])
                    continue;
                if (MatchesAt(t + nBlock + k))
                    return nBlock + k;
                nBudget -= m;
            }
        }
        pos = nBlock + VECTOR_BYTES;
        nBudget += SCAN_BUDGET_PER_BYTE * VECTOR_BYTES;
        if (nBudget < 0)
            return NextOccurrenceLinear(line, pos);
    }
    // A line too short for one block.
    for (; pos <= nLastPos; ++pos) {
        if (MatchesAt(t + pos))
            return pos;
    }
    return -1;
}

bool CSearchPattern::MatchesAt(const unsigned char* pText) const {
    const unsigned char* pat = Bytes(m_strPattern);
    const int m = GetLength();
    for (int j = 0; j < m; ++j) {
        if (m_pFold[pText[j]] != pat[j])
            return false;
    }
    return true;
}

int CSearchPattern::NextOccurrenceLinear(std::string_view line, int nFrom) const {
    const int n = Length(line);
    const int m = GetLength();
    const unsigned char* t = Bytes(line);
    const unsigned char* pat = Bytes(m_strPattern);
    int q = 0; // pattern bytes matched so far
    for (int i = nFrom; i < n; ++i) {
        const unsigned char ch = m_pFold[t[i]];
        while (q > 0 && pat[q] != ch)
            q = m_anBorderForward[static_cast<size_t>(q - 1)];
        if (pat[q] == ch)
            ++q;
        if (q == m)
            return i - m + 1;
    }
    return -1;
}

int CSearchPattern::PrevOccurrence(std::string_view line, int nLast) const {
    const int n = Length(line);
    const int m = GetLength();
    int pos = std::min(nLast, n - m);
    if (pos < 0 || m == 0)
        return pos < 0 ? -1 : pos;
    // Horspool from the right: the window's first byte decides how far it moves back.
    const unsigned char* t = Bytes(line);
    const unsigned char* pat = Bytes(m_strPattern);
    const unsigned char chFirst = pat[0];
    long nBudget = SCAN_BUDGET_PER_BYTE * m + 64;
    while (pos >= 0) {
        const unsigned char ch = t[pos];
        if (m_pFold[ch] == chFirst) {
            int j = 1;
            while (j < m && m_pFold[t[pos + j]] == pat[j])
                ++j;
            if (j == m)
                return pos;
            nBudget -= j;
            if (nBudget < 0)
                return PrevOccurrenceLinear(line, pos);
        }
        const int nShift = m_anShiftBackward[ch];
        pos -= nShift;
        nBudget += SCAN_BUDGET_PER_BYTE * nShift;
    }
    return -1;
}

int CSearchPattern::PrevOccurrenceLinear(std::string_view line, int nLast) const {
    const int m = GetLength();
    const unsigned char* t = Bytes(line);
    const unsigned char* pat = Bytes(m_strPattern);
    int q = 0; // bytes of the reversed pattern matched so far
    for (int i = nLast + m - 1; i >= 0; --i) {
        const unsigned char ch = m_pFold[t[i]];
        while (q > 0 && pat[m - 1 - q] != ch)
            q = m_anBorderBackward[static_cast<size_t>(q - 1)];
        if (pat[m - 1 - q] == ch)
            ++q;
        if (q == m)
            return i;
    }
    return -1;
}

int CSearchPattern::FindForward(std::string_view line, int nFrom) const {
    const int n = Length(line);
    const int m = GetLength();
    nFrom = std::max(nFrom, 0);
    for (int c = nFrom;;) {
        c = NextOccurrence(line, c);
        if (c < 0 || !m_bWholeWord)
            return c;
        const bool bStartsWord = c == nFrom || !IsWordChar(line[c - 1]);
        const bool bEndsWord = c + m >= n || !IsWordChar(line[c + m]);
        if (bStartsWord && bEndsWord)
            return c;
        // Further on only a candidate right after a non-word character can start a word.
        int j = c;
        while (j < n && IsWordChar(line[j]))
            ++j;
        if (j >= n)
            return -1;
        c = j + 1;
    }
}

int CSearchPattern::FindBackward(std::string_view line, int nBefore) const {
    const int n = Length(line);
    const int m = GetLength();
    for (int s = std::min(nBefore - 1, n - std::max(m, 1));;) {
        if (s < 0)
            return -1;
        s = PrevOccurrence(line, s);
        if (s < 0 || !m_bWholeWord)
            return s;
        const bool bStartsWord = s == 0 || !IsWordChar(line[s - 1]);
        const bool bEndsWord = s + m >= n || !IsWordChar(line[s + m]);
        if (bStartsWord && bEndsWord)
            return s;
        // Further back only a candidate right before a non-word character can end a word.
        int k = s + m - 1;
        while (k >= 0 && IsWordChar(line[k]))
            --k;
        s = k - m;
    }
}

int FindInString(std::string_view text, std::string_view pattern, bool bWholeWord) {
    const CSearchPattern search(pattern, SEARCH_MATCHCASE | (bWholeWord ? SEARCH_WHOLEWORD : 0));
    return search.FindForward(text, 0);
}

bool FindInRange(const CLineSource& lines, std::string_view pattern, TextPos ptStart,
                 TextPos ptBegin, TextPos ptEnd, uint32_t dwFlags, bool bWrap, TextPos& ptFound) {
    if (ptBegin == ptEnd)
        return false;
    const CSearchPattern search(pattern, dwFlags);
    if (dwFlags & SEARCH_UPWARD)
        return FindUpward(lines, search, ptStart, ptBegin, ptEnd, bWrap, ptFound);
    return FindDownward(lines, search, ptStart, ptBegin, ptEnd, bWrap, ptFound);
}

bool FindInDocument(const CLineSource& lines, std::string_view pattern, TextPos ptStart,
                    uint32_t dwFlags, bool bWrap, TextPos& ptFound) {
    const int nLastLine = lines.GetLineCount() - 1;
    if (nLastLine < 0)
        return false;
    const TextPos ptEnd{Length(lines.GetLine(nLastLine)), nLastLine};
    return FindInRange(lines, pattern, ptStart, {0, 0}, ptEnd, dwFlags, bWrap, ptFound);
}
