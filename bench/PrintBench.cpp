// Printing benchmarks on the offscreen platform: paginating a form of 10,000 lines (every line
// laid out at printer resolution), printing it whole into a PDF file, and printing one line of
// 1 MB without a blank against the same bytes in lines of 100 characters.
#include "BenchFiles.h"
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"

#include <memory>
#include <string>
#include <utility>

#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 10'000;

// Nested atoms with their arguments, a blank line between objects, and every 40th line a
// comment long enough to wrap over several rows.
std::unique_ptr<CTextBuffer> MakeForm() {
    std::string text;
    for (int i = 0; i < kLines; ++i) {
        if (i > 0)
            text += "\r\n";
        if (i % 40 == 39) {
            text += "; ";
            for (int k = 0; k < 40; ++k)
                text += "a comment that runs on ";
        } else if (i % 20 != 0) {
            text += std::string(static_cast<size_t>(4 * (i % 3)), ' ') + "\tmat_title_width " +
                    std::to_string(i) + " \"Field " + std::to_string(i % 97) + "\"";
        }
    }
    return BufferWithText(text);
}

// The form in a view that is never shown, and an A4 PDF printer at printer resolution that
// writes into a temporary directory, as the command line prints.
struct CPrintSetUp {
    explicit CPrintSetUp(std::unique_ptr<CTextBuffer> pText = MakeForm())
        : pBuffer(std::move(pText)), printer(QPrinter::HighResolution) {
        view.SetDocumentBuffer(pBuffer.get());
        view.OnInitialUpdate();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("form.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFullPage(true);
    }

    // The pages of the form: one pagination outside the timed loop.
    int CountPages() {
        CPrintInfo info;
        info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
        view.OnBeginPrinting(printer);
        view.PaginateDocument(info);
        const int nPages = view.GetPrintPageCount();
        view.OnEndPrinting();
        return nPages;
    }

    std::unique_ptr<CTextBuffer> pBuffer;
    CSampleView view;
    QTemporaryDir dir;
    QPrinter printer;
};

void BM_PaginateDocument(benchmark::State& state) {
    CPrintSetUp job;
    CSampleView& view = job.view;
    QPrinter& printer = job.printer;
    CPrintInfo info;
    info.m_rectDraw = QRect(0, 0, printer.width(), printer.height());
    view.OnBeginPrinting(printer);
    for (auto _ : state)
        benchmark::DoNotOptimize(view.PaginateDocument(info));
    state.counters["pages"] = view.GetPrintPageCount();
    state.counters["per_line"] = benchmark::Counter(
        kLines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    view.OnEndPrinting();
}

void BM_PrintDocumentToPdf(benchmark::State& state) {
    CPrintSetUp job;
    for (auto _ : state) {
        if (!job.view.PrintDocument(job.printer))
            state.SkipWithError("the print failed");
    }
    const int nPages = job.CountPages();
    state.counters["pages"] = nPages;
    state.counters["per_page"] = benchmark::Counter(
        nPages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 1,000,000 letters without a blank: one line (argument 1), or lines of 100 (argument 0).
std::unique_ptr<CTextBuffer> MakeLetters(bool bOneLine) {
    std::string text;
    for (int i = 0; i < 1'000'000; ++i) {
        if (!bOneLine && i > 0 && i % 100 == 0)
            text += "\r\n";
        text += static_cast<char>('a' + i % 26);
    }
    return BufferWithText(text);
}

void BM_PrintLettersToPdf(benchmark::State& state) {
    CPrintSetUp job(MakeLetters(state.range(0) == 1));
    for (auto _ : state) {
        if (!job.view.PrintDocument(job.printer))
            state.SkipWithError("the print failed");
    }
    state.counters["pages"] = job.CountPages();
    state.counters["lines"] = job.pBuffer->GetLineCount();
}

} // namespace

BENCHMARK(BM_PaginateDocument)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(BM_PrintDocumentToPdf)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(3);
BENCHMARK(BM_PrintLettersToPdf)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);
