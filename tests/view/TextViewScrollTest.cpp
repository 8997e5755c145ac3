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
    CShownView fx(MakeNumberedBuffer(100), 30, 20);
    // The maximum is the last position the thumb can take. Every line fits horizontally:
    // the bar stays, disabled.
    EXPECT_EQ(BarState(fx.view.verticalScrollBar()), "0 0-80 page 20");
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-0 page 30 off");
    fx.pBuffer->AppendToLine(7, std::string(50, 'x'));
    fx.pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 7);
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-26 page 30");
    // While the horizontal bar is frozen, width changes leave it alone.
    fx.view.m_bHorzScrollFrozen = true;
    fx.pBuffer->AppendToLine(7, std::string(10, 'x'));
    fx.pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 7);
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-26 page 30");
    EXPECT_EQ(fx.view.GetMaxLineColumns(), 66);

    // A document that comes to fit forces the first line back to 0, with a full repaint.
    CShownView fits(MakeNumberedBuffer(30), 20, 10);
    fits.view.ScrollToTopLine(12, true);
    EXPECT_EQ(fits.view.verticalScrollBar()->value(), 12);
    QApplication::processEvents();
    fits.view.resize(fits.view.size() + QSize(0, 30 * fits.view.GetLineHeight()));
    EXPECT_EQ(fits.view.GetFirstVisibleLine(), 0);
    EXPECT_EQ(fits.view.m_rcPendingPaint, fits.view.viewport()->rect());
    EXPECT_EQ(BarState(fits.view.verticalScrollBar()), "0 0-0 page 40 off");
}

// As the first line does vertically: after the window widened, or the long line went in
// another view, the text would otherwise stay scrolled out of sight behind a disabled bar.
TEST(TextViewScroll, WhenEveryLineFitsTheFirstColumnGoesBackToZero) {
    CShownView fx(MakeBuffer({"short", std::string(60, 'x'), "end"}), 20, 5);
    CProbeView& view = fx.view;
    CProbeView other;
    SetUpView(other, fx.pBuffer.get(), 20, 5);
    for (int nCase = 0; nCase < 2; ++nCase) {
        SCOPED_TRACE(nCase == 0 ? "widened" : "deleted in the other view");
        view.ScrollToColumn(30, true);
        QApplication::processEvents();
        ASSERT_TRUE(view.m_rcPendingPaint.isNull());
        if (nCase == 0)
            view.resize(view.size() + QSize(60 * view.GetCharWidth(), 0));
        else
            fx.pBuffer->DeleteRange(&other, 1, 0, 1, 60, EDITACT_DELETE);
        EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
        EXPECT_EQ(view.m_rcPendingPaint, view.viewport()->rect()); // a full repaint
        EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
        EXPECT_FALSE(view.horizontalScrollBar()->isEnabled());
        if (nCase == 0)
            view.resize(view.size() - QSize(60 * view.GetCharWidth(), 0));
    }
}

TEST(TextViewScroll, RequestsMoveByLinesAndPagesWithOneLineOfOverlap) {
    CShownView fx(MakeNumberedBuffer(100), 20, 20);
    CProbeView& view = fx.view;
    QScrollBar* pVert = view.verticalScrollBar();
    // The bar's own actions go through the same table; the bottom leaves one empty row
    // below the last line, which the bar cannot show.
    const struct {
        int nRequest, nPos;
        QAbstractSlider::SliderAction action;
        int nTop, nBar;
    } steps[] = {
        {SB_LINEDOWN, 0, QAbstractSlider::SliderNoAction, 1, 1},
        {SB_PAGEDOWN, 0, QAbstractSlider::SliderNoAction, 20, 20},
        {SB_PAGEUP, 0, QAbstractSlider::SliderNoAction, 1, 1},
        {SB_LINEUP, 0, QAbstractSlider::SliderNoAction, 0, 0},
        {SB_LINEUP, 0, QAbstractSlider::SliderNoAction, 0, 0}, // clamped at the top
        {SB_THUMBTRACK, 57, QAbstractSlider::SliderNoAction, 57, 57},
        {SB_THUMBPOSITION, 500, QAbstractSlider::SliderNoAction, 99, 80}, // the last line
        {SB_ENDSCROLL, 3, QAbstractSlider::SliderNoAction, 99, 80},
        {SB_TOP, 0, QAbstractSlider::SliderPageStepAdd, 19, 19},
        {-1, 0, QAbstractSlider::SliderSingleStepAdd, 20, 20},
        {SB_BOTTOM, 0, QAbstractSlider::SliderNoAction, 81, 80},
        {SB_TOP, 0, QAbstractSlider::SliderNoAction, 0, 0},
        {-1, 0, QAbstractSlider::SliderToMaximum, 81, 80},
    };
    for (const auto& step : steps) {
        if (step.nRequest >= 0)
            view.OnVScroll(step.nRequest, step.nPos);
        if (step.action != QAbstractSlider::SliderNoAction)
            pVert->triggerAction(step.action);
        EXPECT_EQ(view.GetFirstVisibleLine(), step.nTop) << step.nRequest << " " << step.action;
        EXPECT_EQ(pVert->value(), step.nBar) << step.nRequest << " " << step.action;
    }
    const QImage image = Render(view);
    const QColor crEmpty = view.GetColorValue(CI_EMPTYAREA);
    EXPECT_FALSE(IsFilled(image, CellRect(view, 0, 18), crEmpty)); // line 99
    EXPECT_TRUE(IsFilled(image, CellRect(view, 0, 19).united(CellRect(view, 19, 19)), crEmpty));

    // Horizontally the widest line bounds the requests.
    fx.pBuffer->AppendToLine(3, std::string(60, 'x'));
    fx.pBuffer->NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, 3);
    view.OnHScroll(SB_BOTTOM, 0);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 66 - 20 + 1);
    view.OnHScroll(SB_THUMBTRACK, 1000);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 65);
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);

    // The wheel scrolls by the system's line count.
    view.OnVScroll(SB_TOP, 0);
    QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_EQ(view.GetFirstVisibleLine(), QApplication::wheelScrollLines());
}

