// The windows: the menu switch, New Window, the pane splitter (Split, shared positions,
// removing panes, Next Pane), the bars and the Output pane, arranging windows, and the
// status-bar panes.
#include "app/DialogDockBar.h"
#include "app/OutputEdit.h"
#include "resources/CommandIds.h"
#include "tests/app/AppTestSupport.h"
#include "toolbridge/ToolRunner.h"
#include "view/PaneSplitter.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

class FramesTest : public CAppTest {
protected:
    // A file of nLines lines, each nWidth characters wide, opened in a window.
    CSampleDoc* OpenLongFile(int nLines, int nWidth) {
        QByteArray bytes;
        for (int i = 0; i < nLines; ++i)
            bytes += QByteArray(nWidth, 'a' + static_cast<char>(i % 26)) + "\r\n";
        return App().OpenDocumentFile(WriteFile("long.zarn", bytes));
    }

    CSampleView* Pane(int nRow, int nCol) {
        return qobject_cast<CSampleView*>(ActiveFrame()->GetSplitter()->GetPane(nRow, nCol));
    }

    // Drags the divider after pane nIndex of pSplitter by (dx, dy), as the mouse does.
    static void DragDivider(QSplitter* pSplitter, int nIndex, QPoint delta) {
        QSplitterHandle* pHandle = pSplitter->handle(nIndex + 1);
        ASSERT_NE(pHandle, nullptr);
        const QPoint ptStart = pHandle->rect().center();
        QTest::mousePress(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart);
        QTest::mouseMove(pHandle, ptStart + delta);
        QTest::mouseRelease(pHandle, Qt::LeftButton, Qt::NoModifier, ptStart + delta);
        ProcessEvents();
    }

    bool IsEnabled(unsigned nId) { return MainFrame().QueryCommandUI(nId).IsEnabled(); }
};

TEST_F(FramesTest, TheMenuSwitchesWhenADocumentWindowBecomesActiveOrTheLastCloses) {
    StartApp();
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(MainFrame().GetCommandAction(ID_APP_ABOUT)->text(), "&About");
    Execute(ID_FILE_NEW);
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_ZARNTYPE);
    EXPECT_EQ(MainFrame().GetCommandAction(ID_APP_ABOUT)->text(), "&About...");
    Execute(ID_FILE_NEW);
    Execute(ID_FILE_CLOSE);
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_ZARNTYPE);
    Execute(ID_FILE_CLOSE);
    EXPECT_EQ(MainFrame().GetMenuId(), IDR_MAINFRAME);
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor");
    EXPECT_EQ(MainFrame().GetCommandAction(ID_APP_ABOUT)->text(), "&About");
}

