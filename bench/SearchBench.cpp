// Search benchmarks on the offscreen platform: Find Next through a view over 100 MB in which
// the text does not occur, against memmem over the same bytes twice (the search goes round
// once), and Replace All of 100,000 words in 10 MB through the Replace dialog's button.
#include "BenchFiles.h"
#include "buffer/TextBuffer.h"
#include "editview/EditView.h"
#include "editview/ReplaceTextDlg.h"
#include "resources/CommandIds.h"
#include "view/UserPrompts.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// The edit view with its last search open to the benchmark.
class CBenchView : public CTextEditView {
public:
    using CTextEditView::m_bHaveLastSearch;
    using CTextEditView::m_dwLastFindFlags;
    using CTextEditView::m_strLastSearchText;
};

constexpr char kAbsentWord[] = "Quaxle"; // in neither case anywhere in the large document

// The large document's line texts one after the other: the bytes a search of it reads.
const std::string& LargeDocumentBytes() {
    static const std::string bytes = [] {
        const CTextBuffer& buffer = LargeZarnDocument();
        std::string all;
        for (int i = 0; i < buffer.GetLineCount(); ++i)
            all += buffer.GetLineView(i);
        return all;
    }();
    return bytes;
}

std::unique_ptr<CBenchView> MakeView(CTextBuffer& buffer) {
    auto pView = std::make_unique<CBenchView>();
    pView->AttachBuffer(&buffer);
    pView->resize(800, 600);
    pView->show();
    QApplication::processEvents();
    return pView;
}

double SecondsSince(std::chrono::steady_clock::time_point tStart) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();
}

// Argument 1: with Match case; 0: without. Each iteration is one Find Next from the top that
// goes round the document once and ends in the "Cannot find string" message. The counter
// "ratio" divides its time by that of memmem over the same bytes twice, measured alongside.
void BM_FindNextNotFound(benchmark::State& state) {
    const bool bMatchCase = state.range(0) == 1;
    auto pView = MakeView(LargeZarnDocument());
    pView->m_bHaveLastSearch = true;
    pView->m_strLastSearchText = kAbsentWord;
    pView->m_dwLastFindFlags = bMatchCase ? SEARCH_MATCHCASE : 0;
    int nMessages = 0;
    SetMessageBoxHandler([&](const QString&, QMessageBox::StandardButtons) {
        ++nMessages;
        return QMessageBox::Ok;
    });
    const std::string& bytes = LargeDocumentBytes();
    double dFindSeconds = 0, dMemmemSeconds = 0;
    for (auto _ : state) {
        pView->PutCaretAt({0, 0});
        auto tStart = std::chrono::steady_clock::now();
        pView->OnCmdMsg(ID_EDIT_REPEAT);
        const double dFind = SecondsSince(tStart);
        state.SetIterationTime(dFind);
        dFindSeconds += dFind;

        tStart = std::chrono::steady_clock::now();
        for (int nPass = 0; nPass < 2; ++nPass) {
            const void* pHit =
                memmem(bytes.data(), bytes.size(), kAbsentWord, std::strlen(kAbsentWord));
            benchmark::DoNotOptimize(pHit);
            if (pHit)
                state.SkipWithError("the word occurs in the document");
        }
        dMemmemSeconds += SecondsSince(tStart);
    }
    SetMessageBoxHandler({});
    if (nMessages != static_cast<int>(state.iterations()))
        state.SkipWithError("Find Next did not end in its message every time");
    state.counters["memmem_twice_ms"] =
        dMemmemSeconds * 1e3 / static_cast<double>(state.iterations());
    state.counters["ratio"] = dFindSeconds / dMemmemSeconds;
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

// About 10 MB in 200,000 lines, every other one holding the word "cat" once.
std::string TenMegabytesWithCats() {
    static const char* const kWords[] = {"lorem", "ipsum", "dolor", "sit",    "amet",
                                         "elit",  "sed",   "do",    "eiusmod"};
    std::string text;
    text.reserve(10'500'000);
    unsigned nSeed = 1;
    for (int i = 0; i < 200'000; ++i) {
        std::string line;
        while (line.size() < 44) {
            nSeed = nSeed * 1103515245u + 12345u;
            line += kWords[(nSeed >> 16) % std::size(kWords)];
            line += ' ';
        }
        if (i % 2 == 0)
            line.insert(20, "cat ");
        text += line;
        text += "\r\n";
    }
    return text;
}

int CountOccurrences(const CTextBuffer& buffer, std::string_view word) {
    int nCount = 0;
    for (int i = 0; i < buffer.GetLineCount(); ++i) {
        const std::string_view line = buffer.GetLineView(i);
        for (size_t nAt = line.find(word); nAt != std::string_view::npos;
             nAt = line.find(word, nAt + 1))
            ++nCount;
    }
    return nCount;
}

// Replace All of "cat" by "tiger", pressed on the real dialog of a shown edit view; the
// message that ends it is answered at once.
void BM_ReplaceAll(benchmark::State& state) {
    static const std::string text = TenMegabytesWithCats();
    SetMessageBoxHandler(
        [](const QString&, QMessageBox::StandardButtons) { return QMessageBox::Ok; });
    for (auto _ : state) {
        state.PauseTiming();
        const std::unique_ptr<CTextBuffer> pBuffer = BufferWithText(text);
        CTextBuffer& buffer = *pBuffer;
        if (CountOccurrences(buffer, "cat") != 100'000)
            state.SkipWithError("the document does not hold 100,000 words to replace");
        auto pView = MakeView(buffer);
        // A child of the view, which goes first.
        auto pDlg = std::make_unique<CReplaceTextDlg>(pView.get());
        pDlg->m_sFindWhat = QStringLiteral("cat");
        pDlg->m_sReplaceWith = QStringLiteral("tiger");
        pDlg->m_bAllowSelectionScope = false;
        pDlg->m_nScope = 1;
        pDlg->OnInitDialog();
        pDlg->show();
        QApplication::processEvents();
        auto* pButton = pDlg->findChild<QPushButton*>(QStringLiteral("IDC_EDIT_REPLACE_ALL_8608"));
        state.ResumeTiming();

        pButton->click();

        state.PauseTiming();
        if (CountOccurrences(buffer, "tiger") != 100'000 || CountOccurrences(buffer, "cat") != 0)
            state.SkipWithError("Replace All did not replace every word");
        pDlg.reset();
        pView.reset();
        state.ResumeTiming();
    }
    SetMessageBoxHandler({});
    state.counters["replacements"] = 100'000;
}

} // namespace

BENCHMARK(BM_FindNextNotFound)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(3);
