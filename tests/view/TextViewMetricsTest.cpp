// The text view's metrics, position mapping and per-line caches, driven on real widgets.
#include "ViewTestSupport.h"

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

// A view that counts how often it reads line text and parses, and records each parse.
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
    mutable int m_nTextReads = 0;
    std::vector<std::pair<int, uint32_t>> m_arrParsed;
};

void Insert(CTextBuffer& buffer, int nLine, int nChar, std::string_view text) {
    int nEndLine = 0, nEndChar = 0;
    buffer.InsertTextAt(nullptr, nLine, nChar, text, nEndLine, nEndChar, EDITACT_TYPING);
}

void Delete(CTextBuffer& buffer, TextPos from, TextPos to) {
    buffer.DeleteRange(nullptr, from.y, from.x, to.y, to.x, EDITACT_DELETE);
}

TEST(TextViewMetrics, AViewWithoutABufferShowsOneEmptyLine) {
    CProbeView view;
    EXPECT_EQ(view.GetBuffer(), nullptr);
    EXPECT_EQ(view.GetLineCount(), 1);
    EXPECT_EQ(view.GetLineLength(0), 0);
    EXPECT_EQ(view.GetLineText(0), nullptr);
    EXPECT_EQ(view.GetLineFlags(0), 0u);
    EXPECT_EQ(view.GetLineDisplayWidth(0), 0);
    EXPECT_EQ(view.GetMaxLineColumns(), 0);
    std::string text = "stale";
    view.GetTextRange({0, 0}, {0, 0}, text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(view.GetLineEndState(0), 0u);
    EXPECT_EQ(view.ClientToTextPos(QPoint(500, 500)), (TextPos{0, 0}));
    // Attaching nothing when nothing can be located leaves it so.
    view.AttachBuffer(nullptr);
    EXPECT_EQ(view.GetBuffer(), nullptr);
    view.show();
    EXPECT_FALSE(Render(view).isNull());
}

TEST(TextViewMetrics, TheDocumentFontIsAFixedPitchCellOfSeventeenPixels) {
    CProbeView view;
    UseDocumentFont(view);
    EXPECT_EQ(view.GetLineHeight(), 17);
    EXPECT_GT(view.GetCharWidth(), 4);
    const QFontInfo info(view.GetStyleFont(false, false).Font());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
    // The bold and italic slots come from the same description.
    EXPECT_TRUE(view.GetStyleFont(false, true).Font().bold());
    EXPECT_TRUE(view.GetStyleFont(true, false).Font().italic());
    // The description keeps the last font made from it.
    EXPECT_EQ(view.GetBaseFont().nWeight, FW_NORMAL);
    EXPECT_TRUE(view.GetBaseFont().bItalic);
    // The base font of a new view is a face that is not installed here: a fixed-pitch font
    // stands in for it.
    CProbeView plain;
    EXPECT_EQ(plain.GetBaseFont().strFaceName, "FixedSys");
    const QFontMetrics metrics(plain.GetStyleFont(false, false).Font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));
}

TEST(TextViewMetrics, VisibleCountsAreWholeCellsAndFollowResizes) {
    auto pBuffer = MakeNumberedBuffer(100);
    CProbeView view;
    SetUpView(view, pBuffer.get(), 30, 10);
    EXPECT_EQ(view.GetVisibleLineCount(), 10);
    EXPECT_EQ(view.GetVisibleColumnCount(), 30);
    // A partly visible line or column does not count.
    view.resize(view.size() + QSize(view.GetCharWidth() - 1, view.GetLineHeight() - 1));
    EXPECT_EQ(view.GetVisibleLineCount(), 10);
    EXPECT_EQ(view.GetVisibleColumnCount(), 30);
    view.resize(view.size() + QSize(1, 1));
    EXPECT_EQ(view.GetVisibleLineCount(), 11);
    EXPECT_EQ(view.GetVisibleColumnCount(), 31);
    EXPECT_EQ(view.m_pLineBitmap, nullptr); // made again at the next paint
}

