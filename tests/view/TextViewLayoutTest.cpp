// The view's metrics, position mapping, per-line caches, buffer updates and scrolling.
#include "GoldenText.h"
#include "resources/CommandIds.h"
#include "view/PaneSplitter.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A view that counts its line reads and records each parse.
class CCountingView : public CProbeView {
public:
    const char* GetLineText(int nLine) const override {
        ++m_nTextReads;
        return CProbeView::GetLineText(nLine);
    }
    // A line's state is its length plus the incoming state, so states carry information.
    uint32_t ParseLine(uint32_t dwState, int nLine, ColorBlock*, int&) override {
        m_arrParsed.push_back({nLine, dwState});
        return dwState + static_cast<uint32_t>(GetLineLength(nLine));
    }
    std::vector<std::pair<int, uint32_t>> m_arrParsed;
    mutable int m_nTextReads = 0;
};

// The two per-line caches and the widest width: "states 2 5 - widths 1 2 - max 2", "-" for an
// unset entry.
std::string Caches(CProbeView& view) {
    std::string out = "states";
    for (int i = 0; i < view.m_LineStates.Size(); ++i) {
        const uint32_t dwState = view.m_LineStates.Get(i);
        out += dwState == LINESTATE_UNSET ? " -" : " " + std::to_string(dwState);
    }
    out += " widths";
    for (int i = 0; i < view.m_LineColumns.Size(); ++i) {
        const int nWidth = view.m_LineColumns.Get(i);
        out += nWidth == CLineWidthCache::WIDTH_UNSET ? " -" : " " + std::to_string(nWidth);
    }
    return out + " max " + std::to_string(view.GetMaxLineColumns());
}

TEST(TextViewMetrics, AViewWithoutABufferShowsOneEmptyLineAndClientPointsMapToPositions) {
    CProbeView view;
    EXPECT_EQ(std::pair(view.GetLineCount(), view.GetLineLength(0)), std::pair(1, 0));
    EXPECT_EQ(view.GetLineText(0), nullptr);
    EXPECT_EQ(view.GetLineFlags(0), 0u);
    EXPECT_EQ(view.GetMaxLineColumns(), 0);
    std::string text = "stale";
    view.GetTextRange({0, 0}, {0, 0}, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(view.GetLineEndState(0), 0u);
    EXPECT_EQ(view.ClientToTextPos(QPoint(500, 500)), (TextPos{0, 0}));
    view.AttachBuffer(nullptr);
    EXPECT_EQ(view.GetBuffer(), nullptr);
    UseDocumentFont(view);
    ShowWithCells(view, 10, 5);
    EXPECT_FALSE(Render(view).isNull());
    PressKeys(view, "Left Right Up Down PgUp PgDown Home End Ctrl+Right Ctrl+Left Ctrl+A Ctrl+1 "
                    "Ctrl+F2 Alt+1");
    view.GoToNextAnonBookmark();
    view.GoToPrevAnonBookmark();
    view.ClearAnonBookmarks();
    view.ClearNumberedBookmarks();
    EXPECT_FALSE(view.HasAnonBookmarks());
    EXPECT_EQ(DescribeView(view), "|");
    EXPECT_EQ(view.GetLineHeight(), 17);
    EXPECT_TRUE(QFontInfo(view.GetStyleFont(false, false).Font()).fixedPitch());
    // One description makes the styles' fonts and keeps the last one made.
    EXPECT_TRUE(view.GetStyleFont(false, true).Font().bold());
    EXPECT_TRUE(view.GetStyleFont(true, false).Font().italic());
    EXPECT_EQ(std::pair(view.GetBaseFont().nWeight, view.GetBaseFont().bItalic),
              std::pair(FW_NORMAL, true));
    // A new view's face is not installed here: a fixed-pitch font stands in for it.
    CProbeView plain;
    EXPECT_EQ(plain.GetBaseFont().strFaceName, "FixedSys");
    const QFontMetrics metrics(plain.GetStyleFont(false, false).Font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));
    CShownView fx(MakeBuffer({"abcdef", "a\tb", "", "last line"}), 20, 10);
    CProbeView& shown = fx.view;
    const int cx = shown.GetCharWidth(), cy = shown.GetLineHeight(), m = shown.GetMarginWidth();
    const std::pair<QPoint, TextPos> points[] = {
        {{3, cy + 2}, {0, 1}},          {{m + 2 * cx, 9 * cy}, {2, 3}},
        {{m + 15 * cx, 0}, {6, 0}},     {{m + 15 * cx, 2 * cy}, {0, 2}},
        {{m + 3 * cx + 1, cy}, {1, 1}}, {{m + 4 * cx, cy}, {2, 1}}};
    for (const auto& [pt, ptText] : points)
        EXPECT_EQ(shown.ClientToTextPos(pt), ptText) << pt.x() << "," << pt.y();
    EXPECT_EQ(shown.TextPosToClient({2, 1}), QPoint(m + 4 * cx, cy));
    shown.ScrollToTopLine(2, true);
    shown.ScrollToColumn(3, true);
    EXPECT_EQ(shown.TextPosToClient({0, 1}), QPoint(m - 3 * cx, -cy));
    EXPECT_EQ(shown.ClientToTextPos(QPoint(m, 0)), (TextPos{0, 2}));
    EXPECT_EQ(shown.ClientToTextPos(QPoint(m, cy)), (TextPos{3, 3}));
    for (const auto& [grow, nColumns, nLines] : {std::tuple{QSize(0, 0), 20, 10},
                                                 {QSize(cx - 1, cy - 1), 20, 10},
                                                 {QSize(1, 1), 21, 11}}) {
        shown.resize(shown.size() + grow);
        EXPECT_EQ(shown.GetVisibleColumnCount(), nColumns);
        EXPECT_EQ(shown.GetVisibleLineCount(), nLines);
    }
    EXPECT_EQ(shown.m_pLineBitmap, nullptr); // made again at the next paint
}

