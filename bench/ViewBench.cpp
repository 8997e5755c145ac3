// Text view benchmarks on the offscreen platform: a full repaint of 120 x 50 cells of Zarn
// text, the line-end state of the last line of 2,000,000 lines, a line break inserted at line 1
// with a view attached, typing with the repaint that follows, and a paste of a million lines
// near the top of ten million with a view attached.
#include "BenchFiles.h"
#include "BenchView.h"
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"

#include <chrono>
#include <memory>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// The view with the state the benchmarks reset between runs.
class CBenchView : public CSampleView {
public:
    using CSampleView::m_LineStates;
    using CSampleView::m_rcPendingPaint;
};

constexpr int kColumns = 120;
constexpr int kRows = 50;

// A shown view of kColumns x kRows cells on the large document, scrolled to nFirstLine.
std::unique_ptr<CBenchView> MakeView(CTextBuffer& buffer, int nFirstLine) {
    auto pView = std::make_unique<CBenchView>();
    ShowViewWithCells(*pView, buffer, kColumns, kRows);
    pView->ScrollToTopLine(nFirstLine, true);
    QApplication::processEvents();
    return pView;
}

// The view's own drawing of every row into an image of the client area's size.
void BM_FullRepaint(benchmark::State& state) {
    auto pView = MakeView(LargeZarnDocument(), 1'000'000);
    QImage image(pView->viewport()->size(), QImage::Format_RGB32);
    const QRegion rgnAll(pView->viewport()->rect());
    for (auto _ : state) {
        QPainter dc(&image);
        pView->OnDraw(dc, rgnAll);
    }
    state.counters["cells"] = pView->GetVisibleColumnCount() * pView->GetVisibleLineCount();
}

// The same through Qt's widget painting: a synchronous repaint of the whole viewport.
void BM_FullRepaintWidget(benchmark::State& state) {
    auto pView = MakeView(LargeZarnDocument(), 1'000'000);
    for (auto _ : state)
        pView->viewport()->repaint();
}

void BM_LineEndStateOfLastLine(benchmark::State& state) {
    auto pView = MakeView(LargeZarnDocument(), 0);
    const int nLast = pView->GetLineCount() - 1;
    for (auto _ : state) {
        state.PauseTiming();
        pView->m_LineStates.Free();
        state.ResumeTiming();
        benchmark::DoNotOptimize(pView->GetLineEndState(nLast));
    }
    state.counters["lines"] = nLast + 1;
}

// 1,000 line breaks inserted one by one at line 1, with (argument 1) or without (0) a view.
void BM_InsertLineBreakAtLine1(benchmark::State& state) {
    constexpr int kBreaks = 1'000;
    CTextBuffer& buffer = LargeZarnDocument();
    std::unique_ptr<CBenchView> pView;
    if (state.range(0) == 1)
        pView = MakeView(buffer, 0);
    for (auto _ : state) {
        for (int i = 0; i < kBreaks; ++i) {
            int nEndLine, nEndChar;
            buffer.InsertTextAt(nullptr, 1, 0, "\r\n", nEndLine, nEndChar, EDITACT_TYPING);
        }
        state.PauseTiming();
        QApplication::processEvents(); // the pending repaint, outside the measurement
        state.ResumeTiming();
    }
    state.counters["per_break"] = benchmark::Counter(
        kBreaks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Types "x" at nPos of nLine as the buffer's edit, the caret following it.
void TypeCharacter(CBenchView& view, int nLine, int& nPos) {
    int nEndLine = 0, nEndChar = 0;
    view.GetBuffer()->InsertTextAt(&view, nLine, nPos, "x", nEndLine, nEndChar, EDITACT_TYPING);
    nPos = nEndChar;
    view.PlaceCaret({nPos, nLine});
}

// One character typed into a visible line in the middle of the document, then the view's
// drawing of what that invalidated.
void BM_TypeCharacterAndRepaint(benchmark::State& state) {
    CTextBuffer& buffer = LargeZarnDocument();
    auto pView = MakeView(buffer, 1'000'000);
    QImage image(pView->viewport()->size(), QImage::Format_RGB32);
    const int nLine = 1'000'000 + kRows / 2;
    int nPos = 4;
    for (auto _ : state) {
        TypeCharacter(*pView, nLine, nPos);
        QPainter dc(&image);
        pView->OnDraw(dc, QRegion(pView->m_rcPendingPaint));
        pView->m_rcPendingPaint = QRect();
    }
}

// The same with the repaint done by Qt's event loop, flushing the window included.
void BM_TypeCharacterAndRepaintWidget(benchmark::State& state) {
    CTextBuffer& buffer = LargeZarnDocument();
    auto pView = MakeView(buffer, 1'000'000);
    const int nLine = 1'000'000 + kRows / 2 + 1;
    int nPos = 4;
    for (auto _ : state) {
        TypeCharacter(*pView, nLine, nPos);
        QApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BM_FullRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FullRepaintWidget)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_LineEndStateOfLastLine)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);
BENCHMARK(BM_InsertLineBreakAtLine1)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3);
BENCHMARK(BM_TypeCharacterAndRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TypeCharacterAndRepaintWidget)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

namespace {

using Clock = std::chrono::steady_clock;

// 1,000,000 short lines pasted (with undo) at line 1 of the freshly loaded 10,000,000-line
// file shown in a view, with the repaint that Qt then has pending, against one move of the buffer's
// line array measured between the runs.
void BM_PasteLinesAtLine1WithView(benchmark::State& state) {
    constexpr int kPasted = 1'000'000;
    const std::string& path = ShortLinesFile();
    CTextBuffer buffer;
    buffer.LoadFile(path);
    std::string text;
    buffer.CopyRange(0, 0, kPasted, 0, text);
    auto pView = MakeView(buffer, 0);
    double nPasteSeconds = 0, nMoveSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.LoadFile(path);
        QApplication::processEvents();
        nMoveSeconds += SecondsToMoveLineArray(buffer.GetLineCount(), kPasted);
        state.ResumeTiming();
        const Clock::time_point tStart = Clock::now();
        int nEndLine, nEndChar;
        buffer.InsertTextAt(nullptr, 1, 0, text, nEndLine, nEndChar, EDITACT_PASTE);
        QApplication::processEvents();
        nPasteSeconds += std::chrono::duration<double>(Clock::now() - tStart).count();
    }
    if (pView->GetLineCount() != 10'000'001 + kPasted)
        state.SkipWithError("the paste did not insert its lines");
    state.counters["move_ms"] = nMoveSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["paste_over_move"] = nPasteSeconds / nMoveSeconds;
}

} // namespace

BENCHMARK(BM_PasteLinesAtLine1WithView)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
