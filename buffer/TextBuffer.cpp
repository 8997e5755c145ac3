// The line store: reads, the raw editing primitives, line flags and view notification.
#include "buffer/TextBuffer.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Lines shorter than this grow 16 bytes at a time, which keeps the many short lines of a
// file small. Longer lines grow by an eighth, so that typing into a very long line moves it
// only now and then.
constexpr int kLongLine = 4096;

int EditedLineCapacityFor(int nNeeded) {
    if (nNeeded < kLongLine)
        return LineCapacityFor(nNeeded);
    const int64_t nWanted = static_cast<int64_t>(nNeeded) + nNeeded / 8;
    return static_cast<int>(std::min<int64_t>((nWanted / 16 + 1) * 16, INT_MAX));
}

char* AllocateChars(int nCapacity) {
    char* p = static_cast<char*>(std::malloc(static_cast<size_t>(nCapacity)));
    if (!p)
        throw std::bad_alloc();
    return p;
}

bool HasSingleBit(uint32_t dw) {
    return dw != 0 && (dw & (dw - 1)) == 0;
}

// The pieces of inserted text: a carriage return, or CR LF, ends a piece.
class CarriageReturnPieces {
public:
    explicit CarriageReturnPieces(std::string_view text) : m_rest(text) {}

    // Every carriage return ends a piece, with or without the line feed after it.
    int Count() const {
        return 1 + static_cast<int>(std::count(m_rest.begin(), m_rest.end(), '\r'));
    }

    bool Next(std::string_view& piece) {
        if (m_bDone)
            return false;
        const size_t cr = m_rest.find('\r');
        if (cr == std::string_view::npos) {
            piece = m_rest;
            m_bDone = true;
            return true;
        }
        piece = m_rest.substr(0, cr);
        size_t skip = cr + 1;
        if (skip < m_rest.size() && m_rest[skip] == '\n')
            ++skip;
        m_rest.remove_prefix(skip);
        return true;
    }

private:
    std::string_view m_rest;
    bool m_bDone = false;
};

// Pieces of known lengths, each but the last followed by CR LF in the text.
class MeasuredPieces {
public:
    MeasuredPieces(std::string_view text, const std::vector<int>& arrLengths)
        : m_text(text), m_arrLengths(arrLengths) {}

    int Count() const { return static_cast<int>(m_arrLengths.size()); }

    bool Next(std::string_view& piece) {
        if (m_nIndex >= m_arrLengths.size())
            return false;
        const size_t nLength = static_cast<size_t>(m_arrLengths[m_nIndex++]);
        piece = m_text.substr(m_nOffset, nLength);
        m_nOffset += nLength + 2;
        return true;
    }

private:
    std::string_view m_text;
    const std::vector<int>& m_arrLengths;
    size_t m_nIndex = 0;
    size_t m_nOffset = 0;
};

} // namespace

CTextBuffer::CTextBuffer() = default;

CTextBuffer::~CTextBuffer() {
    FreeLines(true);
}

void CTextBuffer::FreeLines(bool bRelease) {
    for (int i = 0; i < m_arrLines.size(); ++i) {
        if (m_arrLines[i].OwnsStorage())
            std::free(m_arrLines[i].pChars);
    }
    m_arrLines.Clear(bRelease);
    m_loadBlock.Reset();
}

// Gives the line storage of its own with room for nNeeded characters, keeping its text.
void CTextBuffer::MakeOwned(TextLine& line, int nNeeded) {
    const int nCapacity = EditedLineCapacityFor(nNeeded);
    if (line.OwnsStorage()) {
        char* p = static_cast<char*>(std::realloc(line.pChars, static_cast<size_t>(nCapacity)));
        if (!p)
            throw std::bad_alloc();
        line.pChars = p;
    } else {
        char* p = AllocateChars(nCapacity);
        if (line.nLength > 0)
            std::memcpy(p, line.pChars, static_cast<size_t>(line.nLength));
        line.pChars = p;
    }
    line.nCapacity = nCapacity;
}

void CTextBuffer::CutLine(int nLine, int nLength) {
    TextLine& line = Line(nLine);
    assert(nLength >= 0 && nLength <= line.nLength);
    line.nLength = nLength;
}

void CTextBuffer::CopyRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar,
                            std::string& text, std::string_view eol) const {
    text.clear();
    if (nStartLine == nEndLine) {
        text.assign(GetLineText(nStartLine) + nStartChar,
                    static_cast<size_t>(nEndChar - nStartChar));
        return;
    }
    size_t nTotal = 0;
    for (int i = nStartLine; i <= nEndLine; ++i)
        nTotal += static_cast<size_t>(GetLineLength(i)) + eol.size();
    text.reserve(nTotal);
    text.append(GetLineView(nStartLine).substr(static_cast<size_t>(nStartChar)));
    text.append(eol);
    for (int i = nStartLine + 1; i < nEndLine; ++i) {
        text.append(GetLineView(i));
        text.append(eol);
    }
    text.append(GetLineText(nEndLine), static_cast<size_t>(nEndChar));
}

