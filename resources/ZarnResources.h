// The editor's compiled-in images, cursors and icon, reached by their numeric resource ids.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// Registers the resources once; safe to call any number of times.
void InitZarnResources();

// Bitmap `nId`; a null pixmap when there is none.
QPixmap LoadResBitmap(unsigned nId);

// Cursor `nId` with its hot spot; the arrow when there is none.
QCursor LoadResCursor(unsigned nId);

// The application icon (resource 128) in all its sizes, for the About box and the windows.
QIcon LoadAppIcon();
