// Scrolling: the scroll bars' ranges and states, their requests, keeping the caret in view,
// and the panes of a splitter on one buffer.
#include "ViewTestSupport.h"
#include "view/PaneSplitter.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A scroll bar as "value 0-max page P", with " off" when disabled.
std::string BarState(const QScrollBar* pBar) {
    return std::to_string(pBar->value()) + " " + std::to_string(pBar->minimum()) + "-" +
           std::to_string(pBar->maximum()) + " page " + std::to_string(pBar->pageStep()) +
           (pBar->isEnabled() ? "" : " off");
}

void AppendToLine(CTextBuffer& buffer, int nLine, int nCount) {
    buffer.AppendToLine(nLine, std::string(size_t(nCount), 'x'));
    buffer.NotifyViews(nullptr, nullptr, HINT_ONELINE | HINT_WIDTH, nLine);
}

TEST(TextViewScroll, BarsShowRangeAndPageAndWhenNothingScrollsTheTextGoesBackToItsStart) {
    CShownView fx(MakeNumberedBuffer(100), 30, 20);
    EXPECT_EQ(BarState(fx.view.verticalScrollBar()), "0 0-80 page 20");
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-0 page 30 off");
    EXPECT_TRUE(fx.view.horizontalScrollBar()->isVisible());
    AppendToLine(*fx.pBuffer, 7, 50);
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-26 page 30");
    fx.view.m_bHorzScrollFrozen = true;
    AppendToLine(*fx.pBuffer, 7, 10);
    EXPECT_EQ(BarState(fx.view.horizontalScrollBar()), "0 0-26 page 30");
    EXPECT_EQ(fx.view.GetMaxLineColumns(), 66);
    CShownView fits(MakeNumberedBuffer(30), 20, 10);
    fits.view.ScrollToTopLine(12, true);
    EXPECT_EQ(fits.view.verticalScrollBar()->value(), 12);
    QApplication::processEvents();
    fits.view.resize(fits.view.size() + QSize(0, 30 * fits.view.GetLineHeight()));
    EXPECT_EQ(fits.view.GetFirstVisibleLine(), 0);
    EXPECT_EQ(fits.view.m_rcPendingPaint, fits.view.viewport()->rect());
    EXPECT_EQ(BarState(fits.view.verticalScrollBar()), "0 0-0 page 40 off");
    // So does the first column, after the window widened or the long line went in another view:
    // the text would otherwise stay scrolled out of sight behind a disabled bar.
    CShownView wide(MakeBuffer({"short", std::string(60, 'x'), "end"}), 20, 5);
    CProbeView& view = wide.view;
    CProbeView other;
    SetUpView(other, wide.pBuffer.get(), 20, 5);
    const QSize wider(60 * view.GetCharWidth(), 0);
    for (const bool bWiden : {true, false}) {
        SCOPED_TRACE(bWiden ? "widened" : "deleted in the other view");
        view.ScrollToColumn(30, true);
        QApplication::processEvents();
        ASSERT_TRUE(view.m_rcPendingPaint.isNull());
        if (bWiden)
            view.resize(view.size() + wider);
        else
            wide.pBuffer->DeleteRange(&other, 1, 0, 1, 60, EDITACT_DELETE);
        EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
        EXPECT_EQ(view.m_rcPendingPaint, view.viewport()->rect()); // a full repaint
        EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
        EXPECT_FALSE(view.horizontalScrollBar()->isEnabled());
        if (bWiden)
            view.resize(view.size() - wider);
    }
}

