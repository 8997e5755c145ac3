// Zooming a view's font: steps of one point away from the document's font, within bounds.
#pragma once

#include "view/LogFont.h"

constexpr int MIN_ZOOM_POINTS = 4;
constexpr int MAX_ZOOM_POINTS = 72;

// The logical resolution of the primary screen, in dots per inch (96 without a screen).
int ScreenDpi();
// The size of the font lf describes, in whole points on a screen of nDpi dots per inch.
int FontPointSize(const LogFont& lf, int nDpi);
// The description of face strFace at nPoints points on that screen (its em in pixels).
LogFont FontAtPoints(const QString& strFace, int nPoints, int nDpi);
// nSteps limited so that a font of nBasePoints zoomed by them stays within the bounds; a base
// outside them may be zoomed back towards them only.
int ClampZoomSteps(int nBasePoints, int nSteps);
// lf zoomed by nSteps points: lf itself at 0 steps, so that an unzoomed view keeps its font
// exactly; nSteps are expected within ClampZoomSteps's limits.
LogFont ZoomFont(const LogFont& lf, int nSteps, int nDpi);
