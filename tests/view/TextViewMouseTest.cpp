// Selecting with the mouse: clicks with and without Shift and Ctrl, double-clicks, the
// selection margin, dragging with the auto-scroll timer, clicks inside the selection, the right
// button and the context menu, and the start of a drag of the selection.
#include "GoldenText.h"
#include "resources/CommandIds.h"

#include <QApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A view whose drag and context menu are answered by the test instead of the blocking loops.
class CMouseView : public CProbeView {
public:
    using CProbeView::OnContextMenu;
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> pData, Qt::DropActions effects) override {
        ++m_nDrags;
        m_strDragged = pData->text();
        m_dragEffects = effects;
        m_bSourceActiveDuringDrag = m_bDragSourceActive;
        return Qt::IgnoreAction;
    }
    // The menu as its texts, "-" for a separator, "(off)" after a disabled item.
    unsigned TrackContextMenu(QMenu& menu, QPoint ptScreen) override {
        m_ptMenu = ptScreen;
        m_strMenu.clear();
        for (const QAction* pAction : menu.actions())
            m_strMenu += (pAction->isSeparator() ? "-" : pAction->text().toStdString()) +
                         (pAction->isEnabled() ? "|" : " (off)|");
        return m_nMenuChoice;
    }
    bool RouteCommand(unsigned nId) override {
        m_arrRouted.push_back(nId);
        return CProbeView::RouteCommand(nId);
    }
    int m_nDrags = 0;
    QString m_strDragged;
    Qt::DropActions m_dragEffects;
    bool m_bSourceActiveDuringDrag = false;
    QPoint m_ptMenu;
    std::string m_strMenu;
    unsigned m_nMenuChoice = 0;
    std::vector<unsigned> m_arrRouted;
};

using CMouseFixture = TGoldenFixture<CMouseView>;

// A point on the left (or right) half of the cell of character column x on screen row y; for
// x -1 a point in the row's margin, at its left edge on odd rows and its right edge on even
// ones, so that a shown line-number column is hit as well as the selection margin.
QPoint Cell(CTextView& view, int x, int y, bool bRightHalf = false) {
    const int cx = view.GetCharWidth(),
              yMiddle = y * view.GetLineHeight() + view.GetLineHeight() / 2;
    if (x < 0)
        return {y % 2 ? 1 : view.GetMarginWidth() - 2, yMiddle};
    return {view.GetMarginWidth() + x * cx + (bRightHalf ? cx - 2 : 1), yMiddle};
}

void Send(CTextView& view, QEvent::Type type, QPoint pt, Qt::MouseButton button,
          Qt::MouseButtons buttons, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(pt), view.viewport()->mapToGlobal(QPointF(pt)), button, buttons,
                      keys);
    QApplication::sendEvent(view.viewport(), &event);
}

void LeftDown(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(view, QEvent::MouseButtonPress, pt, Qt::LeftButton, Qt::LeftButton, keys);
}

void DragTo(CTextView& view, QPoint pt) {
    Send(view, QEvent::MouseMove, pt, Qt::NoButton, Qt::LeftButton);
}

void LeftUp(CTextView& view, QPoint pt, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    Send(view, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton, keys);
}

// What a step does: the left button pressed, moved, released, clicked, double-clicked in the
// platform's order (press, release, double-click, release), the double-click event alone, a
// click of the right button, and a click through QTest's own events.
enum MouseAct { kDown, kMove, kUp, kClick, kDouble, kDoubleEvent, kRightClick, kTestClick };

// A step at Cell(x, y) and the golden text after it, if one is given.
struct MouseStep {
    MouseAct act;
    int x, y;
    Qt::KeyboardModifiers keys = Qt::NoModifier;
    const char* pszAfter = nullptr;
    bool bRightHalf = false;
};