TEST(TextViewScroll, RequestsMoveByLinesAndPagesWithOneLineOfOverlap) {
    CShownView fx(MakeNumberedBuffer(100), 20, 20);
    CProbeView& view = fx.view;
    QScrollBar* pVert = view.verticalScrollBar();
    constexpr auto kNo = QAbstractSlider::SliderNoAction;
    const std::tuple<int, int, QAbstractSlider::SliderAction, int, int> steps[] = {
        {SB_LINEDOWN, 0, kNo, 1, 1},
        {SB_PAGEDOWN, 0, kNo, 20, 20},
        {SB_PAGEUP, 0, kNo, 1, 1},
        {SB_LINEUP, 0, kNo, 0, 0},
        {SB_LINEUP, 0, kNo, 0, 0}, // clamped at the top
        {SB_THUMBTRACK, 57, kNo, 57, 57},
        {SB_THUMBPOSITION, 500, kNo, 99, 80}, // the last line
        {SB_ENDSCROLL, 3, kNo, 99, 80},
        {SB_TOP, 0, QAbstractSlider::SliderPageStepAdd, 19, 19},
        {-1, 0, QAbstractSlider::SliderSingleStepAdd, 20, 20},
        {SB_BOTTOM, 0, kNo, 81, 80},
        {SB_TOP, 0, kNo, 0, 0},
        {-1, 0, QAbstractSlider::SliderToMaximum, 81, 80},
    };
    for (const auto& [nRequest, nPos, action, nTop, nBar] : steps) {
        if (nRequest >= 0)
            view.OnVScroll(nRequest, nPos);
        if (action != kNo)
            pVert->triggerAction(action);
        EXPECT_EQ(view.GetFirstVisibleLine(), nTop) << nRequest << " " << action;
        EXPECT_EQ(pVert->value(), nBar) << nRequest << " " << action;
    }
    const QImage image = Render(view);
    const QColor crEmpty = view.GetColorValue(CI_EMPTYAREA);
    EXPECT_FALSE(IsFilled(image, CellRect(view, 0, 18), crEmpty)); // line 99
    EXPECT_TRUE(IsFilled(image, CellRect(view, 0, 19).united(CellRect(view, 19, 19)), crEmpty));
    AppendToLine(*fx.pBuffer, 3, 60);
    view.OnHScroll(SB_BOTTOM, 0);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 66 - 20 + 1);
    view.OnHScroll(SB_THUMBTRACK, 1000);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 65);
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view.GetFirstVisibleColumn(), 0);
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
    const std::tuple<TextPos, int, int> steps[] = {
        {{0, 25}, 16, 0},  {{0, 3}, 3, 0},   {{0, 7}, 3, 0},  {{20, 40}, 31, 0},
        {{21, 40}, 31, 1}, {{5, 40}, 31, 1}, {{0, 40}, 31, 0}};
    for (const auto& [pt, nTop, nLeft] : steps) {
        view.ScrollCaretIntoView(pt);
        EXPECT_EQ(view.GetFirstVisibleLine(), nTop) << pt.x << "," << pt.y;
        EXPECT_EQ(view.GetFirstVisibleColumn(), nLeft) << pt.x << "," << pt.y;
        EXPECT_EQ(view.horizontalScrollBar()->value(), nLeft);
    }
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

TEST(TextViewScroll, PanesShareTheirRowsLineAndTheirColumnsColumnFromTheStart) {
    auto pBuffer = MakeNumberedBuffer(200);
    for (int i = 0; i < 200; i += 7)
        pBuffer->AppendToLine(i, std::string(90, 'w'));
    CPaneSplitter splitter;
    splitter.resize(800, 600);
    CProbeSampleView* apViews[4]; // row by row
    auto positions = [&apViews] {
        std::string out;
        for (CTextView* pView : apViews)
            out += std::to_string(pView->GetFirstVisibleLine()) + "," +
                   std::to_string(pView->GetFirstVisibleColumn()) + " ";
        return out;
    };
    for (int i = 0; i < 4; ++i) {
        apViews[i] = new CProbeSampleView;
        apViews[i]->SetDocumentBuffer(pBuffer.get());
        splitter.SetPane(i / 2, i % 2, apViews[i]);
        splitter.show();
        apViews[i]->OnInitialUpdate();
        QApplication::processEvents();
        if (i == 0) {
            apViews[0]->ScrollToTopLine(40, true);
            apViews[0]->ScrollToColumn(12, true);
        }
    }
    EXPECT_EQ(positions(), "40,12 40,0 0,12 0,0 ");
    EXPECT_EQ(apViews[2]->GetSplitterSibling(0, 1), apViews[1]);
    EXPECT_EQ(apViews[2]->GetSplitterSibling(2, 0), nullptr);
    // The bars of the last column and row serve their row and column.
    EXPECT_EQ(apViews[0]->GetScrollBarCtrl(Qt::Vertical), apViews[1]->verticalScrollBar());
    EXPECT_EQ(apViews[0]->GetScrollBarCtrl(Qt::Horizontal), apViews[2]->horizontalScrollBar());
    apViews[2]->OnVScroll(SB_THUMBTRACK, 30);
    apViews[2]->SyncSiblingPanes(true);
    EXPECT_EQ(apViews[3]->verticalScrollBar()->value(), 30);
    apViews[1]->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    apViews[1]->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(positions(), "1,12 1,0 30,12 30,0 ");
    // Column scrolls stay within the widest line and take the column's panes along.
    for (int i = 0; i < 13; ++i)
        apViews[0]->ScrollColumnLeft();
    apViews[0]->ScrollColumnRight();
    apViews[0]->ScrollColumnRight();
    EXPECT_EQ(apViews[2]->GetFirstVisibleColumn(), 2);
    for (int i = 0; i < 120; ++i)
        apViews[0]->ScrollColumnRight();
    EXPECT_EQ(apViews[0]->GetFirstVisibleColumn(), 97); // "line 196" and 90 more
    apViews[2]->ScrollColumnLeft();
    EXPECT_EQ(positions(), "1,96 1,0 30,96 30,0 ");
    for (CTextView* pView : apViews)
        pView->DetachBuffer();
}

} // namespace
