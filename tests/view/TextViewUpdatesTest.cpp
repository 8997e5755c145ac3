// The view's reaction to buffer changes, attaching and resetting, the selection primitives,
// the key table, the mouse cursor shapes and the position indicator.
#include "ViewTestSupport.h"
#include "resources/CommandIds.h"
#include "resources/KeyTables.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void Insert(CTextBuffer& buffer, int nLine, int nChar, std::string_view text) {
    int nEndLine = 0, nEndChar = 0;
    buffer.InsertTextAt(nullptr, nLine, nChar, text, nEndLine, nEndChar, EDITACT_TYPING);
}

void Delete(CTextBuffer& buffer, TextPos from, TextPos to) {
    buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE);
}

TEST(TextViewUpdates, ExtentsMoveCaretSelectionAndAnchorWithTheText) {
    auto pBuffer = MakeNumberedBuffer(60);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(30, true);
    view.PlaceCaret({5, 40});
    view.SetSelAnchor({2, 40});
    view.SetSelectionRange({2, 40}, {5, 40});
    const int nSticky = view.m_nStickyColumn;

    // Deleting before the caret on its line moves it left, without scrolling.
    Delete(*pBuffer, {0, 40}, {2, 40});
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 40}));
    EXPECT_EQ(view.m_ptSelFrom, (TextPos{0, 40}));
    EXPECT_EQ(view.m_ptSelTo, (TextPos{3, 40}));
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{0, 40}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 30);
    EXPECT_EQ(view.m_nStickyColumn, nSticky);

    // Lines inserted above the window move the first visible line with its text.
    Insert(*pBuffer, 2, 0, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(view.GetFirstVisibleLine(), 33);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{3, 43}));
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 63 - 10);
    // Lines removed around the caret collapse it to the start of the removal.
    Delete(*pBuffer, {0, 42}, {0, 45});
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 42}));
    EXPECT_EQ(view.GetFirstVisibleLine(), 33);
    EXPECT_EQ(pBuffer->GetLineCount(), 60);
}

TEST(TextViewUpdates, AResetPutsEveryViewBackAtTheStart) {
    auto pBuffer = MakeNumberedBuffer(80);
    CProbeView first, second;
    SetUpView(first, pBuffer.get(), 20, 10);
    SetUpView(second, pBuffer.get(), 20, 10);
    for (CProbeView* pView : {&first, &second}) {
        pView->ScrollToTopLine(50, true);
        pView->PlaceCaret({3, 55});
        pView->SetSelectionRange({0, 52}, {3, 55});
        pView->GetLineEndState(60);
    }
    pBuffer->InitEmpty(EOL_CRLF); // the whole content replaced, as a reload does
    for (CProbeView* pView : {&first, &second}) {
        EXPECT_EQ(pView->GetFirstVisibleLine(), 0);
        EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{0, 0}));
        EXPECT_EQ(pView->m_ptSelFrom, pView->m_ptSelTo);
        EXPECT_FALSE(pView->m_LineStates.Exists());
        EXPECT_FALSE(pView->verticalScrollBar()->isEnabled());
        EXPECT_EQ(pView->m_rcPendingPaint, pView->viewport()->rect()); // repainted entirely
    }
}

TEST(TextViewUpdates, AttachingResetsAndDestroyingDetaches) {
    auto pBuffer = MakeNumberedBuffer(10);
    auto pOther = MakeNumberedBuffer(3);
    {
        CProbeView view;
        view.AttachBuffer(pBuffer.get());
        view.PlaceCaret({2, 5});
        view.AttachBuffer(pOther.get());
        EXPECT_EQ(view.GetBuffer(), pOther.get());
        EXPECT_EQ(view.GetCaretTextPos(), (TextPos{0, 0}));
        EXPECT_EQ(view.GetLineCount(), 3);
        // The first buffer no longer notifies it: an edit there leaves the view alone.
        view.PlaceCaret({2, 1});
        Insert(*pBuffer, 1, 0, "xx");
        EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 1}));
    }
    // The view is gone; the buffer must not call it any more.
    Insert(*pOther, 0, 0, "\r\n");
    EXPECT_EQ(pOther->GetLineCount(), 4);
}

