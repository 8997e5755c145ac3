// Process runner benchmarks on the offscreen platform: a child floods a shown Output pane with
// 20 MB in lines of 80 characters, with 20 MB (or less) that never break a line, or with
// "y" lines as yes(1) writes them for 2 or 10 seconds. Measured in one run each: the throughput,
// the longest time the event loop went without a round of processing, and the memory the run
// added (resident at its end, and at its peak).
#include "app/OutputEdit.h"
#include "tests/toolbridge/FloodText.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

constexpr qint64 kFloodBytes = 20 * 1024 * 1024;
constexpr int kTickMs = 10;
constexpr double kMiB = 1024.0 * 1024.0;

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

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
double StatusBytes(const std::string& strField) {
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine)) {
        if (strLine.rfind(strField + ":", 0) == 0)
            return std::stod(strLine.substr(strField.size() + 1)) * 1024.0;
    }
    return 0;
}

// The resident memory a stretch of work added, at its end and at its peak.
class CMemoryMeter {
public:
    CMemoryMeter() {
        // Lets the peak start again from here.
        std::ofstream("/proc/self/clear_refs") << "5";
        m_dStart = StatusBytes("VmRSS");
    }
    double AddedMiB() const { return (StatusBytes("VmRSS") - m_dStart) / kMiB; }
    double PeakAddedMiB() const { return (StatusBytes("VmHWM") - m_dStart) / kMiB; }

private:
    double m_dStart = 0;
};

// A shown pane of a typical size.
std::unique_ptr<COutputEdit> MakePane() {
    auto pEdit = std::make_unique<COutputEdit>();
    pEdit->resize(800, 200);
    pEdit->show();
    QApplication::processEvents();
    return pEdit;
}

// Runs the child with `strStep` into a new pane, and reports the run's figures.
QString RunIntoPane(benchmark::State& state, const QString& strStep) {
    qint64 nMaxGapMs = 0;
    double dAdded = 0;
    double dPeak = 0;
    QString strShown;
    for (auto _ : state) {
        state.PauseTiming();
        auto pEdit = MakePane();
        CMemoryMeter memory;
        state.ResumeTiming();

        CGapMeter meter;
        CToolRunner runner(TOOL_CHILD_PATH, {strStep}, pEdit.get());
        runner.Run();
        nMaxGapMs = std::max(nMaxGapMs, meter.MaxGapMs());

        state.PauseTiming();
        dAdded = std::max(dAdded, memory.AddedMiB());
        dPeak = std::max(dPeak, memory.PeakAddedMiB());
        strShown = pEdit->GetOutputText();
        pEdit.reset();
        state.ResumeTiming();
    }
    state.counters["max_gap_ms"] = static_cast<double>(nMaxGapMs);
    state.counters["rss_added_mb"] = dAdded;
    state.counters["peak_added_mb"] = dPeak;
    return strShown;
}

// What a pane shows of the output: the last part of it, after the note when older text was
// dropped.
void ExpectTailShown(const QString& strShown, const std::string& strOutput) {
    QString strKept = strShown;
    if (strKept.startsWith(OutputDroppedNote()))
        strKept.remove(0, OutputDroppedNote().size() + 1);
    const std::string strTail = strKept.toStdString();
    if (strTail.empty() || strTail.size() > strOutput.size() ||
        strOutput.compare(strOutput.size() - strTail.size(), strTail.size(), strTail) != 0) {
        std::fprintf(stderr, "the pane does not show the end of the output\n");
        std::abort();
    }
}

void BM_StreamFloodIntoOutputPane(benchmark::State& state) {
    const QString strShown = RunIntoPane(state, QStringLiteral("flood:%1").arg(kFloodBytes));
    ExpectTailShown(strShown, FloodText(kFloodBytes));
    state.SetBytesProcessed(state.iterations() * kFloodBytes);
}

void BM_StreamUnbrokenOutputIntoOutputPane(benchmark::State& state) {
    const qint64 nBytes = state.range(0);
    const QString strShown = RunIntoPane(state, QStringLiteral("unbroken:%1").arg(nBytes));
    const QChar chLast(static_cast<char16_t>(u'a' + (nBytes - 1) % 4096 % 26));
    if (strShown.isEmpty() || !strShown.endsWith(chLast)) {
        std::fprintf(stderr, "the pane does not end with the output's last letter\n");
        std::abort();
    }
    state.SetBytesProcessed(state.iterations() * nBytes);
}

void BM_StreamYesIntoOutputPane(benchmark::State& state) {
    const QString strShown = RunIntoPane(state, QStringLiteral("yes:%1").arg(state.range(0)));
    if (!strShown.endsWith(QStringLiteral("y\ny\n"))) {
        std::fprintf(stderr, "the pane does not end with the output's last lines\n");
        std::abort();
    }
}

} // namespace

BENCHMARK(BM_StreamFloodIntoOutputPane)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
// 2 MB for a run of the quadratic append this replaced; 20 MB is the target.
BENCHMARK(BM_StreamUnbrokenOutputIntoOutputPane)
    ->Arg(2 * 1024 * 1024)
    ->Arg(kFloodBytes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
// 2 seconds for a run of the unbounded pane this replaced; 10 seconds is the target.
BENCHMARK(BM_StreamYesIntoOutputPane)
    ->Arg(2)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
