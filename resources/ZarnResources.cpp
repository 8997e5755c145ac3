// Loading of the compiled-in bitmaps, cursors and icon, which a static library registers by hand.
#include "resources/ZarnResources.h"

#include "resources/CommandIds.h"

#include <QString>

// Q_INIT_RESOURCE declares a global function, so it may not be used inside a namespace.
static void RegisterZarnResources() {
    Q_INIT_RESOURCE(ZarnResources);
}

namespace {

struct CursorHotSpot {
    unsigned nId;
    int x;
    int y;
};

// The margin cursor is an arrow pointing up and to the right: its tip is the hot spot.
constexpr CursorHotSpot kHotSpots[] = {{IDC_MARGIN_CURSOR, 12, 0}};

} // namespace

void InitZarnResources() {
    static const bool bRegistered = [] {
        RegisterZarnResources();
        return true;
    }();
    (void)bRegistered;
}

QPixmap LoadResBitmap(unsigned nId) {
    InitZarnResources();
    return QPixmap(QStringLiteral(":/zarn/bitmap/%1.png").arg(nId));
}

QCursor LoadResCursor(unsigned nId) {
    InitZarnResources();
    const QPixmap pixmap(QStringLiteral(":/zarn/cursor/%1.png").arg(nId));
    if (pixmap.isNull())
        return QCursor(Qt::ArrowCursor);
    for (const CursorHotSpot& hot : kHotSpots) {
        if (hot.nId == nId)
            return QCursor(pixmap, hot.x, hot.y);
    }
    return QCursor(pixmap, 0, 0);
}

QIcon LoadAppIcon() {
    InitZarnResources();
    QIcon icon;
    for (const int nSize : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/zarn/icon/%1/%2.png").arg(IDR_MAINFRAME).arg(nSize),
                     QSize(nSize, nSize));
    return icon;
}
