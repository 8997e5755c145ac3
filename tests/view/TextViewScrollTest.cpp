// Scrolling: the scroll bars' ranges and states, their requests, keeping the caret in view,
// and the panes of a 2 x 2 splitter on one buffer.
#include "ViewTestSupport.h"
#include "view/PaneSplitter.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

TEST(TextViewScroll, BarsShowRangeAndPageAndAreDisabledWhenNothingScrolls) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 30, 20);
    QScrollBar* pVert = view.verticalScrollBar();
    QScrollBar* pHorz = view.horizontalScrollBar();
    EXPECT_TRUE(pVert->isVisible());
    EXPECT_TRUE(pVert->isEnabled());
    EXPECT_EQ(pVert->minimum(), 0);
    EXPECT_EQ(pVert->maximum(), 80); // the last position the thumb can take
    EXPECT_EQ(pVert->pageStep(), 20);
    // Every line fits horizontally: the bar stays, disabled.
    EXPECT_TRUE(pHorz->isVisible());
    EXPECT_FALSE(pHorz->isEnabled());

    pBuffer->AppendToLine(7, std::string(50, 'x'));
    pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 7);
    EXPECT_TRUE(pHorz->isEnabled());
    EXPECT_EQ(pHorz->pageStep(), 30);
    EXPECT_EQ(pHorz->maximum(), 56 - 30);
    // While the horizontal bar is frozen, width changes leave it alone.
    view.m_bHorzScrollFrozen = true;
    pBuffer->AppendToLine(7, std::string(10, 'x'));
    pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 7);
    EXPECT_EQ(pHorz->maximum(), 56 - 30);
    EXPECT_EQ(view.GetMaxLineColumns(), 66);
}

TEST(TextViewScroll, ADocumentThatFitsForcesTheFirstLineBackToZero) {
    auto pBuffer = MakeNumberedBuffer(30);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollToTopLine(12, true);
    EXPECT_EQ(view.verticalScrollBar()->value(), 12);
    QApplication::processEvents();
    view.resize(view.size() + QSize(0, 30 * view.GetLineHeight()));
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    EXPECT_EQ(view.m_rcPendingPaint, view.viewport()->rect()); // a full repaint
    EXPECT_FALSE(view.verticalScrollBar()->isEnabled());
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
}

// As the first line does vertically: after the window widened, or the long line went in
// another view, the text would otherwise stay scrolled out of sight behind a disabled bar.
TEST(TextViewScroll, WhenEveryLineFitsTheFirstColumnGoesBackToZero) {
    auto pBuffer = MakeBuffer({"short", std::string(60, 'x'), "end"});
    CProbeView view;
    CProbeView other;
    SetUpView(view, pBuffer.get(), 20, 5);
    SetUpView(other, pBuffer.get(), 20, 5);
    for (int nCase = 0; nCase < 2; ++nCase) {
        SCOPED_TRACE(nCase == 0 ? "widened" : "deleted in the other view");
        view.ScrollToColumn(30, true);
        QApplication::processEvents();
        ASSERT_TRUE(view.m_rcPendingPaint.isNull());
        if (nCase == 0) {
            view.resize(view.size() + QSize(60 * view.GetCharWidth(), 0));
        } else {
            pBuffer->DeleteRange(&other, 1, 0, 1, 60, EDITACT_DELETE);
        }
        EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
        EXPECT_EQ(view.m_rcPendingPaint, view.viewport()->rect()); // a full repaint
        EXPECT_FALSE(view.horizontalScrollBar()->isEnabled());
        EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
        if (nCase == 0)
            view.resize(view.size() - QSize(60 * view.GetCharWidth(), 0));
    }
}

TEST(TextViewScroll, TheBottomRequestLeavesOneEmptyRowBelowTheLastLine) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 20);
    view.OnVScroll(SB_BOTTOM, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 81);
    const QImage image = Render(view);
    const QColor crEmpty = view.GetColorValue(CI_EMPTYAREA);
    EXPECT_FALSE(IsFilled(image, CellRect(view, 0, 18), crEmpty)); // line 99
    for (int nColumn = 0; nColumn < 20; ++nColumn)
        EXPECT_TRUE(IsFilled(image, CellRect(view, nColumn, 19), crEmpty)) << nColumn;

    // The real bar's "to maximum" action is the same request.
    view.OnVScroll(SB_TOP, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(view.GetFirstVisibleLine(), 81);
    EXPECT_EQ(view.verticalScrollBar()->value(), 80); // the bar cannot show more
}

