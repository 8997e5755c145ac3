// Message boxes, status-bar prompts, file dialogs and print dialogs, with the hooks through which
// tests answer them.
#include "view/UserPrompts.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QStatusTipEvent>

namespace {

MessageBoxHandler& MessageBoxHook() {
    static MessageBoxHandler handler;
    return handler;
}

FileDialogHandler& FileDialogHook() {
    static FileDialogHandler handler;
    return handler;
}

PrintDialogHandler& PrintDialogHook() {
    static PrintDialogHandler handler;
    return handler;
}

} // namespace

QMessageBox::StandardButton AfxMessageBox(const QString& strText,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::Icon icon) {
    if (MessageBoxHook())
        return MessageBoxHook()(strText, buttons);
    QMessageBox box(icon, QApplication::applicationName(), strText, buttons,
                    QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowStatusPrompt(QWidget* pSource, const QString& strText) {
    QStatusTipEvent tip(strText);
    QApplication::sendEvent(pSource, &tip);
}

QMessageBox::StandardButton AfxChoiceBox(const QString& strText,
                                         const std::vector<MessageBoxButton>& buttons,
                                         QMessageBox::Icon icon) {
    QMessageBox::StandardButtons flags;
    for (const MessageBoxButton& button : buttons)
        flags |= button.nButton;
    if (MessageBoxHook())
        return MessageBoxHook()(strText, flags);
    QMessageBox box(icon, QApplication::applicationName(), strText, flags,
                    QApplication::activeWindow());
    for (const MessageBoxButton& button : buttons)
        box.button(button.nButton)->setText(button.strText);
    if (!buttons.empty())
        box.setDefaultButton(buttons.front().nButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString PromptFileName(QWidget* pParent, const FileDialogRequest& request) {
    if (FileDialogHook())
        return FileDialogHook()(request);
    QFileDialog dialog(pParent, request.strCaption, request.strInitialPath, request.strFilter);
    dialog.setAcceptMode(request.bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.bSave || !request.bMustExist ? QFileDialog::AnyFile
                                                            : QFileDialog::ExistingFile);
    if (!request.strDefaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.strDefaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool PromptPrintDialog(QWidget* pParent, QPrinter& printer, PrintDialogKind kind) {
    if (PrintDialogHook())
        return PrintDialogHook()(printer, kind);
    QPrintDialog dialog(&printer, pParent);
    if (kind == PrintDialogKind::PrintSetup) {
        // The same choice of printer and paper, but nothing is printed on OK.
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        dialog.setOptions(QAbstractPrintDialog::PrintToFile |
                          QAbstractPrintDialog::PrintShowPageSize);
        for (QDialogButtonBox* pButtons : dialog.findChildren<QDialogButtonBox*>()) {
            if (QPushButton* pOk = pButtons->button(QDialogButtonBox::Ok))
                pOk->setText(QStringLiteral("OK"));
        }
    } else {
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                          QAbstractPrintDialog::PrintShowPageSize |
                          QAbstractPrintDialog::PrintCollateCopies);
    }
    return dialog.exec() == QDialog::Accepted;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHook() = std::move(handler);
}

void SetFileDialogHandler(FileDialogHandler handler) {
    FileDialogHook() = std::move(handler);
}

void SetPrintDialogHandler(PrintDialogHandler handler) {
    PrintDialogHook() = std::move(handler);
}
