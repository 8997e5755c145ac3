// Edit view benchmark: one character typed into the middle of a document, from the key event
// to the end of the repaint it causes, in the 2,000,000-line Zarn-like document, in a 100-line
// document cut from it and into the middle of a single line of 100 MB. Reports the median of
// the single keystrokes.
#include "BenchFiles.h"
#include "BenchView.h"
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

namespace {

// The view with the one member the benchmark checks: what still waits to be repainted.
class CBenchView : public CSampleView {
public:
    using CSampleView::m_rcPendingPaint;
};

constexpr int kColumns = 120;
constexpr int kRows = 50;

// The 100 lines around the middle of the large document, so both hold the same kind of text.
CTextBuffer& SmallDocument() {
    static const std::unique_ptr<CTextBuffer> pBuffer = [] {
        const CTextBuffer& large = LargeZarnDocument();
        const int nFirst = large.GetLineCount() / 2 - 50;
        std::string text;
        for (int i = 0; i < 100; ++i) {
            if (i > 0)
                text += "\r\n";
            text += large.GetLineView(nFirst + i);
        }
        return BufferWithText(text);
    }();
    return *pBuffer;
}

// The 100 MB line, with its tabs or with blanks for them, loaded once.
std::unique_ptr<CTextBuffer> LoadHugeLine(bool bTabs) {
    auto p = std::make_unique<CTextBuffer>();
    if (!p->LoadFile(HugeLineFile(bTabs)))
        std::abort();
    return p;
}

// The document of a benchmark argument: its line count; 1 for the 100 MB line, 0 for that line
// with blanks for its tabs.
CTextBuffer& DocumentWithLines(int64_t nLines) {
    if (nLines == 1) {
        static const std::unique_ptr<CTextBuffer> pWithTabs = LoadHugeLine(true);
        return *pWithTabs;
    }
    if (nLines == 0) {
        static const std::unique_ptr<CTextBuffer> pWithBlanks = LoadHugeLine(false);
        return *pWithBlanks;
    }
    return nLines == 100 ? SmallDocument() : LargeZarnDocument();
}

// A shown, focused view of kColumns x kRows cells with the caret in the middle line, in the
// middle of the line when it is the only one.
std::unique_ptr<CBenchView> MakeView(CTextBuffer& buffer) {
    auto pView = std::make_unique<CBenchView>();
    ShowViewWithCells(*pView, buffer, kColumns, kRows);
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(pView.get(), &focus);
    const int nMiddle = buffer.GetLineCount() / 2;
    pView->ScrollToTopLine(std::max(nMiddle - kRows / 2, 0), true);
    pView->PutCaretAt({buffer.GetLineCount() == 1 ? buffer.GetLineLength(0) / 2 : 4, nMiddle});
    QApplication::processEvents();
    return pView;
}

void SendKey(QWidget& widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

// Argument: the document's line count, as DocumentWithLines takes it. Between the timed
// keystrokes Backspace takes the character out again, so every keystroke meets the same line.
void BM_TypeCharacterAndRepaint(benchmark::State& state) {
    CTextBuffer& buffer = DocumentWithLines(state.range(0));
    auto pView = MakeView(buffer);
    std::vector<double> arrSeconds;
    const int nLine = pView->GetCaretTextPos().y;
    const int nLength = buffer.GetLineLength(nLine);
    for (auto _ : state) {
        const auto tStart = std::chrono::steady_clock::now();
        SendKey(*pView, Qt::Key_X, QStringLiteral("x"));
        QApplication::processEvents(); // the repaint, flushed to the window
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - tStart;
        state.SetIterationTime(elapsed.count());
        arrSeconds.push_back(elapsed.count());
        // The keystroke must have typed and the repaint must have happened.
        if (buffer.GetLineLength(nLine) != nLength + 1 || !pView->m_rcPendingPaint.isEmpty()) {
            state.SkipWithError("the keystroke did not type and repaint");
            break;
        }
        SendKey(*pView, Qt::Key_Backspace, QString());
        QApplication::processEvents();
    }
    std::nth_element(arrSeconds.begin(), arrSeconds.begin() + arrSeconds.size() / 2,
                     arrSeconds.end());
    state.counters["median_us"] = arrSeconds[arrSeconds.size() / 2] * 1e6;
    state.counters["lines"] = buffer.GetLineCount();
}

} // namespace

BENCHMARK(BM_TypeCharacterAndRepaint)
    ->Arg(100)
    ->Arg(2'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000)
    ->Repetitions(3);
BENCHMARK(BM_TypeCharacterAndRepaint)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3);
