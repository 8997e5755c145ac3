// Font sizes in points and the zoom steps between them.
#include "view/FontZoom.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int POINTS_PER_INCH = 72;

int EmPixels(const LogFont& lf) {
    if (lf.nHeight < 0)
        return -lf.nHeight;
    return MakeFont(lf).pixelSize();
}

} // namespace

int ScreenDpi() {
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    const int nDpi = pScreen ? static_cast<int>(std::lround(pScreen->logicalDotsPerInchY())) : 0;
    return nDpi > 0 ? nDpi : 96;
}

int FontPointSize(const LogFont& lf, int nDpi) {
    // Height 0 is the system's default size, which Qt gives in points.
    if (lf.nHeight == 0) {
        const QFont font = MakeFont(lf);
        return std::max(font.pointSize() > 0 ? font.pointSize() : 1, 1);
    }
    const double fPoints = EmPixels(lf) * double(POINTS_PER_INCH) / std::max(nDpi, 1);
    return std::max(static_cast<int>(std::lround(fPoints)), 1);
}

LogFont FontAtPoints(const QString& strFace, int nPoints, int nDpi) {
    LogFont lf;
    lf.strFaceName = strFace;
    lf.nHeight =
        -std::max(static_cast<int>(std::lround(nPoints * double(nDpi) / POINTS_PER_INCH)), 1);
    return lf;
}

int ClampZoomSteps(int nBasePoints, int nSteps) {
    const int nLow = std::min(MIN_ZOOM_POINTS - nBasePoints, 0);
    const int nHigh = std::max(MAX_ZOOM_POINTS - nBasePoints, 0);
    return std::clamp(nSteps, nLow, nHigh);
}

LogFont ZoomFont(const LogFont& lf, int nSteps, int nDpi) {
    if (nSteps == 0)
        return lf;
    LogFont zoomed = FontAtPoints(lf.strFaceName, FontPointSize(lf, nDpi) + nSteps, nDpi);
    zoomed.nWeight = lf.nWeight;
    zoomed.bItalic = lf.bItalic;
    return zoomed;
}
