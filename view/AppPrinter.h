// The printer that the editor's print jobs start from, and choosing where a job goes.
#pragma once

class QPrinter;
class QString;
class QWidget;

// The application's one printer: the system's default queue until Print Setup chooses another
// (or a PDF file). Print, print without a dialog and Print Preview all use it, and the print
// dialog's choices stay with it. It is deleted with the QApplication.
QPrinter& GetAppPrinter();

// Whether printer can take a job without asking anything: a print queue, or a named file.
bool HasPrintTarget(const QPrinter& printer);

// Points printer at strTarget: a path ending in ".pdf" is a PDF file to write, anything else
// names a print queue. False, with the reason in strError, for a queue that does not exist.
bool SelectPrintTarget(QPrinter& printer, const QString& strTarget, QString& strError);
// Points printer at the system's default queue; false, with the reason, when there is none.
bool SelectDefaultPrinter(QPrinter& printer, QString& strError);

// Print Setup: the print dialog on the application's printer, choosing without printing.
void DoPrintSetup(QWidget* pParent);