TEST_F(FramesTest, NewWindowShowsTheSameDocumentInANumberedWindow) {
    const QString strPath = WriteFile("form.zarn", "abc\r\n");
    StartApp({strPath});
    CSampleDoc* pDoc = ActiveDoc();
    CChildFrame* pFirst = ActiveFrame();
    Execute(ID_WINDOW_NEW);
    CChildFrame* pSecond = ActiveFrame();
    ASSERT_NE(pSecond, pFirst);
    EXPECT_EQ(pSecond->GetDocument(), pDoc);
    EXPECT_TRUE(pSecond->isMaximized());
    EXPECT_EQ(pFirst->windowTitle(), "form.zarn:1");
    EXPECT_EQ(pSecond->windowTitle(), "form.zarn:2");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - form.zarn");
    EXPECT_EQ(pDoc->GetViews().size(), 2u);

    // The Window menu lists both windows, the active one checked; choosing one activates it.
    QMenu* pWindowMenu = nullptr;
    for (QAction* pTop : MainFrame().menuBar()->actions()) {
        if (pTop->text() == "&Window")
            pWindowMenu = pTop->menu();
    }
    ASSERT_NE(pWindowMenu, nullptr);
    emit pWindowMenu->aboutToShow();
    const QList<QAction*> items = pWindowMenu->actions();
    ASSERT_GE(items.size(), 2);
    QAction* pFirstItem = items.at(items.size() - 2);
    QAction* pSecondItem = items.at(items.size() - 1);
    EXPECT_EQ(pFirstItem->text(), "&1 form.zarn:1");
    EXPECT_EQ(pSecondItem->text(), "&2 form.zarn:2");
    EXPECT_FALSE(pFirstItem->isChecked());
    EXPECT_TRUE(pSecondItem->isChecked());
    pFirstItem->trigger();
    EXPECT_EQ(ActiveFrame(), pFirst);
    EXPECT_TRUE(pFirst->isMaximized());
    pSecondItem->trigger();
    EXPECT_EQ(ActiveFrame(), pSecond);

    // Typing in one window shows in the other: one buffer.
    QTest::keyClick(ActiveView(), Qt::Key_Z);
    EXPECT_EQ(pFirst->GetActiveView()->GetLineLength(0), 4);

    // The modified document has "*" after its title in both windows, the main window's title
    // and the Window menu; saving takes it away, and Undo away from the saved text brings it
    // back. Redo back to the saved text leaves it: the buffer only ever sets the flag.
    EXPECT_EQ(pFirst->windowTitle(), "form.zarn*:1");
    EXPECT_EQ(pSecond->windowTitle(), "form.zarn*:2");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - form.zarn*");
    emit pWindowMenu->aboutToShow();
    EXPECT_EQ(pWindowMenu->actions().last()->text(), "&2 form.zarn*:2");
    Execute(ID_FILE_SAVE);
    EXPECT_EQ(pFirst->windowTitle(), "form.zarn:1");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - form.zarn");
    emit pWindowMenu->aboutToShow();
    EXPECT_EQ(pWindowMenu->actions().last()->text(), "&2 form.zarn:2");
    Execute(ID_EDIT_UNDO);
    EXPECT_EQ(pSecond->windowTitle(), "form.zarn*:2");
    EXPECT_EQ(MainFrame().windowTitle(), "Zarn Editor - form.zarn*");
    Execute(ID_EDIT_REDO);
    EXPECT_EQ(pSecond->windowTitle(), "form.zarn*:2");

    // Closing one of two windows asks nothing; closing the last one asks to save.
    EXPECT_TRUE(pSecond->close());
    FlushDeletes();
    EXPECT_TRUE(m_listMessages.empty());
    EXPECT_EQ(pFirst->windowTitle(), "form.zarn*");
    EXPECT_EQ(pDoc->GetViews().size(), 1u);
    AnswerMessageBoxes({QMessageBox::No});
    EXPECT_TRUE(pFirst->close());
    FlushDeletes();
    EXPECT_EQ(m_listMessages.size(), 1u);
    EXPECT_TRUE(Docs().GetDocuments().empty());
    EXPECT_FALSE(IsEnabled(ID_WINDOW_NEW));
}

TEST_F(FramesTest, SplitMakesTwoByTwoPanesThatShareTheirRowsAndColumnsPositions) {
    StartApp();
    CSampleDoc* pDoc = OpenLongFile(300, 200);
    EXPECT_TRUE(IsEnabled(ID_WINDOW_SPLIT));
    EXPECT_FALSE(IsEnabled(ID_NEXT_PANE));
    Execute(ID_WINDOW_SPLIT);
    CPaneSplitter* pSplitter = ActiveFrame()->GetSplitter();
    ASSERT_EQ(pSplitter->GetRowCount(), 2);
    ASSERT_EQ(pSplitter->GetColumnCount(), 2);
    EXPECT_FALSE(IsEnabled(ID_WINDOW_SPLIT));
    EXPECT_TRUE(IsEnabled(ID_NEXT_PANE));
    EXPECT_EQ(pDoc->GetViews().size(), 4u);
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            ASSERT_NE(Pane(r, c), nullptr);
            EXPECT_EQ(Pane(r, c)->GetDocument(), pDoc);
            EXPECT_EQ(Pane(r, c)->GetBuffer(), &pDoc->GetTextBuffer());
        }
    }
    ProcessEvents();

    // A pane scrolled down takes the other pane of its row along, not those of the other row.
    Pane(0, 0)->ScrollCaretIntoView({0, 150});
    EXPECT_GT(Pane(0, 0)->GetFirstVisibleLine(), 100);
    EXPECT_EQ(Pane(0, 1)->GetFirstVisibleLine(), Pane(0, 0)->GetFirstVisibleLine());
    EXPECT_EQ(Pane(1, 0)->GetFirstVisibleLine(), 0);
    EXPECT_EQ(Pane(1, 1)->GetFirstVisibleLine(), 0);
    // Only the last column has a vertical bar, only the last row a horizontal one.
    EXPECT_EQ(Pane(0, 1)->verticalScrollBar()->value(), Pane(0, 0)->GetFirstVisibleLine());
    EXPECT_EQ(Pane(0, 0)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Pane(0, 0)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Pane(1, 1)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // A pane scrolled right takes the other pane of its column along.
    Pane(1, 1)->ScrollCaretIntoView({180, 0});
    EXPECT_GT(Pane(1, 1)->GetFirstVisibleColumn(), 100);
    EXPECT_EQ(Pane(0, 1)->GetFirstVisibleColumn(), Pane(1, 1)->GetFirstVisibleColumn());
    EXPECT_EQ(Pane(0, 0)->GetFirstVisibleColumn(), 0);
    EXPECT_EQ(Pane(1, 0)->GetFirstVisibleColumn(), 0);
}