void RunSteps(CMouseFixture& fx, std::initializer_list<MouseStep> steps) {
    CTextView& view = fx.view;
    for (const MouseStep& step : steps) {
        const QPoint pt = Cell(view, step.x, step.y, step.bRightHalf);
        const bool bDouble = step.act == kDouble || step.act == kDoubleEvent;
        if (step.act == kDown || step.act == kClick || step.act == kDouble)
            LeftDown(view, pt, step.keys);
        if (step.act == kUp || step.act == kClick || step.act == kDouble)
            LeftUp(view, pt, step.keys);
        if (bDouble)
            Send(view, QEvent::MouseButtonDblClick, pt, Qt::LeftButton, Qt::LeftButton, step.keys);
        if (step.act == kDouble)
            LeftUp(view, pt, step.keys);
        if (step.act == kMove)
            DragTo(view, pt);
        if (step.act == kRightClick) {
            Send(view, QEvent::MouseButtonPress, pt, Qt::RightButton, Qt::RightButton);
            Send(view, QEvent::MouseButtonRelease, pt, Qt::RightButton, Qt::NoButton);
        }
        if (step.act == kTestClick)
            QTest::mouseClick(view.viewport(), Qt::LeftButton, step.keys, pt);
        if (step.pszAfter) {
            EXPECT_EQ(fx.State(), step.pszAfter) << step.act << " " << step.x << "," << step.y;
        }
    }
}

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

TEST(TextViewMouse, ClicksLandOnTheNearerBoundaryAndShiftDragsCtrlAndDoubleClicksSelect) {
    CMouseFixture fx("a|bcdef\nghijkl");
    CMouseView& view = fx.view;
    RunSteps(fx, {{kTestClick, 2, 0, kNone, "ab|cdef\nghijkl"},
                  {kTestClick, 2, 1, kNone, "abcdef\nghi|jkl", true}});
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{3, 1}));
    EXPECT_FALSE(view.IsMouseSelecting());
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    RunSteps(fx, {{kClick, 15, 0, kNone, "abcdef|\nghijkl"},
                  {kClick, 1, 5, kNone, "abcdef\ng|hijkl"},
                  {kClick, 4, 0, kNone, "abcd|ef\nghijkl"}});
    EXPECT_EQ(view.m_nStickyColumn, 1);
    RunSteps(fx, {{kClick, 1, 0},
                  {kClick, 4, 1, Qt::ShiftModifier, "a[bcdef\nghij]|kl"},
                  {kClick, 5, 1},
                  {kDown, 4, 0}});
    EXPECT_TRUE(view.IsMouseSelecting());
    EXPECT_TRUE(view.IsAutoScrollTimerActive());
    RunSteps(fx, {{kMove, 2, 1, kNone, "abcd[ef\ngh]|ijkl"},
                  {kMove, 1, 0, kNone, "a|[bcd]ef\nghijkl"},
                  {kUp, 5, 1, kNone, "a|[bcd]ef\nghijkl"}});
    EXPECT_FALSE(view.IsMouseSelecting());
    GiveFocus(view);
    RunSteps(fx, {{kClick, 0, 1}, {kDown, 1, 0}, {kMove, 3, 0}});
    ASSERT_TRUE(view.IsMouseSelecting());
    TakeFocus(view);
    EXPECT_FALSE(view.IsMouseSelecting());
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    RunSteps(fx, {{kMove, 5, 0, kNone, "a[bc]|def\nghijkl"},
                  {kRightClick, 2, 0, kNone, "a[bc]|def\nghijkl"},
                  {kRightClick, 2, 1, kNone, "abcdef\ngh|ijkl"}});
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{2, 1}));
    // Ctrl+clicks and double-clicks select whole words.
    CMouseFixture words("foo bar baz qux");
    RunSteps(words, {{kDown, 5, 0, kCtrl, "foo [bar]| baz qux"}});
    EXPECT_TRUE(words.view.m_bSelectWords);
    RunSteps(words, {{kMove, 9, 0, kNone, "foo [bar baz]| qux"},
                     {kMove, 1, 0, kNone, "[foo bar]| baz qux"},
                     {kUp, 1, 0, kNone, "[foo bar]| baz qux"},
                     {kClick, 13, 0, kCtrl | Qt::ShiftModifier, "foo [bar baz qux]|"},
                     {kDouble, 3, 0, kNone, "[foo]| bar baz qux"},
                     {kDouble, 3, 0, kNone, "foo [bar]| baz qux", true}});
    EXPECT_FALSE(words.view.IsMouseSelecting());
    RunSteps(words, {{kClick, 0, 0},
                     {kDoubleEvent, 5, 0},
                     {kMove, 9, 0},
                     {kUp, 9, 0, kNone, "foo [bar baz]| qux"},
                     {kDown, 1, 0}});
    words.view.OnLButtonDblClk(Qt::NoModifier, Cell(words.view, 9, 0));
    EXPECT_FALSE(words.view.m_bSelectWords);
    RunSteps(words, {{kUp, 1, 0, kNone, "f|oo bar baz qux"}});
}