TEST(TextViewUpdates, SelectionIncludesItsLowEndAndNotItsHighEnd) {
    CProbeView view;
    view.SetSelectionRange({4, 3}, {2, 1});
    TextPos low, high;
    view.GetOrderedSelection(low, high);
    EXPECT_EQ(low, (TextPos{2, 1}));
    EXPECT_EQ(high, (TextPos{4, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({1, 1}));
    EXPECT_TRUE(view.IsInOrderedSelection({2, 1}));
    EXPECT_TRUE(view.IsInOrderedSelection({99, 2}));
    EXPECT_TRUE(view.IsInOrderedSelection({3, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({4, 3}));
    EXPECT_FALSE(view.IsInOrderedSelection({0, 4}));
    view.SetSelectionRange({1, 0}, {3, 0});
    EXPECT_TRUE(view.IsPointInSelection({1, 0}));
    EXPECT_TRUE(view.IsPointInSelection({2, 0}));
    EXPECT_FALSE(view.IsPointInSelection({3, 0}));
    view.SetSelectionRange({3, 0}, {3, 0});
    EXPECT_FALSE(view.IsPointInSelection({3, 0}));
}

TEST(TextViewUpdates, PlacingTheCaretKeepsItsScreenColumn) {
    auto pBuffer = MakeBuffer({"\tab"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    view.PlaceCaret({2, 0});
    EXPECT_EQ(view.m_nStickyColumn, 5);
    EXPECT_EQ(view.GetCaretTextPos(), (TextPos{2, 0}));
}

TEST(TextViewUpdates, ThePositionIndicatorCountsCharactersFromOne) {
    auto pBuffer = MakeBuffer({"\tx", "abc"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    view.PlaceCaret({1, 0}); // after the tab: screen column 4, character column 2
    CCmdUI cmdUI(ID_INDICATOR_POSITION);
    EXPECT_TRUE(view.OnUpdateCmdUI(ID_INDICATOR_POSITION, cmdUI));
    EXPECT_TRUE(cmdUI.WasTextSet());
    EXPECT_EQ(cmdUI.GetText(), "Ln 1, Col 2");
    view.PlaceCaret({3, 1});
    CCmdUI second(ID_INDICATOR_POSITION);
    view.OnUpdateCmdUI(ID_INDICATOR_POSITION, second);
    EXPECT_EQ(second.GetText(), "Ln 2, Col 4");
    // Find belongs to a later part: not handled by the text view yet.
    CCmdUI other(ID_EDIT_FIND);
    EXPECT_FALSE(view.OnUpdateCmdUI(ID_EDIT_FIND, other));
    EXPECT_FALSE(other.WasEnableSet());
    EXPECT_FALSE(view.OnCmdMsg(ID_INDICATOR_POSITION));
}

// A view that records the commands its keys reach and disables one of them.
class CRecordingView : public CProbeView {
public:
    bool OnCmdMsg(unsigned nId) override {
        m_arrCommands.push_back(nId);
        return true;
    }
    bool OnUpdateCmdUI(unsigned nId, CCmdUI& cmdUI) override {
        if (nId != m_nDisabled)
            return CProbeView::OnUpdateCmdUI(nId, cmdUI);
        cmdUI.Enable(false);
        return true;
    }
    std::vector<unsigned> m_arrCommands;
    unsigned m_nDisabled = 0;
};

TEST(TextViewUpdates, KeysOfTheKeyTableAreDispatchedAsCommands) {
    auto pBuffer = MakeNumberedBuffer(5);
    CRecordingView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Tab);
    QTest::keyClick(&view, Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_5, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_0, Qt::AltModifier);
    QTest::keyClick(&view, Qt::Key_F2, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Home, Qt::KeypadModifier);
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);                      // not in the table
    QTest::keyClick(&view, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier); // no entry
    const std::vector<unsigned> expected = {
        ID_MOVE_CHAR_LEFT,      ID_MOVE_WORD_LEFT_EXT,   ID_EDIT_TAB,        ID_EDIT_UNTAB, 37205,
        ID_GOTO_BOOKMARK_FIRST, ID_TOGGLE_ANON_BOOKMARK, ID_MOVE_LINE_START,
    };
    EXPECT_EQ(view.m_arrCommands, expected);

    // A command its update handler disables is not run; the key is still consumed.
    view.m_arrCommands.clear();
    view.m_nDisabled = ID_EDIT_UNDO;
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(view.m_arrCommands, std::vector<unsigned>{ID_EDIT_REDO});
}

TEST(TextViewUpdates, TheViewsKeysComeBeforeTheWindowsShortcuts) {
    auto pBuffer = MakeNumberedBuffer(5);
    QWidget window;
    auto* pView = new CRecordingView;
    pView->setParent(&window);
    auto* pAction = new QAction(&window);
    pAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    window.addAction(pAction);
    QSignalSpy spy(pAction, &QAction::triggered);
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    pView->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(pView->hasFocus());
    pView->SetSelectionRange({0, 0}, {1, 0}); // Copy is enabled only with a selection
    QTest::keyClick(pView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pView->m_arrCommands, std::vector<unsigned>{ID_EDIT_COPY});
}

TEST(TextViewUpdates, TheViewsKeyTableHasEveryBindingOnce) {
    const std::span<const KeyBinding> table = GetViewKeyTable();
    EXPECT_EQ(table.size(), 72u);
    for (size_t i = 0; i < table.size(); ++i) {
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_FALSE(table[i].nKey == table[j].nKey && table[i].modifiers == table[j].modifiers)
                << i << " " << j;
    }
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_Insert, Qt::ControlModifier), ID_EDIT_COPY);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_Delete, Qt::ShiftModifier), ID_EDIT_CUT);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_F3, Qt::ShiftModifier), ID_EDIT_FIND_PREVIOUS);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_Backspace, Qt::ControlModifier), 37002u);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_Delete, Qt::ControlModifier), ID_EDIT_DELETE_WORD);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_G, Qt::ControlModifier), ID_EDIT_GOTO_LINE);
    // A key of both tables gives the same command in both.
    for (const KeyBinding& binding : GetMainKeyTable()) {
        const unsigned nId = LookupKeyBinding(table, binding.nKey, binding.modifiers);
        EXPECT_TRUE(nId == 0 || nId == binding.nCommand) << binding.nCommand;
    }
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_Down, Qt::ControlModifier), ID_SCROLL_LINE_DOWN);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier),
              ID_MOVE_DOC_END_EXT);
    EXPECT_EQ(LookupKeyBinding(table, Qt::Key_9, Qt::ControlModifier | Qt::AltModifier), 0u);
}

