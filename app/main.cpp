// zarneditor: opens the file named on the command line (or an empty document) in one Zarn
// view window.
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZarnEditor"));
    QApplication::setApplicationName(QStringLiteral("Zarn Editor"));

    CTextBuffer buffer;
    QString strTitle = QStringLiteral("Zarn Document1");
    const QStringList args = QApplication::arguments();
    bool bLoaded = false;
    if (args.size() > 1) {
        const QString strPath = args.at(1);
        const FileResult result = buffer.LoadFile(strPath.toStdString());
        if (result) {
            strTitle = QFileInfo(strPath).fileName();
            bLoaded = true;
        } else {
            QMessageBox::warning(nullptr, QStringLiteral("Zarn Editor"),
                                 QStringLiteral("Cannot open %1: %2")
                                     .arg(strPath, QString::fromStdString(result.strError)));
        }
    }
    if (!bLoaded)
        buffer.InitEmpty(EOL_CRLF);

    CSampleView view;
    view.SetDocumentBuffer(&buffer);
    view.OnInitialUpdate();
    view.setWindowTitle(strTitle);
    view.resize(view.GetMarginWidth() + 100 * view.GetCharWidth() + 24,
                40 * view.GetLineHeight() + 24);
    view.show();
    view.activateWindow();
    view.setFocus();
    return QApplication::exec();
}