TEST(TextViewMouse, MarginClicksSelectWholeLinesAndDraggingIntoTheTextGoesOnByCharacters) {
    for (const bool bNumbers : {false, true}) {
        SCOPED_TRACE(bNumbers ? "line numbers" : "margin");
        CMouseFixture fx("line 0\nline 1\nline 2\nline 3");
        fx.view.SetShowLineNumbers(bNumbers);
        RunSteps(fx, {{kClick, -1, 1, kNone, "line 0\n[line 1\n]|line 2\nline 3"},
                      {kClick, -1, 3, kNone, "line 0\nline 1\nline 2\n[line 3]|"},
                      {kDown, -1, 1}});
        EXPECT_TRUE(fx.view.m_bSelectLines);
        RunSteps(fx, {{kMove, -1, 2, kNone, "line 0\n[line 1\n|line 2\n]line 3"},
                      {kMove, -1, 0, kNone, "|[line 0\nline 1\n]line 2\nline 3"},
                      {kUp, -1, 0, kNone, "|[line 0\nline 1\n]line 2\nline 3"},
                      {kDown, -1, 1},
                      {kUp, -1, 2, kNone, "line 0\n[line 1\nline 2\n]|line 3"},
                      {kClick, -1, 2, kCtrl, "[line 0\nline 1\nline 2\nline 3]|"},
                      {kDown, -1, 1},
                      {kMove, 3, 2, kNone, "line 0\n[line 1\nlin]|e 2\nline 3"}});
        EXPECT_FALSE(fx.view.m_bSelectLines);
        EXPECT_EQ(fx.view.viewport()->cursor().shape(), Qt::IBeamCursor);
        RunSteps(fx, {{kMove, -1, 3, kNone, "line 0\n[line 1\nline 2\n]|line 3"},
                      {kUp, -1, 3, kNone, "line 0\n[line 1\nline 2\n]|line 3"}});
    }
}

TEST(TextViewMouse, TheAutoScrollTimerScrollsOneOrThreeLinesAndExtendsTheSelection) {
    auto pBuffer = MakeNumberedBuffer(100);
    pBuffer->AppendToLine(50, std::string(60, 'w'));
    CMouseView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    const int h = view.GetLineHeight(), nBottom = view.viewport()->height();
    const int x = Cell(view, 4, 0).x(), y = Cell(view, 0, 5).y();
    view.ScrollToTopLine(40, true);
    LeftDown(view, Cell(view, 2, 1));
    const std::pair<QPoint, const char*> ticks[] = {
        {Cell(view, 4, 4), "caret 2,41 top 40"},
        {{x, nBottom}, "caret 4,51 sel 2,41-4,51 top 41"},
        {{x, nBottom + h}, "caret 4,55 sel 2,41-4,55 top 44"},
        {{x, nBottom + h - 1}, "caret 4,55 sel 2,41-4,55 top 45"},
        {{x, -1}, "caret 4,44 sel 2,41-4,44 top 44"},
        {{x, -h}, "caret 4,42 sel 2,41-4,42 top 43"},
        {{x, -h - 1}, "caret 4,39 sel 4,39-2,41 top 40"},
        {{view.viewport()->width(), y}, "caret 7,45 sel 2,41-7,45 top 40 left 1"},
        {{-1, y}, "caret 0,45 sel 2,41-0,45 top 40"},
        {{-1, y}, "caret 0,45 sel 2,41-0,45 top 40"},
    };
    for (const auto& [ptMouse, pszWhere] : ticks) {
        view.OnTimer(ptMouse);
        EXPECT_EQ(Where(view), pszWhere) << ptMouse.x() << "," << ptMouse.y();
        EXPECT_EQ(view.verticalScrollBar()->value(), view.GetFirstVisibleLine());
    }
    view.ScrollToTopLine(1, true);
    view.OnTimer(QPoint(x, -5 * h));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    LeftUp(view, Cell(view, 2, 2));
    EXPECT_FALSE(view.IsAutoScrollTimerActive());
    auto pWords = MakeBuffer({"alpha beta", "gamma delta", "epsilon zeta", "eta theta"});
    view.AttachBuffer(pWords.get());
    ShowWithCells(view, 20, 2);
    LeftDown(view, Cell(view, 7, 0), Qt::ControlModifier);
    EXPECT_EQ(DescribeView(view), "alpha [beta]|\ngamma delta\nepsilon zeta\neta theta");
    view.OnTimer(QPoint(Cell(view, 3, 0).x(), view.viewport()->height()));
    EXPECT_EQ(Where(view), "caret 3,3 sel 7,0-3,3 top 1");
    LeftUp(view, Cell(view, 3, 1));
    view.DetachBuffer();
}