QCursor CursorAt(CTextView& view, QPoint pt) {
    QMouseEvent move(QEvent::MouseMove, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    return view.viewport()->cursor();
}

TEST(TextViewUpdates, TheMouseCursorShowsWhatAClickWouldDo) {
    auto pBuffer = MakeBuffer({"abcdef", "ghijkl"});
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    view.SetSelectionRange({1, 0}, {4, 0});
    const int m = view.GetMarginWidth();
    const int cx = view.GetCharWidth();
    const int cy = view.GetLineHeight();
    const QCursor margin = CursorAt(view, QPoint(m - 1, cy + 3));
    EXPECT_EQ(margin.shape(), Qt::BitmapCursor);
    EXPECT_EQ(margin.hotSpot(), QPoint(12, 0));
    EXPECT_EQ(CursorAt(view, QPoint(m + 2 * cx + 1, 3)).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 4 * cx + 1, 3)).shape(), Qt::IBeamCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 2 * cx + 1, cy + 3)).shape(), Qt::IBeamCursor);
    EXPECT_EQ(CursorAt(view, QPoint(m + 1, 3)).shape(), Qt::IBeamCursor);
}

TEST(TextViewUpdates, FocusShowsTheCaretAndRepaintsTheSelection) {
    auto pBuffer = MakeNumberedBuffer(20);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.SetSelectionRange({0, 2}, {3, 4});
    QApplication::processEvents();
    view.m_rcPendingPaint = QRect();
    GiveFocus(view);
    EXPECT_FALSE(view.GetCaretRect().isEmpty());
    const int h = view.GetLineHeight();
    EXPECT_TRUE(view.m_rcPendingPaint.contains(QRect(0, 2 * h, view.viewport()->width(), 3 * h)));
    TakeFocus(view);
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
}

} // namespace
