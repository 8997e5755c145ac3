// Helpers of the edit view tests: a probe edit view, golden fixtures on it, command states, and
// synthesized drag-and-drop events.
#pragma once

#include "GoldenText.h"
#include "editview/EditView.h"

#include <string>

class QMimeData;

template <typename TView>
class TEditProbe : public TProbe<TView> {
public:
    using TView::m_bDropCaretShown;
    using TView::m_bKeepIndent;
    using TView::m_bOvertype;
    using TView::m_ptDropCaret;
    using TView::m_ptSavedCursor;
};

using CProbeEditView = TEditProbe<CTextEditView>;
using CEditFixture = TGoldenFixture<CProbeEditView>;

// What the view's update handler says about nId.
bool IsEnabled(CTextView& view, unsigned nId);
std::string CommandText(CTextView& view, unsigned nId);

// Types text into the widget as key presses.
void Type(QWidget& widget, const QString& text);

// Drags pData over the view to pt and drops it there, as the platform's drag loop would:
// enter, one move, drop. Answers the effect the drop was accepted with, or Qt::IgnoreAction.
Qt::DropAction DropOn(CTextView& view, const QMimeData* pData, QPoint pt,
                      Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction,
                      Qt::KeyboardModifiers keys = Qt::NoModifier);

// A point on the left half of the cell of character column x on screen row y.
QPoint CellPoint(CTextView& view, int x, int y);
