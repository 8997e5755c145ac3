// A text view shown on the offscreen platform with a client area of a known number of cells,
// for the benchmarks that measure drawing and typing.
#pragma once

class CTextBuffer;
class CSampleView;

// Attaches buffer to view, shows it and sizes it so that its text area is exactly
// nColumns x nRows cells.
void ShowViewWithCells(CSampleView& view, CTextBuffer& buffer, int nColumns, int nRows);
