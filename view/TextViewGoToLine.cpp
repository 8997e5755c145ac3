// CTextView: Go to Line, which puts the caret on a line and column the user names and centres
// that line when it was off screen.
#include "view/GoToLineDlg.h"
#include "view/TextView.h"

#include <algorithm>

void CTextView::GoToLine(const GoToLineInput& input) {
    const int nLine = std::clamp(input.nLine, 1, GetLineCount()) - 1;
    const TextPos ptTarget = GoToLineTarget({nLine + 1, input.nColumn}, GetLineLength(nLine));
    // A line already in view stays where it is; the caret's own scroll then only reaches its
    // column.
    if (!IsLineOnScreen(nLine, m_nFirstVisibleLine, GetVisibleLineCount())) {
        const int nTop = CentredFirstLine(nLine, GetVisibleLineCount(), GetLineCount());
        if (nTop != m_nFirstVisibleLine)
            ScrollPanesToLine(nTop);
    }
    PutCaretAt(ptTarget);
}

void CTextView::OnEditGoToLine(unsigned) {
    CGoToLineDlg dlg(this, GetLineCount(), m_ptCaret.y + 1);
    if (dlg.DoModal() == QDialog::Accepted)
        GoToLine(dlg.GetInput());
}
