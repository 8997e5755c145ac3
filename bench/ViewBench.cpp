// Text view benchmarks on the offscreen platform: a full repaint of 120 x 50 cells of Zarn
// text (without and with line numbers and the caret line's tint), the line-end state of the
// last line of 2,000,000 lines, a line break inserted at line 1 with a view attached, typing
// with the repaint that follows, a paste of a million lines near the top of ten million with a
// view attached, and long lines: an 80 KB line of tabs repainted and blinking, a 100 MB line
// opened and walked through, and the memory a long line leaves behind once deleted.
#include "BenchFiles.h"
#include "BenchView.h"
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"

#include <chrono>
#include <memory>
#include <string>

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// The view with the state the benchmarks reset between runs.
class CBenchView : public CSampleView {
public:
    using CSampleView::m_LineStates;
    using CSampleView::m_rcPendingPaint;
    using CSampleView::OnSetFocus;
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

// The view's own drawing of every row into an image of the client area's size; with argument
// 1 the same window shows the line numbers (in place of some text columns) and, focused, tints
// the caret's line, which is on screen.
void BM_FullRepaint(benchmark::State& state) {
    const bool bGutter = state.range(0) == 1;
    auto pView = MakeView(LargeZarnDocument(), 1'000'000);
    if (bGutter) {
        pView->SetShowLineNumbers(true);
        pView->SetHighlightCurrentLine(true);
        pView->OnSetFocus();
        pView->PlaceCaret({0, 1'000'010});
        QApplication::processEvents();
    }
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

// Long lines. The view is focused, so that its caret is shown and blinks.
std::unique_ptr<CBenchView> MakeFocusedView(CTextBuffer& buffer) {
    auto pView = MakeView(buffer, 0);
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(pView.get(), &focus);
    QApplication::processEvents();
    return pView;
}

// One line of 80 KB: "a" and a tab, over and over.
CTextBuffer& TabLineDocument() {
    static const std::unique_ptr<CTextBuffer> pBuffer = [] {
        std::string line;
        while (line.size() < 80'000)
            line += "a\t";
        return BufferWithText(line);
    }();
    return *pBuffer;
}

// The view scrolled to the tab line's middle, the caret there in the middle of the window.
void PutCaretIntoMiddle(CBenchView& view) {
    view.PutCaretAt({40'000 + kColumns / 4, 0});
    view.PutCaretAt({40'000, 0});
    QApplication::processEvents();
}

// A full repaint of the tab line's view at the line's start (argument 0) or in its middle (1).
void BM_TabLineFullRepaint(benchmark::State& state) {
    auto pView = MakeFocusedView(TabLineDocument());
    if (state.range(0) == 1)
        PutCaretIntoMiddle(*pView);
    QImage image(pView->viewport()->size(), QImage::Format_RGB32);
    const QRegion rgnAll(pView->viewport()->rect());
    for (auto _ : state) {
        QPainter dc(&image);
        pView->OnDraw(dc, rgnAll);
    }
    state.counters["first_column"] = pView->GetFirstVisibleColumn();
}

// The caret's blink in the middle of the tab line: the repaint of the caret's cell, which
// composes the caret's whole row.
void BM_TabLineCaretBlink(benchmark::State& state) {
    auto pView = MakeFocusedView(TabLineDocument());
    PutCaretIntoMiddle(*pView);
    QImage image(pView->viewport()->size(), QImage::Format_RGB32);
    const QRegion rgnCaret(pView->GetCaretRect());
    if (!pView->viewport()->rect().contains(pView->GetCaretRect()))
        state.SkipWithError("the caret is not in the window");
    for (auto _ : state) {
        QPainter dc(&image);
        pView->OnDraw(dc, rgnCaret);
    }
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The 100 MB line, with its tabs (argument 1) or with blanks for them (0): loading the file
// (the buffer's part) and showing it in a view up to the end of its first paint; the heap and
// the resident memory that buffer and view then hold, against the file's size.
void BM_HugeLineOpenToFirstPaint(benchmark::State& state) {
    const double fFileBytes = 100'000'000.0;
    for (auto _ : state) {
        const size_t nHeapBefore = HeapBytesInUse();
        const size_t nResidentBefore = ResidentBytes();
        const auto tStart = std::chrono::steady_clock::now();
        CTextBuffer buffer;
        if (!buffer.LoadFile(HugeLineFile(state.range(0) == 1))) {
            state.SkipWithError("cannot load the file");
            break;
        }
        const auto tLoaded = std::chrono::steady_clock::now();
        auto pView = MakeView(buffer, 0);
        pView->viewport()->repaint();
        const auto tPainted = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(tPainted - tStart).count());
        state.counters["load_ms"] = Milliseconds(tLoaded - tStart);
        state.counters["view_to_paint_ms"] = Milliseconds(tPainted - tLoaded);
        state.counters["heap_per_file_byte"] =
            static_cast<double>(HeapBytesInUse() - nHeapBefore) / fFileBytes;
        state.counters["resident_per_file_byte"] =
            static_cast<double>(ResidentBytes() - nResidentBefore) / fFileBytes;
    }
}

// The 100 MB line loaded once, with its tabs or with blanks for them.
CTextBuffer& HugeLineDocument(bool bTabs) {
    auto load = [](bool bWithTabs) {
        auto* p = new CTextBuffer;
        if (!p->LoadFile(HugeLineFile(bWithTabs)))
            std::abort();
        return p;
    };
    if (bTabs) {
        static CTextBuffer* pWithTabs = load(true);
        return *pWithTabs;
    }
    static CTextBuffer* pWithBlanks = load(false);
    return *pWithBlanks;
}

// The caret put into the middle of the 100 MB line (argument as above) and the repaint that
// follows, in a view that has only shown the line's start before.
void BM_HugeLineCaretToMiddle(benchmark::State& state) {
    CTextBuffer& buffer = HugeLineDocument(state.range(0) == 1);
    const int nMiddle = buffer.GetLineLength(0) / 2;
    for (auto _ : state) {
        state.PauseTiming();
        auto pView = MakeFocusedView(buffer);
        state.ResumeTiming();
        pView->PutCaretAt({nMiddle, 0});
        QApplication::processEvents();
        state.PauseTiming();
        if (pView->GetFirstVisibleColumn() == 0 || !pView->m_rcPendingPaint.isEmpty())
            state.SkipWithError("the view did not scroll to the caret and repaint");
        pView.reset();
        state.ResumeTiming();
    }
}

// The buffer's part of a key typed into the middle of the 100 MB line: the edit alone, without
// a view. The character is taken out again outside the measurement.
void BM_HugeLineBufferTyping(benchmark::State& state) {
    CTextBuffer& buffer = HugeLineDocument(true);
    const int nMiddle = buffer.GetLineLength(0) / 2;
    for (auto _ : state) {
        int nEndLine = 0, nEndChar = 0;
        buffer.InsertTextAt(nullptr, 0, nMiddle, "x", nEndLine, nEndChar, EDITACT_TYPING);
        state.PauseTiming();
        buffer.DeleteRange(nullptr, 0, nMiddle, 0, nMiddle + 1, EDITACT_DELETE);
        state.ResumeTiming();
    }
}

// A 10 MB line in the middle of short ones, drawn and then deleted: the heap the view holds
// afterwards against before it drew the line, less what the buffer gave back for the line.
void BM_LongLineDrawnThenDeleted(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "mat_width " + std::to_string(i) + "\r\n";
    for (int i = 0; i < 1'000'000; ++i)
        text += "mat_title \"abcdefg\"";
    for (int i = 0; i < 100; ++i)
        text += "\r\nmat_height " + std::to_string(i);
    for (auto _ : state) {
        // What deleting the line gives back without a view.
        auto pAlone = BufferWithText(text);
        size_t nBefore = HeapBytesInUse();
        pAlone->RawDeleteText(nullptr, 99, pAlone->GetLineLength(99), 100,
                              pAlone->GetLineLength(100));
        const double fBufferDelta = static_cast<double>(HeapBytesInUse()) - nBefore;
        pAlone.reset();

        auto pBuffer = BufferWithText(text);
        auto pView = MakeView(*pBuffer, 0); // the long line lies below the window
        nBefore = HeapBytesInUse();
        pView->ScrollToTopLine(90, true);
        QApplication::processEvents();
        const double fDrawn = static_cast<double>(HeapBytesInUse()) - nBefore;
        pBuffer->RawDeleteText(nullptr, 99, pBuffer->GetLineLength(99), 100,
                               pBuffer->GetLineLength(100));
        QApplication::processEvents();
        const double fAfter = static_cast<double>(HeapBytesInUse()) - nBefore - fBufferDelta;
        state.counters["drawn_MB"] = fDrawn / 1e6;
        state.counters["kept_after_delete_MB"] = fAfter / 1e6;
    }
}

} // namespace

BENCHMARK(BM_FullRepaint)
    ->Arg(0)
    ->Arg(1)
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
BENCHMARK(BM_TabLineFullRepaint)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TabLineCaretBlink)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_HugeLineOpenToFirstPaint)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_HugeLineCaretToMiddle)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
BENCHMARK(BM_HugeLineBufferTyping)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);
BENCHMARK(BM_LongLineDrawnThenDeleted)->Unit(benchmark::kMillisecond)->Iterations(1);

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