TEST(TextViewScroll, RequestsMoveByLinesAndPagesWithOneLineOfOverlap) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 20);
    view.OnVScroll(SB_LINEDOWN, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    view.OnVScroll(SB_PAGEDOWN, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 20);
    view.OnVScroll(SB_PAGEUP, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 1);
    view.OnVScroll(SB_LINEUP, 0);
    view.OnVScroll(SB_LINEUP, 0);
    EXPECT_EQ(view.GetFirstVisibleLine(), 0); // clamped at the top
    view.OnVScroll(SB_THUMBTRACK, 57);
    EXPECT_EQ(view.GetFirstVisibleLine(), 57);
    view.OnVScroll(SB_THUMBPOSITION, 500);
    EXPECT_EQ(view.GetFirstVisibleLine(), 99); // clamped at the last line
    view.OnVScroll(SB_ENDSCROLL, 3);
    EXPECT_EQ(view.GetFirstVisibleLine(), 99);
    EXPECT_EQ(view.verticalScrollBar()->value(), 80);

    // The bar's own actions go through the same table.
    view.OnVScroll(SB_TOP, 0);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.GetFirstVisibleLine(), 19);
    view.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(view.GetFirstVisibleLine(), 20);
    EXPECT_EQ(view.verticalScrollBar()->value(), 20);

    // Horizontally the widest line bounds the requests.
    pBuffer->AppendToLine(3, std::string(60, 'x'));
    pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 3);
    view.OnHScroll(SB_BOTTOM, 0);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 66 - 20 + 1);
    view.OnHScroll(SB_THUMBTRACK, 1000);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 65);
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
}

TEST(TextViewScroll, TheWheelScrollsByTheSystemsLineCount) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 20);
    QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_EQ(view.GetFirstVisibleLine(), QApplication::wheelScrollLines());
}

TEST(TextViewScroll, ScrollCaretIntoViewScrollsJustEnough) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i)
        lines.push_back(std::string(static_cast<size_t>(i * 2), 'a'));
    auto pBuffer = MakeBuffer(lines);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    view.ScrollCaretIntoView({0, 25});
    EXPECT_EQ(view.GetFirstVisibleLine(), 16); // the caret line becomes the last visible one
    view.ScrollCaretIntoView({0, 3});
    EXPECT_EQ(view.GetFirstVisibleLine(), 3);
    view.ScrollCaretIntoView({0, 7});
    EXPECT_EQ(view.GetFirstVisibleLine(), 3);

    // A caret just after the last visible column counts as visible.
    view.ScrollCaretIntoView({20, 40});
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
    view.ScrollCaretIntoView({21, 40});
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    view.ScrollCaretIntoView({5, 40});
    EXPECT_EQ(view.GetFirstVisibleColumn(), 1);
    view.ScrollCaretIntoView({0, 40});
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
}

TEST(TextViewScroll, ACaretLeftOfTheVisibleColumnsIsHiddenUntilScrolledBack) {
    auto pBuffer = MakeBuffer({std::string(80, 'x')});
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 5);
    GiveFocus(view);
    view.PlaceCaret({5, 0});
    EXPECT_FALSE(view.GetCaretRect().isEmpty());
    view.OnHScroll(SB_THUMBTRACK, 10);
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
    view.OnHScroll(SB_THUMBTRACK, 5);
    EXPECT_EQ(view.GetCaretRect().left(), view.GetMarginWidth());
    // Right of the window it is placed outside the client area.
    view.PlaceCaret({40, 0});
    EXPECT_GT(view.GetCaretRect().left(), view.viewport()->width());
}

// Four views on one buffer in a 2 x 2 splitter.
struct SplitterGrid {
    SplitterGrid() : pBuffer(MakeNumberedBuffer(200)) {
        for (int i = 0; i < 200; i += 7)
            pBuffer->AppendToLine(i, std::string(90, 'w'));
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c) {
                apViews[r][c] = new CProbeView;
                splitter.SetPane(r, c, apViews[r][c]);
            }
        }
        splitter.resize(800, 600);
        splitter.show();
        for (auto& row : apViews) {
            for (CProbeView* pView : row) {
                pView->OnInitialUpdate();
                pView->AttachBuffer(pBuffer.get());
                UseDocumentFont(*pView);
            }
        }
        QApplication::processEvents();
    }
    ~SplitterGrid() {
        for (auto& row : apViews) {
            for (CProbeView* pView : row)
                pView->DetachBuffer();
        }
    }
    CProbeView& View(int r, int c) { return *apViews[r][c]; }

    std::unique_ptr<CTextBuffer> pBuffer;
    CPaneSplitter splitter;
    CProbeView* apViews[2][2];
};