TEST_F(FramesTest, DraggingADividerToTheEdgeRemovesThatRowOrColumn) {
    StartApp();
    CSampleDoc* pDoc = OpenLongFile(100, 50);
    Execute(ID_WINDOW_SPLIT);
    CPaneSplitter* pSplitter = ActiveFrame()->GetSplitter();
    ProcessEvents();
    CSampleView* pKeptRow = Pane(0, 0);
    pKeptRow->ScrollToTopLine(20, true);
    pKeptRow->SyncSiblingPanes(true);

    // A small drag only moves the divider.
    auto* pRows = pSplitter->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(pRows, nullptr);
    const int nTopBefore = pRows->sizes().at(0);
    DragDivider(pRows, 0, QPoint(0, 40));
    EXPECT_EQ(pSplitter->GetRowCount(), 2);
    EXPECT_NEAR(pRows->sizes().at(0), nTopBefore + 40, 2);

    // Dragged to the bottom edge, the lower row goes with its panes.
    DragDivider(pRows, 0, QPoint(0, pRows->height()));
    EXPECT_EQ(pSplitter->GetRowCount(), 1);
    EXPECT_EQ(pSplitter->GetColumnCount(), 2);
    EXPECT_EQ(pDoc->GetViews().size(), 2u);
    EXPECT_EQ(Pane(0, 0), pKeptRow);
    EXPECT_EQ(Pane(0, 0)->GetFirstVisibleLine(), 20);
    // The remaining row is now the last: it shows the horizontal bars.
    EXPECT_EQ(Pane(0, 0)->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Dragged to the left edge, the first column goes; the right one moves into its place.
    CSampleView* pRight = Pane(0, 1);
    auto* pColumns = pRows->findChild<QSplitter*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(pColumns, nullptr);
    DragDivider(pColumns, 0, QPoint(-pColumns->width(), 0));
    EXPECT_EQ(pSplitter->GetColumnCount(), 1);
    EXPECT_EQ(Pane(0, 0), pRight);
    EXPECT_EQ(pDoc->GetViews().size(), 1u);
    EXPECT_EQ(pRight->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(ActiveFrame()->GetActiveView(), pRight);
    EXPECT_TRUE(IsEnabled(ID_WINDOW_SPLIT));
}

TEST_F(FramesTest, NextPaneAndPreviousPaneMoveTheFocusAroundThePanes) {
    StartApp();
    OpenLongFile(10, 10);
    Execute(ID_WINDOW_SPLIT);
    Pane(0, 0)->setFocus();
    ProcessEvents();
    EXPECT_EQ(ActiveView(), Pane(0, 0));
    const std::vector<CSampleView*> order = {Pane(0, 1), Pane(1, 0), Pane(1, 1), Pane(0, 0)};
    for (CSampleView* pExpected : order) {
        QTest::keyClick(ActiveView(), Qt::Key_F6);
        ProcessEvents();
        EXPECT_EQ(ActiveView(), pExpected);
        EXPECT_EQ(QApplication::focusWidget(), pExpected);
    }
    QTest::keyClick(ActiveView(), Qt::Key_F6, Qt::ShiftModifier);
    ProcessEvents();
    EXPECT_EQ(ActiveView(), Pane(1, 1));
}

TEST_F(FramesTest, ViewOutputHidesAndShowsTheBarAndItsTextSurvives) {
    StartApp();
    MainFrame().AppendOutput("first line\r\n", false);
    MainFrame().AppendOutput("second line", false);
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->toPlainText(), "first line\nsecond line");
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_OUTPUT).GetCheck(), 1);

    Execute(ID_VIEW_OUTPUT);
    EXPECT_FALSE(MainFrame().GetOutputBar()->isVisible());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_OUTPUT).GetCheck(), 0);
    EXPECT_FALSE(MainFrame().GetCommandAction(ID_VIEW_OUTPUT)->isChecked());
    Execute(ID_VIEW_OUTPUT);
    EXPECT_TRUE(MainFrame().GetOutputBar()->isVisible());
    EXPECT_TRUE(MainFrame().GetCommandAction(ID_VIEW_OUTPUT)->isChecked());
    EXPECT_EQ(pEdit->toPlainText(), "first line\nsecond line");

    MainFrame().AppendOutput("fresh", true);
    EXPECT_EQ(pEdit->toPlainText(), "fresh");
}

