// CTextEditView: construction and reset, the command map and its update handlers, undo and
// redo, and the keyboard and input-method events that type text.
#include "editview/EditView.h"

#include "buffer/TextBuffer.h"
#include "resources/CommandIds.h"
#include "resources/StringTable.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {

// clang-format off
constexpr unsigned IDS_UNDO_FORMAT = 8615; // "&Undo %s\tCtrl+Z"
constexpr unsigned IDS_REDO_FORMAT = 8616; // "&Redo %s\tCtrl+Y"
constexpr unsigned IDS_UNDO_PLAIN  = 8617; // "&Undo\tCtrl+Z"
constexpr unsigned IDS_REDO_PLAIN  = 8618; // "&Redo\tCtrl+Y"
// clang-format on

// String nId with its "%s" replaced by strArg.
std::string FormatResString(unsigned nId, std::string_view strArg) {
    std::string text(LoadResString(nId));
    if (const size_t nAt = text.find("%s"); nAt != std::string::npos)
        text.replace(nAt, 2, strArg);
    return text;
}

} // namespace

CTextEditView::CTextEditView(QWidget* pParent) : CTextView(pParent) {
    // Text may be dropped on the view from any program.
    viewport()->setAcceptDrops(true);
    setAttribute(Qt::WA_InputMethodEnabled);
}

std::span<const CommandMapEntry<CTextEditView>> CTextEditView::GetCommandMap() {
    // clang-format off
    static const CommandMapEntry<CTextEditView> s_aEntries[] = {
        {ID_EDIT_DELETE,          ID_EDIT_DELETE,          &CTextEditView::OnEditDelete,         nullptr},
        {ID_EDIT_BACKSPACE,       ID_EDIT_BACKSPACE,       &CTextEditView::OnEditBackspace,      nullptr},
        {ID_EDIT_DELETE_WORD,     ID_EDIT_DELETE_WORD,     &CTextEditView::OnEditDeleteWord,     nullptr},
        {ID_EDIT_BACKSPACE_WORD,  ID_EDIT_BACKSPACE_WORD,  &CTextEditView::OnEditBackspaceWord,  nullptr},
        {ID_EDIT_TAB,             ID_EDIT_TAB,             &CTextEditView::OnEditTab,            nullptr},
        {ID_EDIT_UNTAB,           ID_EDIT_UNTAB,           &CTextEditView::OnEditUntab,          nullptr},
        {ID_EDIT_TOGGLE_OVERTYPE, ID_EDIT_TOGGLE_OVERTYPE, &CTextEditView::OnEditToggleOvertype, &CTextEditView::OnUpdateEditToggleOvertype},
        {ID_EDIT_UNDO,            ID_EDIT_UNDO,            &CTextEditView::OnEditUndo,           &CTextEditView::OnUpdateEditUndo},
        {ID_EDIT_REDO,            ID_EDIT_REDO,            &CTextEditView::OnEditRedo,           &CTextEditView::OnUpdateEditRedo},
        {ID_EDIT_CUT,             ID_EDIT_CUT,             &CTextEditView::OnEditCut,            &CTextEditView::OnUpdateEditCut},
        {ID_EDIT_PASTE,           ID_EDIT_PASTE,           &CTextEditView::OnEditPaste,          &CTextEditView::OnUpdateEditPaste},
        {ID_INDICATOR_OVR,        ID_INDICATOR_OVR,        nullptr,                              &CTextEditView::OnUpdateIndicatorOvr},
        {ID_INDICATOR_READ,       ID_INDICATOR_READ,       nullptr,                              &CTextEditView::OnUpdateIndicatorRead},
        {ID_INDICATOR_BLANK,      ID_INDICATOR_BLANK,      nullptr,                              &CTextEditView::OnUpdateIndicatorBlank},
        {ID_EDIT_REPLACE,         ID_EDIT_REPLACE,         &CTextEditView::OnEditReplace,        nullptr},
    };
    // clang-format on
    return s_aEntries;
}

bool CTextEditView::OnCmdMsg(unsigned nId) {
    // Whatever the command does, typing after it starts a new undo group.
    EndTypingRun();
    return DispatchCommand(this, GetCommandMap(), nId) || CTextView::OnCmdMsg(nId);
}

bool CTextEditView::OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) {
    return DispatchUpdate(this, GetCommandMap(), nId, cmdUI) ||
           CTextView::OnUpdateCmdUI(nId, cmdUI);
}

bool CTextEditView::CanModifyText() const {
    return m_pBuffer && !m_pBuffer->IsReadOnly();
}