TEST(TextViewMetrics, ClientPointsMapToTextPositionsAndBack) {
    auto pBuffer = MakeBuffer({"abcdef", "a\tb", "", "last line"});
    CProbeView view;
    SetUpView(view, pBuffer.get(), 20, 10);
    const int cx = view.GetCharWidth();
    const int cy = view.GetLineHeight();
    const int m = view.GetMarginWidth();
    // A point in the margin gives index 0 of the line under it.
    EXPECT_EQ(view.ClientToTextPos(QPoint(3, cy + 2)), (TextPos{0, 1}));
    // Below the last line: the last line. Right of a line's end: its length.
    EXPECT_EQ(view.ClientToTextPos(QPoint(m + 2 * cx, 9 * cy)), (TextPos{2, 3}));
    EXPECT_EQ(view.ClientToTextPos(QPoint(m + 15 * cx, 0)), (TextPos{6, 0}));
    EXPECT_EQ(view.ClientToTextPos(QPoint(m + 15 * cx, 2 * cy)), (TextPos{0, 2}));
    // Inside the tab's span: the tab; the column after it: b.
    EXPECT_EQ(view.ClientToTextPos(QPoint(m + 3 * cx + 1, cy)), (TextPos{1, 1}));
    EXPECT_EQ(view.ClientToTextPos(QPoint(m + 4 * cx, cy)), (TextPos{2, 1}));
    // The right half of a character snaps to the position after it.
    QPoint pt(m + 2 * cx + cx / 2 + 1, 0);
    view.SnapToCharCenter(pt);
    EXPECT_EQ(view.ClientToTextPos(pt), (TextPos{3, 0}));

    EXPECT_EQ(view.TextPosToClient({2, 1}), QPoint(m + 4 * cx, cy));
    view.ScrollToTopLine(2, true);
    view.ScrollToColumn(3, true);
    EXPECT_EQ(view.TextPosToClient({0, 1}), QPoint(m - 3 * cx, -cy));
    EXPECT_EQ(view.ClientToTextPos(QPoint(m, 0)), (TextPos{0, 2}));
    EXPECT_EQ(view.ClientToTextPos(QPoint(m, cy)), (TextPos{3, 3}));
    EXPECT_EQ(view.CharToColumn(1, 2), 4);
    EXPECT_EQ(view.ColumnToChar(1, 3), 2);
}

TEST(TextViewMetrics, ChangingTheFontKeepsRememberedWidths) {
    auto pBuffer = MakeBuffer({"short", "a much longer line", "x"});
    CCountingView view;
    view.AttachBuffer(pBuffer.get());
    EXPECT_EQ(view.GetMaxLineColumns(), 18);
    const int nReads = view.m_nTextReads;
    UseDocumentFont(view);
    view.m_nMaxLineColumns = -1;
    EXPECT_EQ(view.GetMaxLineColumns(), 18);
    EXPECT_EQ(view.m_nTextReads, nReads); // answered from the cache, no line read again
    EXPECT_EQ(view.GetLineHeight(), 17);
}

TEST(TextViewMetrics, AnEditInsideALineClearsStatesFromItAndOnlyItsWidth) {
    auto pBuffer = MakeBuffer({"aa", "bbb", "c", "dddd", "e"});
    CCountingView view;
    view.AttachBuffer(pBuffer.get());
    EXPECT_EQ(view.GetLineEndState(4), 2u + 3 + 1 + 4 + 1);
    EXPECT_EQ(view.GetMaxLineColumns(), 4);
    ASSERT_EQ(view.m_arrParsed.front(), (std::pair<int, uint32_t>{0, 0})); // line 0 from 0

    Insert(*pBuffer, 2, 1, "ccccc");
    EXPECT_EQ(view.m_LineStates.Size(), 5);
    EXPECT_EQ(view.m_LineStates.Get(0), 2u);
    EXPECT_EQ(view.m_LineStates.Get(1), 5u);
    EXPECT_EQ(view.m_LineStates.Get(2), LINESTATE_UNSET);
    EXPECT_EQ(view.m_LineStates.Get(4), LINESTATE_UNSET);
    EXPECT_EQ(view.m_LineColumns.Get(1), 3);
    EXPECT_EQ(view.m_LineColumns.Get(2), 6); // measured again at once
    EXPECT_EQ(view.m_LineColumns.Get(3), 4);
    EXPECT_EQ(view.GetMaxLineColumns(), 6);

    // The states are computed again on the next use, from the changed line on only.
    view.m_arrParsed.clear();
    EXPECT_EQ(view.GetLineEndState(4), 2u + 3 + 6 + 4 + 1);
    ASSERT_EQ(view.m_arrParsed.size(), 3u);
    EXPECT_EQ(view.m_arrParsed[0], (std::pair<int, uint32_t>{2, 5}));
}