TEST_F(FramesTest, ClosingTheMainWindowWhileAToolRunsCancelsTheRunFirst) {
    StartApp();
    COutputEdit* pEdit = MainFrame().GetOutputEdit();
    ASSERT_NE(pEdit, nullptr);
    // The window is closed as soon as the tool has said something, while it still runs.
    const std::shared_ptr<bool> pbCloseAsked = CloseMainWindowWhenOutputShows("started");
    CToolRunner runner("/bin/sh", {"-c", "echo started; exec sleep 60"}, pEdit);
    runner.Run();
    EXPECT_TRUE(*pbCloseAsked);
    EXPECT_FALSE(CToolRunner::IsAnyRunning());
    EXPECT_TRUE(pEdit->toPlainText().contains("Cancelled."));
    // The close that was put off happens once the run has unwound.
    ProcessEvents();
    EXPECT_FALSE(MainFrame().isVisible());
}

TEST_F(FramesTest, TheToolbarAndTheStatusBarToggleWithTheirCheckMarks) {
    StartApp();
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_TOOLBAR).GetCheck(), 1);
    Execute(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(MainFrame().GetToolBar()->isVisible());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_TOOLBAR).GetCheck(), 0);
    Execute(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(MainFrame().GetToolBar()->isVisible());

    Execute(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(MainFrame().statusBar()->isVisible());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_STATUS_BAR).GetCheck(), 0);
    Execute(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(MainFrame().statusBar()->isVisible());
    EXPECT_EQ(MainFrame().QueryCommandUI(ID_VIEW_STATUS_BAR).GetCheck(), 1);
}

TEST_F(FramesTest, CascadeAndTileRestoreTheWindowsButNewOnesOpenMaximised) {
    const QString strFirst = WriteFile("first.zarn", "a\r\n");
    const QString strSecond = WriteFile("second.zarn", "b\r\n");
    StartApp({strFirst, strSecond});
    Execute(ID_WINDOW_CASCADE);
    for (QMdiSubWindow* pWindow : MainFrame().GetMdiArea()->subWindowList())
        EXPECT_FALSE(pWindow->isMaximized());
    Execute(ID_WINDOW_TILE_HORZ);
    const QList<QMdiSubWindow*> windows = MainFrame().GetMdiArea()->subWindowList();
    ASSERT_EQ(windows.size(), 2);
    EXPECT_FALSE(windows[0]->geometry().intersects(windows[1]->geometry()));

    // Minimised windows line up along the bottom.
    for (QMdiSubWindow* pWindow : windows)
        pWindow->showMinimized();
    Execute(ID_WINDOW_ARRANGE);
    const int nBottom = MainFrame().GetMdiArea()->viewport()->height();
    EXPECT_EQ(windows[0]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->geometry().bottom() + 1, nBottom);
    EXPECT_EQ(windows[1]->x(), windows[0]->geometry().right() + 1);

    Execute(ID_FILE_NEW);
    EXPECT_TRUE(ActiveFrame()->isMaximized());
}

TEST_F(FramesTest, TheStatusBarPanesFollowTheActiveView) {
    const QString strPath = WriteFile("form.zarn", "\tmat_width 320\r\nsecond\r\nthird\r\n");
    StartApp();
    MainFrame().OnIdleUpdateCmdUI();
    // Without a document the view's and the document's panes are blank.
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_POSITION), "");
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_GID), "");

    App().OpenDocumentFile(strPath);
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_POSITION), "Ln 1, Col 1");
    QTest::keyClick(ActiveView(), Qt::Key_Right);
    QTest::keyClick(ActiveView(), Qt::Key_Right);
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_POSITION), "Ln 1, Col 3");
    QTest::keyClick(ActiveView(), Qt::Key_Down);
    MainFrame().OnIdleUpdateCmdUI();
    // The pane counts characters, the move keeps the screen column: after the tab and one
    // letter the caret stood at screen column 5, which is the sixth character of "second".
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_POSITION), "Ln 2, Col 6");

    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_BLANK), "");
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_OVR), "");
    QTest::keyClick(ActiveView(), Qt::Key_Insert);
    MainFrame().OnIdleUpdateCmdUI();
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_OVR), "OVR");
    // The offscreen platform does not tell the lock keys' state: those panes stay blank.
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_CAPS), "");
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_NUM), "");
    EXPECT_EQ(MainFrame().GetPaneText(ID_INDICATOR_SCRL), "");
}

