// The application's printer and the choice of a print queue or a PDF file.
#include "view/AppPrinter.h"

#include "view/UserPrompts.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

QPrinter* g_pAppPrinter = nullptr;

void DeleteAppPrinter() {
    delete g_pAppPrinter;
    g_pAppPrinter = nullptr;
}

} // namespace

QPrinter& GetAppPrinter() {
    if (!g_pAppPrinter) {
        // At printer resolution: text is laid out in the printer's own units.
        g_pAppPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(DeleteAppPrinter);
    }
    return *g_pAppPrinter;
}

bool HasPrintTarget(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return true;
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
}

bool SelectPrintTarget(QPrinter& printer, const QString& strTarget, QString& strError) {
    if (strTarget.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(strTarget);
        return true;
    }
    if (QPrinterInfo::printerInfo(strTarget).isNull()) {
        strError = QStringLiteral("Unknown printer: %1").arg(strTarget);
        return false;
    }
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setOutputFileName({});
    printer.setPrinterName(strTarget);
    return true;
}

bool SelectDefaultPrinter(QPrinter& printer, QString& strError) {
    const QString strName = QPrinterInfo::defaultPrinterName();
    if (strName.isEmpty()) {
        strError = QStringLiteral("No printer is installed");
        return false;
    }
    return SelectPrintTarget(printer, strName, strError);
}

void DoPrintSetup(QWidget* pParent) {
    PromptPrintDialog(pParent, GetAppPrinter(), PrintDialogKind::PrintSetup);
}
