// Making a Qt font from a font description, with cell heights as the description means them.
#include "view/LogFont.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>

QFont MakeFont(const LogFont& lf) {
    QFont font(lf.strFaceName);
    font.setStyleHint(QFont::TypeWriter);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.nWeight, 1, 1000)));
    font.setItalic(lf.bItalic);
    font.setKerning(false);
    if (lf.nHeight < 0) {
        font.setPixelSize(-lf.nHeight);
    } else if (lf.nHeight > 0) {
        // Qt sizes fonts by the em; scale it so that ascent plus descent give the cell.
        constexpr int kProbeSize = 100;
        QFont probe(font);
        probe.setPixelSize(kProbeSize);
        const double fCell = QFontMetricsF(probe).height();
        const int nPixels =
            fCell > 0 ? static_cast<int>(std::lround(lf.nHeight * kProbeSize / fCell)) : lf.nHeight;
        font.setPixelSize(std::max(nPixels, 1));
    }
    return font;
}
