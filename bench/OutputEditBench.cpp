// Output pane benchmarks on the offscreen platform: appending one line of tool output to a
// pane that already holds 1,000 or 200,000 lines, with and without the repaint that follows.
// The cost of an append should not grow with what the pane already holds.
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

} // namespace

BENCHMARK(BM_AppendLine)->Arg(1'000)->Arg(200'000);
BENCHMARK(BM_AppendLineAndRepaint)->Arg(1'000)->Arg(200'000);
