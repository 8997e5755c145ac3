// Showing a benchmark's view at a known size.
#include "BenchView.h"

#include "app/SampleView.h"

#include <QApplication>

void ShowViewWithCells(CSampleView& view, CTextBuffer& buffer, int nColumns, int nRows) {
    view.SetDocumentBuffer(&buffer);
    view.OnInitialUpdate();
    const QSize want(view.GetMarginWidth() + nColumns * view.GetCharWidth(),
                     nRows * view.GetLineHeight());
    view.resize(want);
    view.show();
    QApplication::processEvents();
    // The frame and the scroll bars take their share only once shown: grow by what they took.
    view.resize(view.size() + (want - view.viewport()->size()));
}