TEST(TextViewMetrics, ALineThatStillEndsInItsOldStateKeepsTheLinesAfterIt) {
    std::vector<std::string> lines(30, "    mat_width 480");
    auto pBuffer = MakeBuffer(lines);
    CProbeSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    ShowWithCells(view, 40, 20);
    view.GetLineEndState(29);
    QApplication::processEvents();
    const int h = view.GetLineHeight();

    // Typing in line 5 leaves its end state as it was: only its own row is repainted.
    view.m_rcPendingPaint = QRect();
    Insert(*pBuffer, 5, 4, "x");
    EXPECT_EQ(view.m_LineStates.ComputedCount(), 30);
    EXPECT_EQ(view.m_rcPendingPaint, QRect(0, 5 * h, view.viewport()->width(), h));

    // A backslash at the end of an open string carries the string over: everything after it
    // is parsed and painted again.
    view.m_rcPendingPaint = QRect();
    Insert(*pBuffer, 7, pBuffer->GetLineLength(7), " \"open \\");
    EXPECT_EQ(view.m_LineStates.ComputedCount(), 7);
    EXPECT_EQ(view.m_rcPendingPaint, QRect(0, 7 * h, view.viewport()->width(), 13 * h));
    EXPECT_NE(view.GetLineEndState(7), 0u);
}