void CTextBuffer::AttachView(CTextBufferListener* pView) {
    m_lstViews.push_back(pView);
}

void CTextBuffer::DetachView(CTextBufferListener* pView) {
    auto it = std::find(m_lstViews.begin(), m_lstViews.end(), pView);
    if (it != m_lstViews.end())
        m_lstViews.erase(it);
}

void CTextBuffer::NotifyViews(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                              uint32_t dwHints, int nLine) {
    for (size_t i = 0; i < m_lstViews.size(); ++i)
        m_lstViews[i]->OnBufferUpdate(pSource, pExtent, dwHints, nLine);
}

// A new owned line holding text followed by more.
TextLine CTextBuffer::MakeLine(std::string_view text, std::string_view more) {
    const size_t nLength = text.size() + more.size();
    TextLine line;
    line.nCapacity = LineCapacityFor(static_cast<int>(nLength));
    line.pChars = AllocateChars(line.nCapacity);
    if (!text.empty())
        std::memcpy(line.pChars, text.data(), text.size());
    if (!more.empty())
        std::memcpy(line.pChars + text.size(), more.data(), more.size());
    line.nLength = static_cast<int>(nLength);
    return line;
}

void CTextBuffer::AddLine(std::string_view text, int nIndex) {
    m_arrLines.Insert(nIndex == -1 ? m_arrLines.size() : nIndex, MakeLine(text));
}

void CTextBuffer::AppendToLine(int nLine, std::string_view text) {
    if (text.empty())
        return;
    TextLine& line = Line(nLine);
    const int nNew = line.nLength + static_cast<int>(text.size());
    if (!line.OwnsStorage() || nNew > line.nCapacity)
        MakeOwned(line, nNew);
    std::memcpy(line.pChars + line.nLength, text.data(), text.size());
    line.nLength = nNew;
}

// Text without a line break goes into the line with one move of what follows nPos.
void CTextBuffer::InsertIntoLine(int nLine, int nPos, std::string_view text) {
    if (text.empty())
        return;
    TextLine& line = Line(nLine);
    const size_t nInsert = text.size();
    const size_t nTail = static_cast<size_t>(line.nLength - nPos);
    const int nNew = line.nLength + static_cast<int>(nInsert);
    if (!line.OwnsStorage()) {
        // The first change of a loaded line copies it once, the new text already in place.
        const int nCapacity = EditedLineCapacityFor(nNew);
        char* p = AllocateChars(nCapacity);
        std::memcpy(p, line.pChars, static_cast<size_t>(nPos));
        std::memcpy(p + nPos + nInsert, line.pChars + nPos, nTail);
        line.pChars = p;
        line.nCapacity = nCapacity;
    } else {
        if (nNew > line.nCapacity)
            MakeOwned(line, nNew);
        std::memmove(line.pChars + nPos + nInsert, line.pChars + nPos, nTail);
    }
    std::memcpy(line.pChars + nPos, text.data(), nInsert);
    line.nLength = nNew;
}

template <typename Pieces>
void CTextBuffer::InsertPieces(CTextBufferListener* pSource, int nLine, int nPos, Pieces&& pieces,
                               int& nEndLine, int& nEndChar) {
    const int nNewLines = pieces.Count() - 1;
    std::string_view first;
    pieces.Next(first);
    const int nLast = nLine + nNewLines;
    if (nNewLines == 0) {
        InsertIntoLine(nLine, nPos, first);
        nEndChar = nPos + static_cast<int>(first.size());
    } else {
        // All new lines go in with one move of the lines behind them. The tail of nLine is
        // copied once, behind the last piece.
        TextLine* pNew = m_arrLines.InsertCopies(nLine + 1, nNewLines, TextLine{});
        std::string_view piece;
        for (int i = 0; i + 1 < nNewLines; ++i) {
            pieces.Next(piece);
            pNew[i] = MakeLine(piece);
        }
        pieces.Next(piece);
        pNew[nNewLines - 1] = MakeLine(piece, GetLineView(nLine).substr(static_cast<size_t>(nPos)));
        nEndChar = static_cast<int>(piece.size());
        CutLine(nLine, nPos);
        AppendToLine(nLine, first);
    }
    nEndLine = nLast;

    const CInsertExtent extent({nPos, nLine}, {nEndChar, nEndLine});
    NotifyViews(pSource, &extent,
                nLast != nLine ? (HINT_LINECOUNT | HINT_WIDTH) : (HINT_ONELINE | HINT_WIDTH),
                nLine);
    if (!m_bModified)
        SetModified(true);
}

