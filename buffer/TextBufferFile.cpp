// Starting a document empty or from a file, saving it safely, and dropping it.
#include "buffer/FileReader.h"
#include "buffer/SafeFileWriter.h"
#include "buffer/TextBuffer.h"

#include <algorithm>

namespace {

// The style's chunk for detection: only the first 32768 bytes decide.
constexpr size_t kDetectionChunk = 32768;
// Loading grows the line array by this many entries at a time.
constexpr int kLoadGrowBy = 4096;

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
    const int nStyle = nEolStyle == EOL_AUTO
                           ? DetectEolStyle(pData, std::min(file.nSize, kDetectionChunk))
                           : nEolStyle;

    FreeLines(false);
    m_loadBlock = std::move(file.block);
    m_arrLines.SetGrowBy(kLoadGrowBy);
    m_arrLines.Reserve(CountLineEndCandidates(pData, file.nSize, nStyle) + 1 + kLoadGrowBy);
    // Lines point into the loaded block until they are first changed.
    SplitLines(m_loadBlock.data(), file.nSize, nStyle, [this](const char* p, size_t n) {
        TextLine line;
        line.pChars = const_cast<char*>(p);
        line.nLength = static_cast<int>(n);
        m_arrLines.PushBack(line);
    });

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
    const int nLines = GetLineCount();
    for (int i = 0; i < nLines; ++i) {
        writer.Append(GetLineView(i));
        if (i + 1 < nLines)
            writer.Append(eol);
    }
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