TEST(TextViewMetrics, TheCachesFollowEditsAndResetsAndAnUnchangedEndStateKeepsLaterLines) {
    CCountingView view;
    auto pEdited = MakeBuffer({"aa", "bbb", "c", "dddd", "e"});
    view.AttachBuffer(pEdited.get());
    view.m_arrParsed.clear();
    EXPECT_EQ(view.GetLineEndState(4), 2u + 3 + 1 + 4 + 1);
    EXPECT_EQ(view.GetMaxLineColumns(), 4);
    ASSERT_EQ(view.m_arrParsed.front(), (std::pair<int, uint32_t>{0, 0}));
    BufferInsert(*pEdited, 2, 1, "ccccccc");
    EXPECT_EQ(Caches(view), "states 2 5 - - - widths 2 3 8 4 1 max 8");
    view.m_arrParsed.clear();
    EXPECT_EQ(view.GetLineEndState(4), 2u + 3 + 8 + 4 + 1);
    ASSERT_EQ(view.m_arrParsed.size(), 3u);
    EXPECT_EQ(view.m_arrParsed[0], (std::pair<int, uint32_t>{2, 5}));
    // A font change keeps the widths: no line is read again.
    const int nReads = view.m_nTextReads;
    UseDocumentFont(view);
    view.m_nMaxLineColumns = -1;
    EXPECT_EQ(view.GetMaxLineColumns(), 8);
    EXPECT_EQ(view.m_nTextReads, nReads);
    auto pLines = MakeBuffer({"0", "11", "222", "3333", "44444", "555555"});
    view.AttachBuffer(pLines.get());
    view.GetLineEndState(5);
    EXPECT_EQ(view.GetMaxLineColumns(), 6);
    BufferInsert(*pLines, 2, 1, "\r\nxxxxxxxxxx\r\n");
    EXPECT_EQ(Caches(view), "states 1 3 - - - - - - widths 1 2 1 10 2 4 5 6 max 10");
    BufferDelete(*pLines, {1, 2}, {0, 4});
    EXPECT_EQ(Caches(view), "states 1 3 - - - - widths 1 2 3 4 5 6 max 6");
    EXPECT_EQ(view.GetLineEndState(5), 21u);
    view.ResetViewState();
    EXPECT_EQ(std::tuple(view.m_LineStates.Exists(), view.m_LineColumns.Exists(),
                         view.m_nMaxLineColumns, view.m_cyLine, view.m_nStickyColumn),
              std::tuple(false, false, -1, -1, -1));
    EXPECT_EQ(view.GetBuffer(), pLines.get());
    view.DetachBuffer();
    auto pPlain = MakeBuffer({"one", "", "three"});
    CProbeView plain;
    plain.AttachBuffer(pPlain.get());
    EXPECT_EQ(plain.GetLineEndState(-1), 0u);
    EXPECT_EQ(plain.GetLineEndState(-7), 0u);
    EXPECT_EQ(plain.GetLineEndState(2), 0u);
    EXPECT_EQ(plain.m_LineStates.ComputedCount(), 3);
    EXPECT_EQ(Caches(plain), "states 0 0 0 widths 3 0 5 max 5");
    // A Zarn line that still ends in its old state keeps the lines after it.
    std::vector<std::string> zarnLines(30, "    mat_width 480");
    zarnLines[0] = "mat_title \"open \\";
    zarnLines[1] = "still the string\"";
    auto pZarn = MakeBuffer(zarnLines);
    CProbeSampleView zarn;
    zarn.SetDocumentBuffer(pZarn.get());
    zarn.OnInitialUpdate();
    EXPECT_NE(zarn.GetLineEndState(0), 0u);
    EXPECT_EQ(zarn.GetLineEndState(1), 0u);
    ShowWithCells(zarn, 40, 20);
    zarn.GetLineEndState(29);
    QApplication::processEvents();
    const int w = zarn.viewport()->width(), h = zarn.GetLineHeight();
    zarn.m_rcPendingPaint = QRect();
    BufferInsert(*pZarn, 5, 4, "x");
    EXPECT_EQ(zarn.m_LineStates.ComputedCount(), 30);
    EXPECT_EQ(zarn.m_rcPendingPaint, QRect(0, 5 * h, w, h));
    zarn.m_rcPendingPaint = QRect();
    BufferInsert(*pZarn, 7, pZarn->GetLineLength(7), " \"open \\");
    EXPECT_EQ(zarn.m_LineStates.ComputedCount(), 7);
    EXPECT_EQ(zarn.m_rcPendingPaint, QRect(0, 7 * h, w, 13 * h));
    EXPECT_NE(zarn.GetLineEndState(7), 0u);
}