TEST(TextViewScroll, PanesOfARowShareTheVerticalPositionAndOfAColumnTheHorizontal) {
    SplitterGrid grid;
    EXPECT_EQ(grid.splitter.GetRowCount(), 2);
    EXPECT_EQ(grid.splitter.GetColumnCount(), 2);
    EXPECT_EQ(grid.splitter.GetPaneId(&grid.View(1, 1)), 59648 + 16 + 1);
    EXPECT_EQ(grid.View(1, 0).GetSplitterSibling(0, 1), &grid.View(0, 1));
    EXPECT_EQ(grid.View(1, 0).GetSplitterSibling(2, 0), nullptr);

    grid.View(0, 0).ScrollCaretIntoView({0, 120});
    const int nTop = grid.View(0, 0).GetFirstVisibleLine();
    EXPECT_GT(nTop, 0);
    EXPECT_EQ(grid.View(0, 1).GetFirstVisibleLine(), nTop);
    EXPECT_EQ(grid.View(1, 0).GetFirstVisibleLine(), 0);
    EXPECT_EQ(grid.View(1, 1).GetFirstVisibleLine(), 0);

    grid.View(1, 1).ScrollCaretIntoView({85, 0});
    const int nLeft = grid.View(1, 1).GetFirstVisibleColumn();
    EXPECT_GT(nLeft, 0);
    EXPECT_EQ(grid.View(0, 1).GetFirstVisibleColumn(), nLeft);
    EXPECT_EQ(grid.View(0, 0).GetFirstVisibleColumn(), 0);
    EXPECT_EQ(grid.View(1, 0).GetFirstVisibleColumn(), 0);
}

TEST(TextViewScroll, OnlyTheLastColumnAndRowShowBarsWhichTheirRowAndColumnShare) {
    SplitterGrid grid;
    EXPECT_FALSE(grid.View(0, 0).verticalScrollBar()->isVisible());
    EXPECT_TRUE(grid.View(0, 1).verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid.View(0, 1).horizontalScrollBar()->isVisible());
    EXPECT_TRUE(grid.View(1, 0).horizontalScrollBar()->isVisible());
    EXPECT_EQ(grid.View(0, 0).GetScrollBarCtrl(Qt::Vertical), grid.View(0, 1).verticalScrollBar());
    EXPECT_EQ(grid.View(0, 0).GetScrollBarCtrl(Qt::Horizontal),
              grid.View(1, 0).horizontalScrollBar());

    // Scrolling the left pane moves the bar it shares with the right one.
    grid.View(1, 0).OnVScroll(SB_THUMBTRACK, 30);
    grid.View(1, 0).SyncSiblingPanes(true);
    EXPECT_EQ(grid.View(1, 1).GetFirstVisibleLine(), 30);
    EXPECT_EQ(grid.View(1, 1).verticalScrollBar()->value(), 30);
    // A request on a shared bar scrolls the whole row.
    grid.View(0, 1).verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.View(0, 0).GetFirstVisibleLine(), 1);
    EXPECT_EQ(grid.View(0, 1).GetFirstVisibleLine(), 1);
    EXPECT_EQ(grid.View(1, 0).GetFirstVisibleLine(), 30);
}

TEST(TextViewScroll, ANewPaneTakesItsRowsLineAndItsColumnsColumn) {
    auto pBuffer = MakeNumberedBuffer(300);
    pBuffer->AppendToLine(0, std::string(200, 'w'));
    CPaneSplitter splitter;
    auto* pFirst = new CProbeSampleView;
    pFirst->SetDocumentBuffer(pBuffer.get());
    splitter.SetPane(0, 0, pFirst);
    splitter.resize(600, 400);
    splitter.show();
    pFirst->OnInitialUpdate();
    QApplication::processEvents();
    pFirst->ScrollToTopLine(40, true);
    pFirst->ScrollToColumn(12, true);

    auto* pRight = new CProbeSampleView;
    pRight->SetDocumentBuffer(pBuffer.get());
    splitter.SetPane(0, 1, pRight);
    pRight->OnInitialUpdate();
    EXPECT_EQ(pRight->GetFirstVisibleLine(), 40);
    EXPECT_EQ(pRight->GetFirstVisibleColumn(), 0);

    auto* pBelow = new CProbeSampleView;
    pBelow->SetDocumentBuffer(pBuffer.get());
    splitter.SetPane(1, 0, pBelow);
    pBelow->OnInitialUpdate();
    EXPECT_EQ(pBelow->GetFirstVisibleLine(), 0);
    EXPECT_EQ(pBelow->GetFirstVisibleColumn(), 12);
    for (CTextView* pView : {static_cast<CTextView*>(pFirst), static_cast<CTextView*>(pRight),
                             static_cast<CTextView*>(pBelow)})
        pView->DetachBuffer();
}

} // namespace