TEST(TextViewMouse, APressInTheSelectionPlacesTheCaretOrDragsAndTheContextMenuRoutesItsCommand) {
    CMouseFixture fx("a[bcde]|f ghijkl");
    RunSteps(fx, {{kDown, 3, 0, kNone, "a[bcde]|f ghijkl"}});
    EXPECT_TRUE(fx.view.m_bDragPending);
    EXPECT_FALSE(fx.view.IsMouseSelecting());
    RunSteps(fx, {{kUp, 3, 0, kNone, "abcd|ef ghijkl", true}});
    EXPECT_FALSE(fx.view.m_bDragPending);
    EXPECT_EQ(DescribeAfter(fx.view, "Shift+Right"), "abcd[e]|f ghijkl");
    EXPECT_EQ(fx.view.m_nDrags, 0);
    CMouseFixture drag("ab[cd\n\xE9"
                       "f]|gh");
    const QPoint pt = Cell(drag.view, 3, 0);
    LeftDown(drag.view, pt);
    DragTo(drag.view, pt + QPoint(1, 0));
    EXPECT_EQ(drag.view.m_nDrags, 0);
    EXPECT_TRUE(drag.view.m_bDragPending);
    DragTo(drag.view, pt + QPoint(QApplication::startDragDistance() + 2, 0));
    EXPECT_EQ(drag.view.m_nDrags, 1);
    EXPECT_FALSE(drag.view.m_bDragPending);
    EXPECT_EQ(drag.view.m_strDragged, QString::fromUtf8("cd\n\xC3\xA9"
                                                        "f"));
    EXPECT_EQ(drag.view.m_dragEffects, Qt::DropActions(Qt::CopyAction));
    EXPECT_TRUE(drag.view.m_bSourceActiveDuringDrag);
    EXPECT_FALSE(drag.view.IsDragSourceActive());
    EXPECT_EQ(drag.view.m_ptDraggedFrom, (TextPos{2, 0}));
    EXPECT_EQ(drag.view.m_ptDraggedTo, (TextPos{2, 1}));
    LeftUp(drag.view, Cell(drag.view, 5, 0));
    EXPECT_EQ(drag.State(), "ab[cd\n\xE9"
                            "f]|gh");
    EXPECT_EQ(drag.pBuffer->GetUndoStepCount(), 0);
    // The context menu is menu 131; the chosen command is routed.
    CMouseFixture menu("abc|\ndef");
    menu.view.m_nMenuChoice = ID_EDIT_SELECT_ALL;
    const QPoint ptScreen = menu.view.viewport()->mapToGlobal(Cell(menu.view, 1, 1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, Cell(menu.view, 1, 1), ptScreen);
    QApplication::sendEvent(menu.view.viewport(), &event);
    // Copy and the anonymous bookmarks' moves are disabled: nothing selected, none set.
    EXPECT_EQ(menu.view.m_strMenu, "Cu&t\tCtrl+X|&Copy\tCtrl+C (off)|&Paste\tCtrl+V|&Delete\tDel|"
                                   "Select &All\tCtrl+A|-|Toggle Bookmark|Next Bookmark (off)|"
                                   "Previous Bookmark (off)|-|&Properties|");
    EXPECT_EQ(menu.view.m_ptMenu, ptScreen);
    EXPECT_EQ(menu.view.m_arrRouted, std::vector<unsigned>{ID_EDIT_SELECT_ALL});
    EXPECT_EQ(menu.State(), "[abc\ndef]|");
    menu.view.m_nMenuChoice = ID_CONTEXT_PROPERTIES;
    menu.view.OnContextMenu(ptScreen);
    EXPECT_EQ(menu.view.m_arrRouted.back(), ID_CONTEXT_PROPERTIES);
    EXPECT_EQ(menu.State(), "[abc\ndef]|");
    menu.view.m_nMenuChoice = 0;
    menu.view.OnContextMenu(ptScreen);
    EXPECT_NE(menu.view.m_strMenu.find("&Copy\tCtrl+C|"), std::string::npos); // with a selection
    EXPECT_EQ(menu.view.m_arrRouted.size(), 2u);
}

} // namespace
