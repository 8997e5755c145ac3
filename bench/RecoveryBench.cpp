// Recovery benchmarks: writing the recovery file of the 100 MB document (the pause it puts into
// typing) against saving the same document, and what following its changes costs a keystroke.
#include "BenchFiles.h"
#include "app/RecoveryStore.h"
#include "app/SampleDoc.h"
#include "buffer/TextBuffer.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace {

size_t TextBytes(const CTextBuffer& buffer) {
    size_t nBytes = 2 * static_cast<size_t>(buffer.GetLineCount() - 1);
    for (int i = 0; i < buffer.GetLineCount(); ++i)
        nBytes += static_cast<size_t>(buffer.GetLineLength(i));
    return nBytes;
}

void BM_WriteRecoveryFile(benchmark::State& state) {
    const CTextBuffer& buffer = LargeZarnDocument();
    CRecoveryStore store(QString::fromStdString(ScratchPath("recovery")));
    if (!store.Open()) {
        state.SkipWithError("no recovery folder");
        return;
    }
    const QString strFile = store.NewFileName(QStringLiteral("zarn-2m.zarn"));
    for (auto _ : state) {
        if (!store.Write(strFile, buffer, QStringLiteral("/forms/zarn-2m.zarn"),
                         QStringLiteral("zarn-2m.zarn")))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes(buffer)));
}

// The yardstick: saving the same document.
void BM_SaveFile(benchmark::State& state) {
    CTextBuffer& buffer = LargeZarnDocument();
    const std::string out = ScratchPath("save-recovery-bench.out");
    for (auto _ : state) {
        if (!buffer.SaveFile(out, EOL_AUTO, false))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes(buffer)));
}

// 100,000 characters typed one by one into the middle of the large document: argument 0, the
// bare buffer; 1, the buffer of a document, which notes every change for its recovery file.
void BM_TypeCharacters(benchmark::State& state) {
    constexpr int kChars = 100'000;
    static CSampleDoc* const s_pDoc = [] {
        auto* pDoc = new CSampleDoc(nullptr);
        pDoc->OnOpenDocument(QString::fromStdString(ZarnLikeFile()));
        return pDoc;
    }();
    CTextBuffer& buffer = state.range(0) == 0 ? LargeZarnDocument() : s_pDoc->GetTextBuffer();
    int nLine = buffer.GetLineCount() / 2;
    for (auto _ : state)
        TypeIntoLine(buffer, nLine++, kChars);
    state.counters["per_char"] = benchmark::Counter(
        kChars, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_WriteRecoveryFile)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(BM_TypeCharacters)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
