// CTextView: the command map, the key table consulted before normal key handling, and the
// keyboard events that reach the view.
#include "resources/CommandIds.h"
#include "view/TextView.h"

#include <QKeyEvent>

std::span<const CommandMapEntry<CTextView>> CTextView::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CTextView> s_aEntries[] = {
        {ID_INDICATOR_POSITION, ID_INDICATOR_POSITION, nullptr, &CTextView::OnUpdatePositionIndicator},
    };
    // clang-format on
    return s_aEntries;
}

bool CTextView::OnCmdMsg(unsigned nId) {
    return DispatchCommand(this, GetCommandMap(), nId);
}

bool CTextView::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI);
}

bool CTextView::TranslateAccelerator(int nKey, Qt::KeyboardModifiers modifiers) {
    const unsigned nId = LookupKeyBinding(m_accelTable, nKey, modifiers);
    if (nId == 0)
        return false;
    CCmdUI cmdUI(nId);
    if (!OnUpdateCmdUI(nId, cmdUI) || cmdUI.IsEnabled())
        OnCmdMsg(nId);
    return true;
}

bool CTextView::event(QEvent* pEvent) {
    // The view's keys come before the window's shortcuts, as its key table is tried first.
    if (pEvent->type() == QEvent::ShortcutOverride) {
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (LookupKeyBinding(m_accelTable, pKey->key(), pKey->modifiers()) != 0) {
            pEvent->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(pEvent);
}

void CTextView::keyPressEvent(QKeyEvent* pEvent) {
    if (TranslateAccelerator(pEvent->key(), pEvent->modifiers())) {
        pEvent->accept();
        return;
    }
    // Not the scroll area's own key handling: every key the view wants is in its table.
    pEvent->ignore();
}

bool CTextView::focusNextPrevChild(bool) {
    // Tab and Shift+Tab are commands of the view, not focus moves.
    return false;
}