// Words, blanks and tabs; with bBreaks now and then a line break.
std::string RandomLineText(std::mt19937& rng, int nLength, bool bBreaks) {
    static const char* const s_apszPieces[] = {"word", " ", "\t", "ab\tc", "mat_width", "  "};
    std::string text;
    while (static_cast<int>(text.size()) < nLength) {
        text += s_apszPieces[rng() % std::size(s_apszPieces)];
        if (bBreaks && rng() % 200 == 0)
            text += "\r\n";
    }
    return text;
}

TEST(TextViewMetrics, MappingOnLongLinesFollowsAWalkFromTheLineStartThroughEdits) {
    std::mt19937 rng(99);
    auto pick = [&rng](int nFrom, int nTo) {
        return std::uniform_int_distribution<int>(nFrom, nTo)(rng);
    };
    CShownView fx(MakeBuffer({"short", RandomLineText(rng, 30000, false), "x\ty",
                              RandomLineText(rng, 20000, false)}),
                  40, 6);
    CProbeView& view = fx.view;
    auto ends = [&view](int nLine) {
        return EndColumns(std::string_view(view.GetLineText(nLine), view.GetLineLength(nLine)));
    };
    GiveFocus(view);
    for (int nStep = 0; nStep < 300; ++nStep) {
        SCOPED_TRACE(nStep);
        const int nLine = pick(0, view.GetLineCount() - 1);
        const int nChar = pick(0, view.GetLineLength(nLine));
        const bool bLarge = pick(0, 9) == 0;
        if (pick(0, 1) == 0) {
            BufferInsert(*fx.pBuffer, nLine, nChar,
                         RandomLineText(rng, pick(1, bLarge ? 9000 : 3), bLarge));
        } else {
            const int nLastLine = bLarge ? std::min(nLine + 1, view.GetLineCount() - 1) : nLine;
            const int nEnd = nLastLine == nLine
                                 ? std::min(nChar + pick(1, 3), view.GetLineLength(nLine))
                                 : pick(0, view.GetLineLength(nLastLine));
            BufferDelete(*fx.pBuffer, {nChar, nLine}, {nEnd, nLastLine});
        }
        int nWidest = 0;
        for (int i = 0; i < view.GetLineCount(); ++i) {
            SCOPED_TRACE(i);
            const std::vector<int> line = ends(i);
            const int nWidth = line.empty() ? 0 : line.back();
            nWidest = std::max(nWidest, nWidth);
            ASSERT_EQ(view.GetLineDisplayWidth(i), nWidth);
            const int x = pick(0, view.GetLineLength(i));
            ASSERT_EQ(view.CharToColumn(i, x), ModelColumn(line, x)) << x;
            const int nColumn = pick(0, nWidth + 3);
            view.ScrollToColumn(nColumn, true);
            const int nRow = i - view.GetFirstVisibleLine();
            if (nRow >= 0 && nRow < 6) {
                const QPoint pt(view.GetMarginWidth(), nRow * view.GetLineHeight());
                ASSERT_EQ(view.ClientToTextPos(pt).x, ModelCoveringChar(line, nColumn)) << nColumn;
            }
            ASSERT_EQ(view.ColumnToChar(i, nColumn), ModelNearestChar(line, nColumn)) << nColumn;
        }
        ASSERT_EQ(view.GetMaxLineColumns(), nWidest);
        // The caret where the walk puts it, and Down keeping its screen column.
        const int y = pick(0, view.GetLineCount() - 1), x = pick(0, view.GetLineLength(y));
        const int nCaretColumn = ModelColumn(ends(y), x);
        view.PutCaretAt({x, y});
        ASSERT_EQ(view.GetCaretRect().left(),
                  view.GetMarginWidth() +
                      view.GetCharWidth() * (nCaretColumn - view.GetFirstVisibleColumn()));
        if (y + 1 < view.GetLineCount()) {
            Press(view, Qt::Key_Down);
            ASSERT_EQ(view.GetCaretTextPos().x, ModelNearestChar(ends(y + 1), nCaretColumn));
        }
    }
}

