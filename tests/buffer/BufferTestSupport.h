// Shared helpers of the buffer tests: a recording listener, an inspectable buffer, edits.
#pragma once

#include "buffer/TextBuffer.h"
#include "tests/support/TempFiles.h"

#include <functional>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// Records every notification as text, "+" or "-" for an insertion or a deletion from (x,y) to
// (x,y), or "." without an extent, then the hints and the line: "+2,0-1,1 h3 L0". Moves a set
// of positions by the extents, as a view moves its caret and selection.
class RecordingListener : public CTextBufferListener {
public:
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override;
    void OnUndoGroupClosed(int nAction, std::string_view text) override;

    Lines updates;
    std::vector<CTextBufferListener*> sources;
    std::vector<std::pair<int, std::string>> closedGroups; // action, text
    std::vector<TextPos> positions;                        // moved through every extent
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

// The buffer's lines as strings, and the whole text joined with `eol`.
Lines LinesOf(const CTextBuffer& buffer);
std::string TextOf(const CTextBuffer& buffer, const std::string& eol = "\n");

// A buffer holding exactly these lines, with an empty history.
void FillBuffer(CTextBuffer& buffer, const Lines& lines);
// Writes the bytes to `path` and loads them.
FileResult LoadBytes(CTextBuffer& buffer, const std::string& path, const std::string& bytes);

// One recorded edit: inserts `text` at (nChar, nLine), or with an end line deletes from there
// up to (nEndChar, nEndLine).
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
bool Apply(CTextBuffer& buffer, const std::vector<Edit>& edits, int nAction = EDITACT_TYPING,
           CTextBufferListener* pSource = nullptr);

// Runs `body` in a child process as an unprivileged user when the tests run as the
// superuser (so that permissions apply), else directly. Returns the body's result.
bool RunAsOrdinaryUser(const std::function<bool()>& body);
