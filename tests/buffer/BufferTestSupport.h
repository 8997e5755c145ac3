// Helpers of the buffer tests: notifications as text, lines in and out, and edits as data.
#pragma once

#include "buffer/TextBuffer.h"
#include "tests/support/TempFiles.h"

#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Notifications as text ("+2,0-1,1 h3 L0 self": insertion, extent, hints, line, from this view;
// "." without extent), and `positions` moved through the extents as a view moves them.
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
        updates.push_back(text.str() + (pSource == this ? " self" : ""));
        for (TextPos& pt : positions)
            if (pExtent)
                pExtent->FixPosition(pt);
    }
    void OnUndoGroupClosed(int nAction, std::string_view text) override {
        closedGroups.emplace_back(nAction, text);
    }
    Lines updates;
    std::vector<std::pair<int, std::string>> closedGroups; // action, text
    std::vector<TextPos> positions;
};

inline Lines LinesOf(const CTextBuffer& buffer) {
    Lines lines;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        lines.emplace_back(buffer.GetLineView(i));
    return lines;
}

inline void FillBuffer(CTextBuffer& buffer, const Lines& lines) {
    buffer.Clear();
    buffer.InitEmpty(EOL_CRLF);
    buffer.AppendToLine(0, lines.empty() ? "" : lines[0]);
    for (size_t i = 1; i < lines.size(); ++i)
        buffer.AddLine(lines[i]);
}

inline FileResult LoadBytes(CTextBuffer& buffer, const std::string& path, const std::string& text) {
    WriteBytes(path, text);
    return buffer.LoadFile(path);
}

// Inserts `text` at (nChar, nLine), or with an end line deletes up to (nEndChar, nEndLine).
struct Edit {
    int nLine, nChar;
    std::string text;
    int nEndLine = -1, nEndChar = 0;
    bool IsDelete() const { return nEndLine >= 0; }
};
inline Edit Del(int nLine, int nChar, int nEndLine, int nEndChar) {
    return {nLine, nChar, {}, nEndLine, nEndChar};
}

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
