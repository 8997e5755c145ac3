// Helpers of the edit view tests: a probe edit view, golden edits driven by key scripts,
// command states, and synthesized drag-and-drop events.
#pragma once

#include "GoldenText.h"
#include "editview/EditView.h"

#include <span>
#include <string>

class QMimeData;

template <typename TView>
class TEditProbe : public TProbe<TView> {
public:
    using TView::m_bKeepIndent;
    using TView::m_bOvertype;
    using TView::m_ptDropCaret;
};

using CProbeEditView = TEditProbe<CTextEditView>;
using CEditFixture = TGoldenFixture<CProbeEditView>;

// What the view's update handler says about nId.
CCmdUI CommandUI(CTextView& view, unsigned nId);
// The Undo item that names this group ("" for none): "&Undo Typing\tCtrl+Z".
std::string UndoItem(const std::string& strGroup);
std::vector<std::string> LinesOf(const CTextBuffer& buffer);

// Runs a script on the view, its steps separated by blanks: key names as QKeySequence spells
// them ("Ctrl+Z", "Del", "Shift+Tab"), text between double quotes typed as one key event,
// "@x,y" a click on cell (x, y), and "ro" / "rw" making the buffer read-only or not.
void Keys(CTextView& view, std::string_view script);

// The Undos that bring the text before back with nothing left to undo.
void ExpectUndoneTo(CEditFixture& fx, int nUndos, std::string_view golden);

// One golden edit: the text before, a script on it, the text after.
struct EditCase {
    const char* pszBefore;
    const char* pszKeys;
    const char* pszAfter;
    const char* pszUndo = nullptr;    // the group the Undo item names afterwards; null: unchecked
    int nUndos = -1;                  // for ExpectUndoneTo; -1: unchecked
    const char* pszClipIn = nullptr;  // UTF-8 text put on the clipboard first
    const char* pszClipOut = nullptr; // the clipboard's text afterwards
};
void RunEditCases(std::span<const EditCase> cases);

// Drags pData over the view to pt and drops it there, as the platform's drag loop would:
// enter, one move, drop. Answers the effect the drop was accepted with, or Qt::IgnoreAction.
Qt::DropAction DropOn(CTextView& view, const QMimeData* pData, QPoint pt,
                      Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction,
                      Qt::KeyboardModifiers keys = Qt::NoModifier);

// A point on the left half of the cell of character column x on screen row y.
QPoint CellPoint(CTextView& view, int x, int y);