TEST_F(FramesTest, ThePositionPaneFollowsEveryCaretMoveAtOnce) {
    QByteArray bytes = "\tone two\r\nsecond line\r\nthird two\r\n";
    for (int i = 3; i < 60; ++i)
        bytes += "filler\r\n";
    StartApp({WriteFile("form.zarn", bytes)});
    CSampleView* pView = ActiveView();
    ASSERT_NE(pView, nullptr);
    // Each check comes straight after the event, with no event processed in between, so no
    // idle update can have run since the caret moved.
    const auto Position = [this] {
        return MainFrame().GetPaneText(ID_INDICATOR_POSITION).toStdString();
    };
    QTest::keyClick(pView, Qt::Key_End);
    EXPECT_EQ(Position(), "Ln 1, Col 9");
    QTest::keyClick(pView, Qt::Key_Down);
    EXPECT_EQ(Position(), "Ln 2, Col 12");
    const QPoint ptCell(pView->GetMarginWidth() + 2 * pView->GetCharWidth() + 1,
                        2 * pView->GetLineHeight() + 2);
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, Qt::NoModifier, ptCell);
    EXPECT_EQ(Position(), "Ln 3, Col 3");
    QTest::keyClicks(pView, "xy");
    EXPECT_EQ(Position(), "Ln 3, Col 5");
    QTest::keyClick(pView, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Position(), "Ln 3, Col 3");

    // Find: the dialog selects "two" on line 3, and F3 goes on round the end to line 1.
    DriveNextModalDialog([](QWidget* pDialog) {
        pDialog->findChild<QLineEdit*>("IDC_EDIT_FINDTEXT_8605")->setText("two");
        QTest::mouseClick(pDialog->findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    });
    QTest::keyClick(pView, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(pView, Qt::Key_F3);
    EXPECT_EQ(Position(), "Ln 1, Col 9");

    // Go to Line, from its key in the main window.
    bool bGoToLineShown = false;
    DriveNextModalDialog([&bGoToLineShown](QWidget* pDialog) {
        bGoToLineShown = pDialog->objectName() == "IDD_GOTO_LINE_8640";
        pDialog->findChild<QLineEdit*>("IDC_LINE_8642")->setText("40");
        pDialog->findChild<QLineEdit*>("IDC_COLUMN_8643")->setText("4");
        QTest::mouseClick(pDialog->findChild<QPushButton*>("IDOK_1"), Qt::LeftButton);
    });
    QTest::keyClick(pView, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(bGoToLineShown);
    EXPECT_EQ(pView->GetCaretTextPos(), (TextPos{3, 39}));
    EXPECT_EQ(Position(), "Ln 40, Col 4");

    // Another pane taking the focus shows its own caret.
    Execute(ID_WINDOW_SPLIT);
    // Focus moves only within the active window, which the closed dialogs left none.
    MainFrame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&MainFrame()));
    Pane(0, 0)->setFocus();
    EXPECT_EQ(Position(), "Ln 40, Col 4");
    Pane(1, 0)->PutCaretAt({1, 2});
    EXPECT_EQ(Position(), "Ln 40, Col 4");
    Pane(1, 0)->setFocus();
    EXPECT_EQ(Position(), "Ln 3, Col 2");

    // So does another document window becoming the active one, with the caret of the pane
    // that then has the focus.
    Pane(0, 1)->PutCaretAt({5, 10});
    Pane(1, 1)->PutCaretAt({6, 11});
    CChildFrame* pFirst = ActiveFrame();
    App().OpenDocumentFile(WriteFile("other.zarn", "abc\r\n"));
    EXPECT_EQ(Position(), "Ln 1, Col 1");
    MainFrame().GetMdiArea()->setActiveSubWindow(pFirst);
    const TextPos ptCaret = ActiveView()->GetCaretTextPos();
    EXPECT_NE(ptCaret, (TextPos{0, 0}));
    EXPECT_EQ(Position(),
              "Ln " + std::to_string(ptCaret.y + 1) + ", Col " + std::to_string(ptCaret.x + 1));
}

} // namespace
