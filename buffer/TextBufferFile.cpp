// Starting a document empty or from a file, saving it safely, and dropping it.
#include "buffer/FileReader.h"
#include "buffer/SafeFileWriter.h"
#include "buffer/TextBuffer.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <new>

namespace {

// Loading grows the line array by this many entries at a time.
constexpr int kLoadGrowBy = 4096;

// The loaded file's lines keep the storage rounding that edits apply.
static_assert(LineCapacityFor(static_cast<int>(kBufferLineLimits.nMaxLength)) >
              static_cast<int>(kBufferLineLimits.nMaxLength));

// A run of unchanged lines is written once it holds this many bytes.
constexpr size_t kRunWrite = 256 << 10;
static_assert(kRunWrite >= CSafeFileWriter::kDirectWrite, "runs are written without a copy");

// Whether the bytes at p are `eol` (one or two bytes), compared inline: a call to memcmp
// per line would cost more than the line's copy.
bool HoldsEol(const char* p, std::string_view eol) {
    return p[0] == eol[0] && (eol.size() == 1 || p[1] == eol[1]);
}

} // namespace

bool CTextBuffer::InitEmpty(int nEolStyle) {
    FreeLines(false);
    AddLine({});
    m_nEolStyle = nEolStyle;
    m_bInitialized = true;
    m_bReadOnly = false;
    m_bModified = false;
    ResetHistory();
    NotifyViews(nullptr, nullptr, HINT_RESET, -1);
    return true;
}

FileResult CTextBuffer::LoadFile(const std::string& strPath, int nEolStyle) {
    // Everything is read before the buffer changes, so a failed read leaves it as it was.
    LoadedFile file;
    if (FileResult result = ReadWholeFile(strPath, file); !result)
        return result;

    const char* pData = file.block.data();
    const int nStyle = nEolStyle == EOL_AUTO ? DetectEolStyle(pData, file.nSize) : nEolStyle;

    // The new lines go after the old ones until all of them are in, so that a refusal
    // takes them away again and leaves the buffer as it was.
    const int nOld = m_arrLines.size();
    LineLimits limits = kBufferLineLimits;
    limits.nMaxCount -= static_cast<size_t>(nOld);
    const char* pszRefusal = nullptr;
    try {
        const size_t nRoom =
            static_cast<size_t>(nOld) +
            static_cast<size_t>(CountLineEndCandidates(pData, file.nSize, nStyle)) + 1 +
            kLoadGrowBy;
        m_arrLines.Reserve(static_cast<int>(std::min<size_t>(nRoom, INT_MAX)));
        // Lines point into the loaded block until they are first changed.
        pszRefusal =
            SplitLinesWithin(pData, file.nSize, nStyle, limits, [this](const char* p, size_t n) {
                TextLine line;
                line.pChars = const_cast<char*>(p);
                line.nLength = static_cast<int>(n);
                m_arrLines.PushBack(line);
            });
    } catch (const std::bad_alloc&) {
        pszRefusal = REASON_NO_MEMORY;
    }
    if (pszRefusal) {
        m_arrLines.Erase(nOld, m_arrLines.size() - nOld);
        return FileResult::Failure(pszRefusal);
    }

    for (int i = 0; i < nOld; ++i) {
        if (m_arrLines[i].OwnsStorage())
            std::free(m_arrLines[i].pChars);
    }
    if (nOld > 0)
        m_arrLines.Erase(0, nOld);
    m_loadBlock = std::move(file.block);
    m_arrLines.SetGrowBy(kLoadGrowBy);

    m_nEolStyle = nStyle;
    m_bInitialized = true;
    m_bReadOnly = file.bReadOnly;
    m_bModified = false;
    ResetHistory();
    NotifyViews(nullptr, nullptr, HINT_RESET, -1);
    return FileResult::Success();
}

FileResult CTextBuffer::SaveFile(const std::string& strPath, int nEolStyle, bool bClearModified) {
    const std::string_view eol = EolString(nEolStyle == EOL_AUTO ? m_nEolStyle : nEolStyle);
    CSafeFileWriter writer(*m_pFileOps);
    if (FileResult result = writer.Begin(strPath, m_bMakeBackup); !result)
        return result;
    // Lines that still lie in the loaded block one after the other, with exactly `eol`
    // between them, go out as one run of bytes: an unchanged file is written in a few
    // large writes instead of two small copies per line.
    const char* pBlock = m_loadBlock.data();
    const char* pBlockEnd = pBlock + m_loadBlock.size();
    const std::less_equal<const char*> isAtOrBefore; // a total order, even across blocks
    const char* pRun = nullptr; // the pending run in the block, ending with the last line
    size_t nRun = 0;
    const int nLines = GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        const TextLine& line = m_arrLines[i];
        const size_t nLength = static_cast<size_t>(line.nLength);
        const bool bInBlock = !line.OwnsStorage() && isAtOrBefore(pBlock, line.pChars) &&
                              isAtOrBefore(line.pChars + nLength, pBlockEnd);
        if (pRun && bInBlock && isAtOrBefore(pRun + nRun, line.pChars) &&
            static_cast<size_t>(line.pChars - (pRun + nRun)) == eol.size() &&
            HoldsEol(pRun + nRun, eol)) {
            // Written while its bytes are still in the cache from the check above.
            if (nRun >= kRunWrite) {
                writer.Append({pRun, nRun});
                pRun += nRun;
                nRun = 0;
            }
            nRun += eol.size() + nLength;
            continue;
        }
        if (pRun) {
            writer.Append({pRun, nRun});
            pRun = nullptr;
        }
        if (i > 0)
            writer.Append(eol);
        if (bInBlock) {
            pRun = line.pChars;
            nRun = nLength;
            continue;
        }
        // Lines in storage of their own go out with the line ends between them in one loop.
        writer.Append({line.pChars, nLength});
        for (; i + 1 < nLines && m_arrLines[i + 1].OwnsStorage(); ++i) {
            const TextLine& next = m_arrLines[i + 1];
            writer.AppendNextLine(eol, {next.pChars, static_cast<size_t>(next.nLength)});
        }
    }
    if (pRun)
        writer.Append({pRun, nRun});
    if (FileResult result = writer.Commit(); !result)
        return result;

    if (bClearModified) {
        SetModified(false);
        m_nSavedHistoryPos = m_nHistoryPos;
    }
    return FileResult::Success();
}

void CTextBuffer::Clear() {
    FreeLines(true);
    ResetHistory();
    m_bInitialized = false;
}