TEST(TextViewMetrics, InsertedAndRemovedLinesResizeTheCachesExactly) {
    auto pBuffer = MakeBuffer({"0", "11", "222", "3333", "44444", "555555"});
    CCountingView view;
    view.AttachBuffer(pBuffer.get());
    view.GetLineEndState(5);
    EXPECT_EQ(view.GetMaxLineColumns(), 6);

    Insert(*pBuffer, 2, 1, "\r\nxxxxxxxxxx\r\n");
    ASSERT_EQ(pBuffer->GetLineCount(), 8);
    EXPECT_EQ(view.m_LineStates.Size(), 8);
    EXPECT_EQ(view.m_LineStates.Get(1), 3u);
    EXPECT_EQ(view.m_LineStates.Get(2), LINESTATE_UNSET);
    EXPECT_EQ(view.m_LineColumns.Size(), 8);
    EXPECT_EQ(view.m_LineColumns.UnsetCount(), 0);
    const std::vector<int> afterInsert = {1, 2, 1, 10, 2, 4, 5, 6};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(view.m_LineColumns.Get(i), afterInsert[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(view.GetMaxLineColumns(), 10);

    // Removing the widest line brings the widest width back down.
    Delete(*pBuffer, {1, 2}, {0, 4});
    ASSERT_EQ(pBuffer->GetLineCount(), 6);
    EXPECT_EQ(view.m_LineStates.Size(), 6);
    EXPECT_EQ(view.m_LineColumns.Size(), 6);
    const std::vector<int> afterDelete = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(view.m_LineColumns.Get(i), afterDelete[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(view.GetMaxLineColumns(), 6);
    EXPECT_EQ(view.GetLineEndState(5), 21u);
}

TEST(TextViewMetrics, TheBaseParserGivesStateZeroForEveryLine) {
    auto pBuffer = MakeBuffer({"one", "", "three"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    EXPECT_EQ(view.GetLineEndState(-1), 0u);
    EXPECT_EQ(view.GetLineEndState(-7), 0u);
    EXPECT_EQ(view.GetLineEndState(2), 0u);
    EXPECT_EQ(view.m_LineStates.ComputedCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(view.m_LineStates.Get(i), 0u);
}

TEST(TextViewMetrics, ZarnStatesCarryOverABackslashAtTheLineEnd) {
    auto pBuffer = MakeBuffer({"mat_title \"open \\", "still the string\"", "x"});
    CProbeSampleView view;
    view.SetDocumentBuffer(pBuffer.get());
    view.OnInitialUpdate();
    EXPECT_NE(view.GetLineEndState(0), 0u);
    EXPECT_EQ(view.GetLineEndState(1), 0u);
}

TEST(TextViewMetrics, ResetFreesTheCachesAndMetrics) {
    auto pBuffer = MakeBuffer({"abc", "de"});
    CProbeView view;
    view.AttachBuffer(pBuffer.get());
    view.GetLineEndState(1);
    view.GetMaxLineColumns();
    view.GetLineHeight();
    view.ResetViewState();
    EXPECT_FALSE(view.m_LineStates.Exists());
    EXPECT_FALSE(view.m_LineColumns.Exists());
    EXPECT_EQ(view.m_nMaxLineColumns, -1);
    EXPECT_EQ(view.m_cyLine, -1);
    EXPECT_EQ(view.m_nStickyColumn, -1);
    EXPECT_EQ(view.GetTabWidth(), 4);
    EXPECT_EQ(view.GetBuffer(), pBuffer.get()); // the buffer is kept
}

// The end column of every character of a line, walked one by one.
std::vector<int> EndColumns(std::string_view line) {
    std::vector<int> ends;
    int c = 0;
    for (const char ch : line) {
        c = ch == '\t' ? c + 4 - c % 4 : c + 1;
        ends.push_back(c);
    }
    return ends;
}

// The character nearest to a column: at the first character that reaches it, before the
// character when the column lies at least half a tab before the character's end.
int NearestChar(const std::vector<int>& ends, int nColumn) {
    if (nColumn <= 0)
        return 0;
    const auto it = std::lower_bound(ends.begin(), ends.end(), nColumn);
    if (it == ends.end())
        return static_cast<int>(ends.size());
    return static_cast<int>(it - ends.begin()) + (nColumn <= *it - 2 ? 0 : 1);
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
    auto pBuffer = MakeBuffer(
        {"short", RandomLineText(rng, 30000, false), "x\ty", RandomLineText(rng, 20000, false)});
    CProbeView view;
    SetUpView(view, pBuffer.get(), 40, 6);
    for (int nStep = 0; nStep < 300; ++nStep) {
        // Typing and deleting in one line mostly; now and then a paste or a cut over lines.
        const int nLine = pick(0, view.GetLineCount() - 1);
        const int nChar = pick(0, view.GetLineLength(nLine));
        const bool bLarge = pick(0, 9) == 0;
        if (pick(0, 1) == 0) {
            Insert(*pBuffer, nLine, nChar, RandomLineText(rng, pick(1, bLarge ? 9000 : 3), bLarge));
        } else {
            const int nLastLine = bLarge ? std::min(nLine + 1, view.GetLineCount() - 1) : nLine;
            const int nEnd = nLastLine == nLine
                                 ? std::min(nChar + pick(1, 3), view.GetLineLength(nLine))
                                 : pick(0, view.GetLineLength(nLastLine));
            Delete(*pBuffer, {nChar, nLine}, {nEnd, nLastLine});
        }

        int nWidest = 0;
        for (int i = 0; i < view.GetLineCount(); ++i) {
            const std::vector<int> ends =
                EndColumns(std::string_view(view.GetLineText(i), view.GetLineLength(i)));
            const int nWidth = ends.empty() ? 0 : ends.back();
            nWidest = std::max(nWidest, nWidth);
            ASSERT_EQ(view.GetLineDisplayWidth(i), nWidth) << "step " << nStep << " line " << i;
            const int x = pick(0, view.GetLineLength(i));
            ASSERT_EQ(view.CharToColumn(i, x), x == 0 ? 0 : ends[static_cast<size_t>(x) - 1])
                << "step " << nStep << " line " << i << " char " << x;
            // The character covering a column, as a click finds it, and the nearest one.
            const int nColumn = pick(0, nWidth + 3);
            view.ScrollToColumn(nColumn, true);
            const QPoint pt(view.GetMarginWidth(),
                            (i - view.GetFirstVisibleLine()) * view.GetLineHeight());
            if (i >= view.GetFirstVisibleLine() && i < view.GetFirstVisibleLine() + 6) {
                ASSERT_EQ(view.ClientToTextPos(pt).x,
                          std::upper_bound(ends.begin(), ends.end(), nColumn) - ends.begin())
                    << "step " << nStep << " line " << i << " column " << nColumn;
            }
            const int nNearest = NearestChar(ends, nColumn);
            ASSERT_EQ(view.ColumnToChar(i, nColumn), nNearest)
                << "step " << nStep << " line " << i << " column " << nColumn;
        }
        ASSERT_EQ(view.GetMaxLineColumns(), nWidest) << "step " << nStep;

        // The caret where the walk puts it, and a move down keeping its screen column.
        GiveFocus(view);
        const int nCaretLine = pick(0, view.GetLineCount() - 1);
        const std::vector<int> ends = EndColumns(
            std::string_view(view.GetLineText(nCaretLine), view.GetLineLength(nCaretLine)));
        const int x = pick(0, view.GetLineLength(nCaretLine));
        const int nCaretColumn = x == 0 ? 0 : ends[static_cast<size_t>(x) - 1];
        view.PutCaretAt({x, nCaretLine});
        ASSERT_EQ(view.GetCaretRect().left(),
                  view.GetMarginWidth() +
                      view.GetCharWidth() * (nCaretColumn - view.GetFirstVisibleColumn()))
            << "step " << nStep;
        if (nCaretLine + 1 < view.GetLineCount()) {
            view.MoveLineDown(false);
            const std::vector<int> below = EndColumns(std::string_view(
                view.GetLineText(nCaretLine + 1), view.GetLineLength(nCaretLine + 1)));
            ASSERT_EQ(view.GetCaretTextPos().x, NearestChar(below, nCaretColumn))
                << "step " << nStep;
        }
        TakeFocus(view);
    }
}

} // namespace
