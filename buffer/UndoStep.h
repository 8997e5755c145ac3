// One recorded edit of the undo history, and the action codes that label groups.
#pragma once

#include "buffer/TextPos.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t UNDOSTEP_INSERT = 0x0001;     // the step inserted text (else deleted it)
constexpr uint32_t UNDOSTEP_GROUPSTART = 0x0100; // the step is the first of its group

enum EditAction : int {
    EDITACT_UNKNOWN = 0,
    EDITACT_PASTE = 1,
    EDITACT_DELSEL = 2,
    EDITACT_CUT = 3,
    EDITACT_TYPING = 4,
    EDITACT_BACKSPACE = 5,
    EDITACT_INDENT = 6,
    EDITACT_DRAGDROP = 7,
    EDITACT_REPLACE = 8,
    EDITACT_DELETE = 9,
    EDITACT_AUTOINDENT = 10,
    EDITACT_DELETEWORD = 11,
    EDITACT_BACKSPACEWORD = 12,
};

struct UndoStep {
    uint32_t dwKind = 0;
    TextPos ptFrom; // where the inserted text starts, or where the deleted range started
    TextPos ptTo;   // end of the inserted text, or end of the deleted range before deletion
    int nAction = EDITACT_UNKNOWN;
    // The inserted or deleted text, line breaks as CR LF. Short texts (a typed character)
    // live in place, so typing costs no allocation per step.
    std::string text;
    // Only for a text whose lines themselves hold carriage returns (a deleted range, or a
    // text replaced from a file), where the CR LF text alone would split those lines when
    // put back: the length of each line piece of the text, in order.
    std::vector<int> arrPieceLengths;

    bool IsInsert() const { return (dwKind & UNDOSTEP_INSERT) != 0; }
    bool IsGroupStart() const { return (dwKind & UNDOSTEP_GROUPSTART) != 0; }
};