TEST(TextViewScroll, ScrollCaretIntoViewScrollsJustEnoughAndACaretOutsideIsNotShown) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i)
        lines.push_back(std::string(static_cast<size_t>(i * 2), 'a'));
    CShownView fx(MakeBuffer(lines), 20, 10);
    CProbeView& view = fx.view;
    // The caret line becomes the last visible one; a caret just after the last visible column
    // counts as visible.
    const struct {
        TextPos pt;
        int nTop, nLeft;
    } steps[] = {{{0, 25}, 16, 0},  {{0, 3}, 3, 0},   {{0, 7}, 3, 0},  {{20, 40}, 31, 0},
                 {{21, 40}, 31, 1}, {{5, 40}, 31, 1}, {{0, 40}, 31, 0}};
    for (const auto& step : steps) {
        view.ScrollCaretIntoView(step.pt);
        EXPECT_EQ(view.GetFirstVisibleLine(), step.nTop) << step.pt.x << "," << step.pt.y;
        EXPECT_EQ(view.GetFirstVisibleColumn(), step.nLeft) << step.pt.x << "," << step.pt.y;
        EXPECT_EQ(view.horizontalScrollBar()->value(), step.nLeft);
    }

    // A caret left of the visible columns is hidden until scrolled back; right of the window
    // it is placed outside the client area.
    GiveFocus(view);
    view.PlaceCaret({5, 40});
    EXPECT_FALSE(view.GetCaretRect().isEmpty());
    view.OnHScroll(SB_THUMBTRACK, 10);
    EXPECT_TRUE(view.GetCaretRect().isEmpty());
    view.OnHScroll(SB_THUMBTRACK, 5);
    EXPECT_EQ(view.GetCaretRect().left(), view.GetMarginWidth());
    view.PlaceCaret({40, 40});
    EXPECT_GT(view.GetCaretRect().left(), view.viewport()->width());
}

// Four views on one buffer in a 2 x 2 splitter.
struct SplitterGrid {
    SplitterGrid() : pBuffer(MakeNumberedBuffer(200)) {
        for (int i = 0; i < 200; i += 7)
            pBuffer->AppendToLine(i, std::string(90, 'w'));
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 2; ++c)
                splitter.SetPane(r, c, apViews[r][c] = new CProbeView);
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
    // The first visible line and column of every pane, row by row.
    std::string Positions() {
        std::string out;
        for (auto& row : apViews) {
            for (CProbeView* pView : row)
                out += std::to_string(pView->GetFirstVisibleLine()) + "," +
                       std::to_string(pView->GetFirstVisibleColumn()) + " ";
        }
        return out;
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
    grid.View(1, 1).ScrollCaretIntoView({85, 0});
    const std::string strTop = std::to_string(grid.View(0, 0).GetFirstVisibleLine());
    const std::string strLeft = std::to_string(grid.View(1, 1).GetFirstVisibleColumn());
    EXPECT_TRUE(strTop != "0" && strLeft != "0");
    EXPECT_EQ(grid.Positions(),
              strTop + ",0 " + strTop + "," + strLeft + " 0,0 0," + strLeft + " ");

    // Only the last column and row show bars, which their row and column share.
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
    EXPECT_EQ(grid.View(1, 1).verticalScrollBar()->value(), 30);
    // A request on a shared bar scrolls the whole row.
    grid.View(0, 1).verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    grid.View(0, 1).verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.Positions(), "1,0 1," + strLeft + " 30,0 30," + strLeft + " ");
}

TEST(TextViewScroll, ANewPaneTakesItsRowsLineAndItsColumnsColumn) {
    auto pBuffer = MakeNumberedBuffer(300);
    pBuffer->AppendToLine(0, std::string(200, 'w'));
    CPaneSplitter splitter;
    splitter.resize(600, 400);
    CProbeSampleView* apViews[3];
    const int aanPane[3][2] = {{0, 0}, {0, 1}, {1, 0}};
    for (int i = 0; i < 3; ++i) {
        apViews[i] = new CProbeSampleView;
        apViews[i]->SetDocumentBuffer(pBuffer.get());
        splitter.SetPane(aanPane[i][0], aanPane[i][1], apViews[i]);
        if (i == 0)
            splitter.show();
        apViews[i]->OnInitialUpdate();
        if (i == 0) {
            QApplication::processEvents();
            apViews[0]->ScrollToTopLine(40, true);
            apViews[0]->ScrollToColumn(12, true);
        }
    }
    EXPECT_EQ(Where(*apViews[1]), "caret 0,0 top 40");
    EXPECT_EQ(Where(*apViews[2]), "caret 0,0 top 0 left 12");
    for (CTextView* pView : apViews)
        pView->DetachBuffer();
}

} // namespace
