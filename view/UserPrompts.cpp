// Message boxes and file dialogs, with the hooks through which tests answer them.
#include "view/UserPrompts.h"

#include <QApplication>
#include <QFileDialog>

namespace {

MessageBoxHandler& MessageBoxHook() {
    static MessageBoxHandler handler;
    return handler;
}

FileDialogHandler& FileDialogHook() {
    static FileDialogHandler handler;
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

void SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHook() = std::move(handler);
}

void SetFileDialogHandler(FileDialogHandler handler) {
    FileDialogHook() = std::move(handler);
}
