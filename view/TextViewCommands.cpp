// CTextView: the command map, the routing of key-table and context-menu commands, the key
// table consulted before normal key handling, and the keyboard events that reach the view.
#include "resources/CommandIds.h"
#include "view/TextView.h"

#include <QKeyEvent>

std::span<const CommandMapEntry<CTextView>> CTextView::GetCommandMap() {
    // The scroll commands lie inside the range of the movement commands: they come first.
    // clang-format off
    static const CommandMapEntry<CTextView> s_aEntries[] = {
        {ID_INDICATOR_POSITION,    ID_INDICATOR_POSITION,    nullptr,                            &CTextView::OnUpdatePositionIndicator},
        {ID_SCROLL_LINE_UP,        ID_SCROLL_LINE_DOWN,      &CTextView::OnScrollCommand,        nullptr},
        {ID_MOVE_CHAR_LEFT,        ID_MOVE_DOC_END_EXT,      &CTextView::OnMoveCommand,          nullptr},
        {ID_EDIT_SELECT_ALL,       ID_EDIT_SELECT_ALL,       &CTextView::OnEditSelectAll,        nullptr},
        {ID_EDIT_COPY,             ID_EDIT_COPY,             &CTextView::OnEditCopy,             &CTextView::OnUpdateEditCopy},
        {ID_TOGGLE_BOOKMARK_FIRST, ID_TOGGLE_BOOKMARK_LAST,  &CTextView::OnToggleBookmark,       nullptr},
        {ID_GOTO_BOOKMARK_FIRST,   ID_GOTO_BOOKMARK_LAST,    &CTextView::OnGoToBookmark,         nullptr},
        {ID_CLEAR_BOOKMARKS,       ID_CLEAR_BOOKMARKS,       &CTextView::OnClearBookmarks,       nullptr},
        {ID_TOGGLE_ANON_BOOKMARK,  ID_TOGGLE_ANON_BOOKMARK,  &CTextView::OnToggleAnonBookmark,   nullptr},
        {ID_NEXT_ANON_BOOKMARK,    ID_NEXT_ANON_BOOKMARK,    &CTextView::OnNextAnonBookmark,     &CTextView::OnUpdateAnonBookmarks},
        {ID_PREV_ANON_BOOKMARK,    ID_PREV_ANON_BOOKMARK,    &CTextView::OnPrevAnonBookmark,     &CTextView::OnUpdateAnonBookmarks},
        {ID_CLEAR_ANON_BOOKMARKS,  ID_CLEAR_ANON_BOOKMARKS,  &CTextView::OnClearAnonBookmarks,   &CTextView::OnUpdateAnonBookmarks},
        {ID_EDIT_FIND,             ID_EDIT_FIND,             &CTextView::OnEditFind,             nullptr},
        {ID_EDIT_REPEAT,           ID_EDIT_REPEAT,           &CTextView::OnEditRepeat,           &CTextView::OnUpdateEditRepeat},
        {ID_EDIT_FIND_PREVIOUS,    ID_EDIT_FIND_PREVIOUS,    &CTextView::OnFindPrevious,         &CTextView::OnUpdateEditRepeat},
        {ID_EDIT_GOTO_LINE,        ID_EDIT_GOTO_LINE,        &CTextView::OnEditGoToLine,         nullptr},
        {ID_FILE_PAGE_SETUP,       ID_FILE_PAGE_SETUP,       &CTextView::OnFilePageSetup,        nullptr},
        {ID_FILE_PRINT,            ID_FILE_PRINT,            &CTextView::OnFilePrint,            nullptr},
        {ID_FILE_PRINT_DIRECT,     ID_FILE_PRINT_DIRECT,     &CTextView::OnFilePrintDirect,      nullptr},
        {ID_FILE_PRINT_PREVIEW,    ID_FILE_PRINT_PREVIEW,    &CTextView::OnFilePrintPreview,     nullptr},
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

bool CTextView::RouteCommand(unsigned nId) {
    return OnCmdMsg(nId);
}

bool CTextView::RouteUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return OnUpdateCmdUI(nId, cmdUI);
}

bool CTextView::TranslateAccelerator(int nKey, Qt::KeyboardModifiers modifiers) {
    const unsigned nId = LookupKeyBinding(m_accelTable, nKey, modifiers);
    if (nId == 0)
        return false;
    CCmdUI cmdUI(nId);
    if (!RouteUpdateCmdUI(nId, cmdUI) || cmdUI.IsEnabled())
        RouteCommand(nId);
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
