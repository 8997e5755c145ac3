// LogFont: the description of a view's font, and the Qt font made from it.
#pragma once

#include <QFont>
#include <QString>

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

struct LogFont {
    QString strFaceName;
    // Pixels: above 0 the height of the character cell (ascent plus descent), below 0 the
    // height of the characters themselves (the em), 0 the system's default size.
    int nHeight = 0;
    int nWeight = FW_NORMAL;
    bool bItalic = false;
};

// A font as lf describes it. A face that is not installed falls back on a fixed-pitch font.
QFont MakeFont(const LogFont& lf);