TEST(TextViewUpdates, EditsMoveCaretSelectionAndWindowAndTheCursorShowsWhatAClickDoes) {
    CShownView fx(MakeNumberedBuffer(60));
    CProbeView& view = fx.view;
    view.ScrollToTopLine(30, true);
    view.PlaceCaret({5, 40});
    view.SetSelAnchor({2, 40});
    view.SetSelectionRange({2, 40}, {5, 40});
    const int nSticky = view.m_nStickyColumn;
    BufferDelete(*fx.pBuffer, {0, 40}, {2, 40});
    EXPECT_EQ(Where(view), "caret 3,40 sel 0,40-3,40 top 30");
    EXPECT_EQ(view.m_ptSelAnchor, (TextPos{0, 40}));
    EXPECT_EQ(view.m_nStickyColumn, nSticky);
    BufferInsert(*fx.pBuffer, 2, 0, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(Where(view), "caret 3,43 sel 0,43-3,43 top 33");
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 63 - 10);
    BufferDelete(*fx.pBuffer, {0, 42}, {0, 45});
    EXPECT_EQ(Where(view), "caret 0,42 top 33");
    CProbeView second;
    SetUpView(second, fx.pBuffer.get(), 20, 10);
    for (CProbeView* pView : {&view, &second}) {
        pView->ScrollToTopLine(50, true);
        pView->PlaceCaret({3, 55});
        pView->SetSelectionRange({0, 52}, {3, 55});
        pView->GetLineEndState(59);
    }
    fx.pBuffer->InitEmpty(EOL_CRLF);
    for (CProbeView* pView : {&view, &second}) {
        EXPECT_EQ(Where(*pView), "caret 0,0 top 0");
        EXPECT_FALSE(pView->m_LineStates.Exists());
        EXPECT_FALSE(pView->verticalScrollBar()->isEnabled());
        EXPECT_EQ(pView->m_rcPendingPaint, pView->viewport()->rect()); // repainted entirely
    }
    // Attaching resets the view; a destroyed view is detached.
    auto pFirst = MakeNumberedBuffer(10);
    auto pOther = MakeNumberedBuffer(3);
    {
        CProbeView attached;
        attached.AttachBuffer(pFirst.get());
        attached.PlaceCaret({2, 5});
        attached.AttachBuffer(pOther.get());
        EXPECT_EQ(attached.GetBuffer(), pOther.get());
        EXPECT_EQ(attached.GetCaretTextPos(), (TextPos{0, 0}));
        EXPECT_EQ(attached.GetLineCount(), 3);
        attached.PlaceCaret({2, 1});
        BufferInsert(*pFirst, 1, 0, "xx");
        EXPECT_EQ(attached.GetCaretTextPos(), (TextPos{2, 1}));
        auto pTab = MakeBuffer({"\tab"});
        attached.AttachBuffer(pTab.get());
        attached.PlaceCaret({2, 0});
        EXPECT_EQ(attached.m_nStickyColumn, 5);
        attached.AttachBuffer(pOther.get());
    }
    BufferInsert(*pOther, 0, 0, "\r\n");
    EXPECT_EQ(pOther->GetLineCount(), 4);
    CShownView five(MakeBuffer({"abcdef", "ghijkl", "line 2", "line 3", "line 4"}), 20, 5);
    CProbeView& sel = five.view;
    sel.SetSelectionRange({4, 3}, {2, 1});
    EXPECT_EQ(Where(sel), "caret 0,0 sel 2,1-4,3 top 0");
    // clang-format off
    const std::tuple<TextPos, bool> points[] = {{{1, 1}, false}, {{2, 1}, true}, {{99, 2}, true},
                                                {{3, 3}, true}, {{4, 3}, false}, {{0, 4}, false}};
    // clang-format on
    for (const auto& [pt, bIn] : points)
        EXPECT_EQ(sel.IsInOrderedSelection(pt), bIn) << pt.x << "," << pt.y;
    sel.SetSelectionRange({3, 0}, {3, 0});
    EXPECT_FALSE(sel.IsPointInSelection({3, 0}));
    sel.SetSelectionRange({1, 0}, {4, 0});
    for (const auto& [nChar, bIn] : {std::pair{0, false}, {1, true}, {3, true}, {4, false}})
        EXPECT_EQ(sel.IsPointInSelection({nChar, 0}), bIn) << nChar;
    const int mx = sel.GetMarginWidth(), cw = sel.GetCharWidth(), ch = sel.GetLineHeight();
    const std::pair<QPoint, Qt::CursorShape> cursors[] = {
        {{mx - 1, ch + 3}, Qt::BitmapCursor},
        {{mx + 2 * cw + 1, 3}, Qt::ArrowCursor},
        {{mx + 4 * cw + 1, 3}, Qt::IBeamCursor},
        {{mx + 2 * cw + 1, ch + 3}, Qt::IBeamCursor},
        {{mx + 1, 3}, Qt::IBeamCursor}};
    for (const auto& [pt, shape] : cursors) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pt), sel.viewport()->mapToGlobal(QPointF(pt)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(sel.viewport(), &move);
        EXPECT_EQ(sel.viewport()->cursor().shape(), shape) << pt.x() << "," << pt.y();
        if (shape == Qt::BitmapCursor) {
            EXPECT_EQ(sel.viewport()->cursor().hotSpot(), QPoint(12, 0));
        }
    }
    sel.SetSelectionRange({0, 2}, {3, 4});
    QApplication::processEvents();
    sel.m_rcPendingPaint = QRect();
    GiveFocus(sel);
    EXPECT_FALSE(sel.GetCaretRect().isEmpty());
    EXPECT_TRUE(sel.m_rcPendingPaint.contains(QRect(0, 2 * ch, sel.viewport()->width(), 3 * ch)));
    TakeFocus(sel);
    EXPECT_TRUE(sel.GetCaretRect().isEmpty());
}

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

