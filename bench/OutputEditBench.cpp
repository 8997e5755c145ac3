// Output pane benchmarks on the offscreen platform: appending one line of tool output to a
// pane that already holds 1,000 or 200,000 lines, with and without the repaint that follows,
// and appending one read's worth of output that breaks no line to a line that is already
// 64 KB or 4 MB long. The cost of an append should not grow with what the pane already holds,
// nor with the length of its last line.
#include "app/OutputEdit.h"

#include <QApplication>
#include <QString>

#include <benchmark/benchmark.h>

namespace {

constexpr char kLine[] = "Inserted record 32-105 into MAIN.IDX (57 atoms, 3 comments kept)\r\n";

// A shown pane of a typical size holding `nLines` lines, scrolled to its end.
void FillPane(COutputEdit& edit, int nLines) {
    edit.resize(800, 160);
    edit.show();
    edit.AppendOutput(QString::fromLatin1(kLine).repeated(nLines));
    QApplication::processEvents();
}

void BM_AppendLine(benchmark::State& state) {
    COutputEdit edit;
    FillPane(edit, int(state.range(0)));
    const QString strLine = QString::fromLatin1(kLine);
    for (auto _ : state)
        edit.AppendOutput(strLine);
    state.SetItemsProcessed(state.iterations());
}

void BM_AppendLineAndRepaint(benchmark::State& state) {
    COutputEdit edit;
    FillPane(edit, int(state.range(0)));
    const QString strLine = QString::fromLatin1(kLine);
    for (auto _ : state) {
        edit.AppendOutput(strLine);
        edit.viewport()->repaint();
    }
    state.SetItemsProcessed(state.iterations());
}

// One read of the runner (8191 bytes) of output that never breaks its line.
void BM_AppendToALongLineAndRepaint(benchmark::State& state) {
    COutputEdit edit;
    edit.resize(800, 160);
    edit.show();
    edit.AppendOutput(QString(int(state.range(0)), u'x'));
    QApplication::processEvents();
    const QString strChunk(8191, u'y');
    for (auto _ : state) {
        edit.AppendOutput(strChunk);
        edit.viewport()->repaint();
    }
    state.SetBytesProcessed(state.iterations() * strChunk.size());
}

} // namespace

BENCHMARK(BM_AppendLine)->Arg(1'000)->Arg(200'000);
BENCHMARK(BM_AppendToALongLineAndRepaint)->Arg(64 * 1024)->Arg(4 * 1024 * 1024);
BENCHMARK(BM_AppendLineAndRepaint)->Arg(1'000)->Arg(200'000);
