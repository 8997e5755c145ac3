// The buffer's view of a view: what it calls after every change and when a group closes.
#pragma once

#include "buffer/ChangeExtent.h"

#include <cstdint>
#include <string_view>

class CTextBufferListener {
public:
    // Called synchronously after every change, once the lines already hold the new text.
    // `pSource` is the listener that made the change (or null); `pExtent` is null for
    // flag changes and resets; `nLine` is the first affected line, -1 for a reset.
    virtual void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                                uint32_t dwHints, int nLine) = 0;

    // Called on the source of an edit when its undo group closes, with the action code and
    // the text of the group's last step. Edits made here join no group of their own.
    virtual void OnUndoGroupClosed(int nAction, std::string_view text) = 0;

protected:
    ~CTextBufferListener() = default;
};