TEST(TextViewScroll, BarsAndRequestsMoveByLinesAndPagesAndAFittingTextGoesBackToItsStart) {
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
    EXPECT_TRUE(fits.view.verticalScrollBar()->isVisible());
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
    // Requests move by lines and by pages with one line of overlap.
    CShownView req(MakeNumberedBuffer(100), 20, 20);
    CProbeView& rv = req.view;
    QScrollBar* pVert = rv.verticalScrollBar();
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
            rv.OnVScroll(nRequest, nPos);
        if (action != kNo)
            pVert->triggerAction(action);
        EXPECT_EQ(rv.GetFirstVisibleLine(), nTop) << nRequest << " " << action;
        EXPECT_EQ(pVert->value(), nBar) << nRequest << " " << action;
    }
    const QImage rimage = Render(rv);
    const QColor crRowEmpty = rv.GetColorValue(CI_EMPTYAREA);
    EXPECT_FALSE(IsFilled(rimage, CellRect(rv, 0, 18), crRowEmpty)); // line 99
    EXPECT_TRUE(IsFilled(rimage, CellRect(rv, 0, 19).united(CellRect(rv, 19, 19)), crRowEmpty));
    AppendToLine(*req.pBuffer, 3, 60);
    rv.OnHScroll(SB_BOTTOM, 0);
    EXPECT_EQ(rv.GetFirstVisibleColumn(), 66 - 20 + 1);
    rv.OnHScroll(SB_THUMBTRACK, 1000);
    EXPECT_EQ(rv.GetFirstVisibleColumn(), 65);
    rv.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(rv.GetFirstVisibleColumn(), 0);
    rv.OnVScroll(SB_TOP, 0);
    QWheelEvent wheel(QPointF(50, 50), rv.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(rv.viewport(), &wheel);
    EXPECT_EQ(rv.GetFirstVisibleLine(), QApplication::wheelScrollLines());
    // Keeping the caret in view scrolls just enough; a caret outside is not shown.
    std::vector<std::string> widths;
    for (int i = 0; i < 50; ++i)
        widths.push_back(std::string(static_cast<size_t>(i * 2), 'a'));
    CShownView caret(MakeBuffer(widths), 20, 10);
    CProbeView& cv = caret.view;
    const std::tuple<TextPos, int, int> scrolls[] = {
        {{0, 25}, 16, 0},  {{0, 3}, 3, 0},   {{0, 7}, 3, 0},  {{20, 40}, 31, 0},
        {{21, 40}, 31, 1}, {{5, 40}, 31, 1}, {{0, 40}, 31, 0}};
    for (const auto& [pt, nTop, nLeft] : scrolls) {
        cv.ScrollCaretIntoView(pt);
        EXPECT_EQ(cv.GetFirstVisibleLine(), nTop) << pt.x << "," << pt.y;
        EXPECT_EQ(cv.GetFirstVisibleColumn(), nLeft) << pt.x << "," << pt.y;
        EXPECT_EQ(cv.horizontalScrollBar()->value(), nLeft);
    }
    GiveFocus(cv);
    cv.PlaceCaret({5, 40});
    EXPECT_FALSE(cv.GetCaretRect().isEmpty());
    cv.OnHScroll(SB_THUMBTRACK, 10);
    EXPECT_TRUE(cv.GetCaretRect().isEmpty());
    cv.OnHScroll(SB_THUMBTRACK, 5);
    EXPECT_EQ(cv.GetCaretRect().left(), cv.GetMarginWidth());
    cv.PlaceCaret({40, 40});
    EXPECT_GT(cv.GetCaretRect().left(), cv.viewport()->width());
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
