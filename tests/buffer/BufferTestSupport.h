// Shared helpers of the buffer tests: a recording listener, an inspectable buffer, edits.
#pragma once

#include "buffer/TextBuffer.h"
#include "tests/support/TempFiles.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

// Records notifications as text: "+" or "-" and the extent, or "." without one, then the hints
// and the line ("+2,0-1,1 h3 L0"). Moves `positions` through the extents, as a view does.
class RecordingListener : public CTextBufferListener {
public:
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override {
        std::ostringstream text;
        if (!pExtent)
            text << ".";
        else
            text << (dynamic_cast<const CInsertExtent*>(pExtent) ? "+" : "-") << pExtent->ptFrom.x
                 << "," << pExtent->ptFrom.y << "-" << pExtent->ptTo.x << "," << pExtent->ptTo.y;
        text << " h" << std::hex << dwHints << std::dec << " L" << nLine;
        updates.push_back(text.str());
        sources.push_back(pSource);
        for (TextPos& pt : positions)
            if (pExtent)
                pExtent->FixPosition(pt);
    }
    void OnUndoGroupClosed(int nAction, std::string_view text) override {
        closedGroups.emplace_back(nAction, text);
    }

    Lines updates;
    std::vector<CTextBufferListener*> sources;
    std::vector<std::pair<int, std::string>> closedGroups; // action, text
    std::vector<TextPos> positions;
};

// A buffer that shows its line storage and records each call of SetModified.
class InspectableBuffer : public CTextBuffer {
public:
    using CTextBuffer::Line;
    void SetModified(bool bModified) override {
        modifiedCalls.push_back(bModified);
        CTextBuffer::SetModified(bModified);
    }
    std::vector<bool> modifiedCalls;
};

inline Lines LinesOf(const CTextBuffer& buffer) {
    Lines lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

// A buffer holding exactly these lines, with an empty history.
inline void FillBuffer(CTextBuffer& buffer, const Lines& lines) {
    buffer.Clear();
    buffer.InitEmpty(EOL_CRLF);
    buffer.AppendToLine(0, lines.empty() ? "" : lines[0]);
    for (size_t i = 1; i < lines.size(); ++i)
        buffer.AddLine(lines[i]);
}

inline FileResult LoadBytes(CTextBuffer& buffer, const std::string& path,
                            const std::string& bytes) {
    WriteBytes(path, bytes);
    return buffer.LoadFile(path);
}

// Inserts `text` at (nChar, nLine), or with an end line deletes up to (nEndChar, nEndLine).
struct Edit {
    int nLine;
    int nChar;
    std::string text;
    int nEndLine = -1;
    int nEndChar = 0;
    bool IsDelete() const { return nEndLine >= 0; }
};
inline Edit Del(int nLine, int nChar, int nEndLine, int nEndChar) {
    return {nLine, nChar, {}, nEndLine, nEndChar};
}

// Applies the edits in order; false when one was refused.
inline bool Apply(CTextBuffer& buffer, const std::vector<Edit>& edits, int nAction = EDITACT_TYPING,
                  CTextBufferListener* pSource = nullptr) {
    for (const Edit& e : edits) {
        int nEndLine, nEndChar;
        if (!(e.IsDelete()
                  ? buffer.DeleteRange(pSource, e.nLine, e.nChar, e.nEndLine, e.nEndChar, nAction)
                  : buffer.InsertTextAt(pSource, e.nLine, e.nChar, e.text, nEndLine, nEndChar,
                                        nAction)))
            return false;
    }
    return true;
}
