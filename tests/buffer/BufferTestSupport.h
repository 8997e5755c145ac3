// Shared helpers of the buffer tests: a recording listener, temporary directories, files.
#pragma once

#include "buffer/TextBuffer.h"
#include "tests/support/TempFiles.h"

#include <functional>
#include <string>
#include <vector>

// Records every notification and keeps a set of positions moved by the extents, as a view
// moves its caret and selection.
class RecordingListener : public CTextBufferListener {
public:
    struct Update {
        CTextBufferListener* pSource;
        bool bHasExtent;
        bool bInsert; // meaningful with an extent
        TextPos ptFrom;
        TextPos ptTo;
        uint32_t dwHints;
        int nLine;
    };
    struct GroupClosed {
        int nAction;
        std::string text;
    };

    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override;
    void OnUndoGroupClosed(int nAction, std::string_view text) override;

    std::vector<Update> updates;
    std::vector<GroupClosed> closedGroups;
    std::vector<TextPos> positions; // moved through every extent
};

// The buffer's lines as strings, and the whole text joined with `eol`.
std::vector<std::string> LinesOf(const CTextBuffer& buffer);
std::string TextOf(const CTextBuffer& buffer, const std::string& eol = "\n");

// A buffer holding exactly these lines, with an empty history.
void FillBuffer(CTextBuffer& buffer, const std::vector<std::string>& lines);

// Runs `body` in a child process as an unprivileged user when the tests run as the
// superuser (so that permissions apply), else directly. Returns the body's result.
bool RunAsOrdinaryUser(const std::function<bool()>& body);