bool CTextBuffer::RawInsertText(CTextBufferListener* pSource, int nLine, int nPos,
                                std::string_view text, int& nEndLine, int& nEndChar) {
    if (m_bReadOnly)
        return false;
    InsertPieces(pSource, nLine, nPos, CarriageReturnPieces(text), nEndLine, nEndChar);
    return true;
}

bool CTextBuffer::RawInsertPieces(CTextBufferListener* pSource, int nLine, int nPos,
                                  std::string_view text, const std::vector<int>& arrPieceLengths,
                                  int& nEndLine, int& nEndChar) {
    if (m_bReadOnly)
        return false;
    InsertPieces(pSource, nLine, nPos, MeasuredPieces(text, arrPieceLengths), nEndLine, nEndChar);
    return true;
}

bool CTextBuffer::RawDeleteText(CTextBufferListener* pSource, int nStartLine, int nStartChar,
                                int nEndLine, int nEndChar) {
    if (m_bReadOnly)
        return false;
    assert((TextPos{nStartChar, nStartLine} <= TextPos{nEndChar, nEndLine}));
    uint32_t dwHints;
    if (nStartLine == nEndLine) {
        TextLine& line = Line(nStartLine);
        if (nEndChar < line.nLength)
            std::memmove(line.pChars + nStartChar, line.pChars + nEndChar,
                         static_cast<size_t>(line.nLength - nEndChar));
        line.nLength -= nEndChar - nStartChar;
        dwHints = HINT_ONELINE | HINT_WIDTH;
    } else {
        // The end line's tail joins the start line straight from where it lies.
        CutLine(nStartLine, nStartChar);
        AppendToLine(nStartLine, GetLineView(nEndLine).substr(static_cast<size_t>(nEndChar)));
        for (int i = nStartLine + 1; i <= nEndLine; ++i) {
            if (m_arrLines[i].OwnsStorage())
                std::free(m_arrLines[i].pChars);
        }
        m_arrLines.Erase(nStartLine + 1, nEndLine - nStartLine);
        dwHints = HINT_LINECOUNT | HINT_WIDTH;
    }
    const CDeleteExtent extent({nStartChar, nStartLine}, {nEndChar, nEndLine});
    NotifyViews(pSource, &extent, dwHints, nStartLine);
    if (!m_bModified)
        SetModified(true);
    return true;
}

void CTextBuffer::ChangeLineFlag(int nLine, uint32_t dwFlag, bool bSet, bool bUnique) {
    if (!HasSingleBit(dwFlag))
        return;
    if (nLine == -1) {
        nLine = FindFlaggedLine(dwFlag);
        if (nLine == -1)
            return;
        bUnique = false;
    }
    TextLine& line = Line(nLine);
    const uint32_t dwNew = bSet ? (line.dwFlags | dwFlag) : (line.dwFlags & ~dwFlag);
    if (dwNew == line.dwFlags)
        return;
    if (bUnique && bSet) {
        const int nOld = FindFlaggedLine(dwFlag);
        if (nOld >= 0) {
            Line(nOld).dwFlags &= ~dwFlag;
            NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_LINEFLAGS, nOld);
        }
    }
    Line(nLine).dwFlags = dwNew;
    NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_LINEFLAGS, nLine);
}

int CTextBuffer::FindFlaggedLine(uint32_t dwMask) const {
    for (int i = 0; i < GetLineCount(); ++i) {
        if (GetLineFlags(i) & dwMask)
            return i;
    }
    return -1;
}

int CTextBuffer::FindLineWithSingleFlag(uint32_t dwFlag) const {
    return HasSingleBit(dwFlag) ? FindFlaggedLine(dwFlag) : -1;
}

int CTextBuffer::FindNextMarkedLine(int nCurrentLine) const {
    const int nCount = GetLineCount();
    int nStart = nCurrentLine;
    if (GetLineFlags(nCurrentLine) & LINEFLAG_BOOKMARK)
        ++nStart;
    for (int i = nStart; i < nCount; ++i) {
        if (GetLineFlags(i) & LINEFLAG_BOOKMARK)
            return i;
    }
    for (int i = 0; i < nCount; ++i) {
        if (GetLineFlags(i) & LINEFLAG_BOOKMARK)
            return i;
    }
    return -1;
}

int CTextBuffer::FindPrevMarkedLine(int nCurrentLine) const {
    int nStart = nCurrentLine;
    if (GetLineFlags(nCurrentLine) & LINEFLAG_BOOKMARK)
        --nStart;
    for (int i = nStart; i >= 0; --i) {
        if (GetLineFlags(i) & LINEFLAG_BOOKMARK)
            return i;
    }
    for (int i = GetLineCount() - 1; i >= 0; --i) {
        if (GetLineFlags(i) & LINEFLAG_BOOKMARK)
            return i;
    }
    return -1;
}

void CTextBuffer::SetModified(bool bModified) {
    m_bModified = bModified;
}
