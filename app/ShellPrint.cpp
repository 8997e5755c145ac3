// Printing a file from the command line: the file is read into a buffer, shown by a view that
// is never put on screen, and printed as the Print command would print it.
#include "app/ShellPrint.h"

#include "app/CommandLineInfo.h"
#include "app/SampleApp.h"
#include "app/SampleView.h"
#include "buffer/TextBuffer.h"
#include "view/AppPrinter.h"

#include <cstdio>

#include <QFile>
#include <QFileInfo>
#include <QPrinter>

namespace {

constexpr int EXIT_PRINT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int Fail(int nStatus, const QString& strWhy) {
    std::fputs(QStringLiteral("zarneditor: %1\n").arg(strWhy).toLocal8Bit().constData(), stderr);
    return nStatus;
}

} // namespace

int ProcessShellCommand(const CCommandLineInfo& cmdInfo) {
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::Invalid) {
        Fail(EXIT_USAGE, cmdInfo.m_strError);
        std::fputs(CCommandLineInfo::GetUsage().toLocal8Bit().constData(), stderr);
        return EXIT_USAGE;
    }
    // The margins are the user's, from the application's settings.
    CSampleApp::SetProfileNames();

    const QString strPath = cmdInfo.m_listFiles.constFirst();
    CTextBuffer buffer;
    if (const FileResult result = buffer.LoadFile(QFile::encodeName(strPath).toStdString());
        !result)
        return Fail(EXIT_PRINT_FAILED, QStringLiteral("Cannot open %1: %2")
                                           .arg(strPath, QString::fromStdString(result.strError)));

    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(strPath).fileName());
    QString strError;
    const bool bSelected = cmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo
                               ? SelectPrintTarget(printer, cmdInfo.m_strPrinterName, strError)
                               : SelectDefaultPrinter(printer, strError);
    if (!bSelected)
        return Fail(EXIT_PRINT_FAILED, strError);

    CSampleView view;
    view.SetDocumentBuffer(&buffer);
    view.OnInitialUpdate();
    if (const PrintResult result = view.PrintDocument(printer); !result)
        return Fail(EXIT_PRINT_FAILED, result.strError);
    return 0;
}
