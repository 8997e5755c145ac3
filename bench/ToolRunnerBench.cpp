// Process runner benchmark on the offscreen platform: a child writes 20 MB in lines of 80
// characters into a shown Output pane; measured are the throughput and the longest time the
// event loop went without a round of processing while the output streamed.
#include "toolbridge/ToolRunner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

#include <benchmark/benchmark.h>

constexpr qint64 kFloodBytes = 20 * 1024 * 1024;
constexpr int kTickMs = 10;

// The longest interval between two rounds of the event loop, seen by a 10 ms timer that
// measures how late it comes.
class CGapMeter {
public:
    CGapMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMs);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_nMaxGapMs = std::max(m_nMaxGapMs, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 MaxGapMs() const { return m_nMaxGapMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_nMaxGapMs = 0;
};

static void BM_StreamFloodIntoOutputPane(benchmark::State& state) {
    qint64 nMaxGapMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto pEdit = std::make_unique<QPlainTextEdit>();
        QPlainTextEdit& edit = *pEdit;
        edit.setReadOnly(true);
        edit.resize(800, 200);
        edit.show();
        QApplication::processEvents();
        state.ResumeTiming();

        CGapMeter meter;
        CToolRunner runner(TOOL_CHILD_PATH, {QStringLiteral("flood:%1").arg(kFloodBytes)}, &edit);
        runner.Run();
        nMaxGapMs = std::max(nMaxGapMs, meter.MaxGapMs());

        state.PauseTiming();
        // Every byte arrived: the document counts one more, its final paragraph end.
        if (edit.document()->characterCount() - 1 != kFloodBytes) {
            std::fprintf(stderr, "lost output: %d of %lld characters\n",
                         edit.document()->characterCount() - 1,
                         static_cast<long long>(kFloodBytes));
            std::abort();
        }
        pEdit.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFloodBytes);
    state.counters["max_gap_ms"] = static_cast<double>(nMaxGapMs);
}
BENCHMARK(BM_StreamFloodIntoOutputPane)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
