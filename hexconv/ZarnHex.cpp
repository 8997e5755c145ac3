// The ZarnHex library's export: runs the Hex Converter dialog for the calling program.
#include "hexconv/ZarnHex.h"

#include "hexconv/HexConverterDlg.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

void ShowHexDialog(void) {
    // Widgets need the caller's QApplication and its thread; without them Qt would abort
    // the calling program.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("ShowHexDialog: no QApplication is running");
        return;
    }
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) {
        qWarning("ShowHexDialog: not called from the user-interface thread");
        return;
    }
    // On the heap and guarded: if the parent window is destroyed while the dialog runs, it
    // takes the dialog with it.
    QPointer<CHexConverterDlg> pDlg = new CHexConverterDlg(QApplication::activeWindow());
    pDlg->exec();
    delete pDlg.data();
}
