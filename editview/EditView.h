// CTextEditView: the text view with editing: typing with overtype, Enter with automatic
// indentation, deletion, block indent and unindent, undo and redo, Cut and Paste, the drop
// target for text dragged onto it, and Replace.
#pragma once

#include "buffer/UndoStep.h"
#include "view/TextView.h"

#include <string>
#include <string_view>

class CTextEditView : public CTextView {
    Q_OBJECT

public:
    explicit CTextEditView(QWidget* pParent = nullptr);

    // True when the view has a buffer that is not read-only; every editing command asks it.
    virtual bool CanModifyText() const;
    bool IsOvertype() const { return m_bOvertype; }
    bool IsKeepIndent() const { return m_bKeepIndent; }

    void ResetViewState() override;
    void OnBufferUpdate(CTextBufferListener* pSource, const CChangeExtent* pExtent,
                        uint32_t dwHints, int nLine) override;
    bool OnCmdMsg(unsigned nId) override;
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) override;

    // Typing (EditViewTyping.cpp). OnChar takes one byte code: 13 is Enter, codes 0 to 31 are
    // ignored, 32 to 255 are typed as that byte. OnTypedText types what a key or the input
    // method produced as Windows-1252 bytes; a text with a character the code page lacks types
    // nothing, and the status bar names that character.
    void OnChar(unsigned nChar);
    void OnTypedText(const QString& text);
    bool DeleteSelectedText(int nAction = EDITACT_DELSEL);
    void Delete();
    void Backspace();
    void ToggleOvertype() { m_bOvertype = !m_bOvertype; }
    void Undo();
    void Redo();

    // Word deletion (EditViewWordDelete.cpp): from the caret to where Ctrl+Right / Ctrl+Left
    // would move it, as one undo step; a selection goes as Delete / Backspace take it.
    void DeleteWord();
    void BackspaceWord();

    // Indentation (EditViewIndent.cpp).
    void Tab();
    void Untab();

    // Clipboard and the drag source's side (EditViewClipboard.cpp).
    void Cut();
    void Paste();
    Qt::DropActions GetDragSourceEffects() const override;
    void OnDragSourceDone(Qt::DropAction effect) override;

    // The drop target (EditViewDrop.cpp), in client points of the viewport. Each answers the
    // effect a drop would have: Qt::IgnoreAction for none.
    Qt::DropAction OnDragEnter(const QMimeData* pData, QPoint pt, Qt::KeyboardModifiers keys,
                               Qt::DropActions possible);
    Qt::DropAction OnDragOver(const QMimeData* pData, QPoint pt, Qt::KeyboardModifiers keys,
                              Qt::DropActions possible);
    Qt::DropAction OnDragScroll(QPoint pt, Qt::KeyboardModifiers keys, Qt::DropActions possible);
    void OnDragLeave();
    bool OnDrop(const QMimeData* pData, QPoint pt);
    void ShowDropCaret(QPoint pt);
    void HideDropCaret();
    bool InsertDroppedText(const QMimeData* pData, QPoint pt);
    void ScrollForDrag(QPoint pt);
    bool IsDropCaretShown() const { return m_bDropCaretShown; }
    // Where the drop caret is painted; empty while it is hidden.
    QRect GetDropCaretRect() const { return m_rcDropCaret; }

    // Replace (EditViewReplace.cpp): the selection becomes text, which ends up selected with
    // the caret at its end; false when nothing is selected or the text cannot change.
    bool ReplaceSelectedText(std::string_view text);
    // Every replacement between these two calls is one undo group named Replace, so that one
    // Undo takes back a whole Replace All, and the history's limit counts it once.
    void BeginReplaceAll();
    void EndReplaceAll();

    // The input method types into the view at its caret.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void inputMethodEvent(QInputMethodEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dragLeaveEvent(QDragLeaveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

    void TypeCharacter(std::string_view bytes);
    void InsertLineBreak();
    // A typed character joins the undo group of the typing right before it only while
    // nothing else happened in between: no command, click, caret move or other change of the
    // text. The run remembers where that typing left the caret and the history.
    void ContinueTypingRun();
    void EndTypingRun() { m_nTypingHistoryPos = -1; }
    bool IsTypingRunAtCaret() const;
    void MoveToPreviousTabStop();
    void MoveToNextTabStop();
    // A selection over more than one line, which Tab and Shift+Tab indent and unindent; the
    // normalised block runs over whole lines.
    bool IsBlockSelection();
    void NormaliseBlockSelection(int& nFirstLine, int& nLastLine);
    void SetDropCaretRect(const QRect& rc);

    // Command handlers.
    void OnEditDelete(unsigned nId);
    void OnEditBackspace(unsigned nId);
    void OnEditDeleteWord(unsigned nId);
    void OnEditBackspaceWord(unsigned nId);
    void OnEditTab(unsigned nId);
    void OnEditUntab(unsigned nId);
    void OnEditToggleOvertype(unsigned nId);
    void OnUpdateEditToggleOvertype(CCmdUI& cmdUI);
    void OnEditUndo(unsigned nId);
    void OnUpdateEditUndo(CCmdUI& cmdUI);
    void OnEditRedo(unsigned nId);
    void OnUpdateEditRedo(CCmdUI& cmdUI);
    void OnEditCut(unsigned nId);
    void OnUpdateEditCut(CCmdUI& cmdUI);
    void OnEditPaste(unsigned nId);
    void OnUpdateEditPaste(CCmdUI& cmdUI);
    void OnUpdateIndicatorOvr(CCmdUI& cmdUI);
    void OnUpdateIndicatorRead(CCmdUI& cmdUI);
    void OnUpdateIndicatorBlank(CCmdUI& cmdUI);
    void OnEditReplace(unsigned nId);

    static std::span<const CommandMapEntry<CTextEditView>> GetCommandMap();

    bool m_bOvertype = false;
    bool m_bKeepIndent = true; // automatic indentation after Enter; no command changes it

    // The typing run: the caret and the history position after the last typed character;
    // m_nTypingHistoryPos is -1 when there is no run to continue.
    TextPos m_ptTypingEnd;
    int m_nTypingHistoryPos = -1;

    // The drop caret that follows text dragged over the view, in place of the normal caret.
    bool m_bDropCaretShown = false;
    TextPos m_ptSavedCursor; // the caret, put back when the drop caret goes
    TextPos m_ptDropCaret;
    QRect m_rcDropCaret;

    // While the Replace dialog runs on a selection, that selection, moved through every change
    // of the buffer; it is the selection again when the dialog closes.
    bool m_bInReplace = false;
    TextPos m_ptScopeStart;
    TextPos m_ptScopeEnd;
    bool m_bInReplaceAll = false;

private:
    // Inserts text at the caret as one step of the open undo group and puts the caret after it;
    // false when the buffer took nothing.
    bool InsertAtCaret(std::string_view text, int nAction);
    // Gives the line Enter has just made the indentation of the line above.
    void IndentNewLine();
    // Where a word step left / right from pos ends; pos where it would not move.
    TextPos WordStepLeftFrom(TextPos pos) const;
    TextPos WordStepRightFrom(TextPos pos) const;
    // Deletes ptStart .. ptEnd as one step labelled nAction, the caret at ptStart; nothing
    // when the two are equal.
    void DeleteBetween(TextPos ptStart, TextPos ptEnd, int nAction);
};