void CTextEditView::ResetViewState() {
    m_bKeepIndent = true;
    m_bOvertype = false;
    EndTypingRun();
    // The caret saved under a drop caret may not exist in the new content; the text view's
    // reset shows the caret again.
    if (m_bDropCaretShown) {
        m_bDropCaretShown = false;
        m_bCaretSuppressed = false;
        SetDropCaretRect(QRect());
    }
    CTextView::ResetViewState();
}

void CTextEditView::Undo() {
    if (!m_pBuffer || !m_pBuffer->CanUndo())
        return;
    TextPos ptCaret;
    if (m_pBuffer->Undo(ptCaret))
        PutCaretAt(ptCaret);
}

void CTextEditView::Redo() {
    if (!m_pBuffer || !m_pBuffer->CanRedo())
        return;
    TextPos ptCaret;
    if (m_pBuffer->Redo(ptCaret))
        PutCaretAt(ptCaret);
}

void CTextEditView::OnEditDelete(unsigned) {
    Delete();
}

void CTextEditView::OnEditBackspace(unsigned) {
    Backspace();
}

void CTextEditView::OnEditTab(unsigned) {
    Tab();
}

void CTextEditView::OnEditUntab(unsigned) {
    Untab();
}

void CTextEditView::OnEditToggleOvertype(unsigned) {
    ToggleOvertype();
}

void CTextEditView::OnUpdateEditToggleOvertype(CCmdUI& cmdUI) {
    cmdUI.SetCheck(m_bOvertype ? 1 : 0);
}

void CTextEditView::OnEditUndo(unsigned) {
    Undo();
}

void CTextEditView::OnUpdateEditUndo(CCmdUI& cmdUI) {
    const bool bCan = m_pBuffer && m_pBuffer->CanUndo();
    cmdUI.Enable(bCan);
    if (!bCan) {
        cmdUI.SetText(LoadResString(IDS_UNDO_PLAIN));
        return;
    }
    std::string strLabel;
    m_pBuffer->GetUndoLabel(strLabel);
    cmdUI.SetText(FormatResString(IDS_UNDO_FORMAT, strLabel));
}

void CTextEditView::OnEditRedo(unsigned) {
    Redo();
}

void CTextEditView::OnUpdateEditRedo(CCmdUI& cmdUI) {
    const bool bCan = m_pBuffer && m_pBuffer->CanRedo();
    cmdUI.Enable(bCan);
    if (!bCan) {
        cmdUI.SetText(LoadResString(IDS_REDO_PLAIN));
        return;
    }
    std::string strLabel;
    m_pBuffer->GetRedoLabel(strLabel);
    cmdUI.SetText(FormatResString(IDS_REDO_FORMAT, strLabel));
}

void CTextEditView::OnUpdateIndicatorOvr(CCmdUI& cmdUI) {
    cmdUI.Enable(m_bOvertype);
}

void CTextEditView::OnUpdateIndicatorRead(CCmdUI& cmdUI) {
    cmdUI.Enable(m_pBuffer && m_pBuffer->IsReadOnly());
}

void CTextEditView::OnUpdateIndicatorBlank(CCmdUI& cmdUI) {
    cmdUI.Enable(false);
}

void CTextEditView::keyPressEvent(QKeyEvent* pEvent) {
    if (TranslateAccelerator(pEvent->key(), pEvent->modifiers())) {
        pEvent->accept();
        return;
    }
    // Keys held with Ctrl, Alt or Meta are commands of the window, never text.
    constexpr Qt::KeyboardModifiers commandKeys =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (pEvent->modifiers() & commandKeys) {
        pEvent->ignore();
        return;
    }
    if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
        OnChar('\r');
        pEvent->accept();
        return;
    }
    // Keys whose text is a control code (Escape) are left to the window.
    const QString text = pEvent->text();
    if (text.isEmpty() || text.front().unicode() < 0x20) {
        pEvent->ignore();
        return;
    }
    OnTypedText(text);
    pEvent->accept();
}

void CTextEditView::mousePressEvent(QMouseEvent* pEvent) {
    // A click may put the caret back where it was; the typing after it is new all the same.
    EndTypingRun();
    CTextView::mousePressEvent(pEvent);
}

void CTextEditView::inputMethodEvent(QInputMethodEvent* pEvent) {
    // Only committed text is typed; what is still being composed stays with the input method.
    if (!pEvent->commitString().isEmpty())
        OnTypedText(pEvent->commitString());
    pEvent->accept();
}

QVariant CTextEditView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return GetCaretRect().translated(viewport()->pos());
    default:
        return CTextView::inputMethodQuery(query);
    }
}

void CTextEditView::paintEvent(QPaintEvent* pEvent) {
    CTextView::paintEvent(pEvent);
    if (m_rcDropCaret.isEmpty() || !pEvent->region().intersects(m_rcDropCaret))
        return;
    QPainter dc(viewport());
    dc.fillRect(m_rcDropCaret, Qt::gray);
}
