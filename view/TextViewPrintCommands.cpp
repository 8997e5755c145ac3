// CTextView: the printing commands: Print with its dialog, print without one, Print Preview
// and Page Setup. Every print goes to the application's printer (Print Setup chooses it).
#include "view/AppPrinter.h"
#include "view/PageSetupDlg.h"
#include "view/TextView.h"
#include "view/UserPrompts.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

void CTextView::OnFilePageSetup(unsigned) {
    CPageSetupDlg dlg(this);
    dlg.m_margins = ReadPageMargins();
    if (dlg.DoModal() == QDialog::Accepted)
        WritePageMargins(dlg.m_margins);
}

void CTextView::OnFilePrint(unsigned) {
    QPrinter& printer = GetAppPrinter();
    // Each print starts with every page; the dialog may narrow it.
    printer.setPrintRange(QPrinter::AllPages);
    if (!PromptPrintDialog(this, printer, PrintDialogKind::Print))
        return;
    RunPrintJob(printer);
}

void CTextView::OnFilePrintDirect(unsigned) {
    QPrinter& printer = GetAppPrinter();
    if (!HasPrintTarget(printer)) {
        AfxMessageBox(QStringLiteral("No printer is installed. Choose a printer or a PDF file in "
                                     "Print Setup."),
                      QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    printer.setPrintRange(QPrinter::AllPages);
    RunPrintJob(printer);
}

void CTextView::OnFilePrintPreview(unsigned) {
    QPrinter& printer = GetAppPrinter();
    printer.setPrintRange(QPrinter::AllPages);
    // An empty preview could not say why it is empty: margins that leave no room are told first.
    CPrintInfo info;
    if (const PrintResult result = BeginPrintJob(printer, info); !result) {
        AfxMessageBox(result.strError, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    OnEndPrinting();

    QPrintPreviewDialog dialog(&printer, this);
    // Full pages want room: the preview takes the size of the editor's window.
    dialog.resize(window()->size());
    // The preview asks for its pages again when its page settings change, and its Print button
    // prints through the same request. A failure is told once the request has returned.
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* pPrinter) {
        if (const PrintResult result = PrintDocument(*pPrinter); !result)
            QMetaObject::invokeMethod(
                this,
                [strError = result.strError] {
                    AfxMessageBox(strError, QMessageBox::Ok, QMessageBox::Warning);
                },
                Qt::QueuedConnection);
    });
    dialog.exec();
}

void CTextView::RunPrintJob(QPrinter& printer) {
    if (const PrintResult result = PrintDocument(printer); !result)
        AfxMessageBox(result.strError, QMessageBox::Ok, QMessageBox::Warning);
}
