// Every message box, file dialog and print dialog of the editor goes through these functions,
// so that tests can answer them in place of a person; so do the views' status-bar prompts.
#pragma once

#include <functional>
#include <vector>

#include <QMessageBox>
#include <QString>

class QPrinter;
class QWidget;

// A message box with the application's title, the given text and buttons; returns the
// button pressed.
QMessageBox::StandardButton AfxMessageBox(const QString& strText,
                                          QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                          QMessageBox::Icon icon = QMessageBox::Information);

// Shows strText where the main window holding pSource shows its prompts, the status bar, until
// the next prompt; it goes up the widget tree as a status tip, so no view knows the main window.
void ShowStatusPrompt(QWidget* pSource, const QString& strText);

// A button with a text of its own that gives the answer of a standard button.
struct MessageBoxButton {
    QMessageBox::StandardButton nButton;
    QString strText;
};

// A message box whose buttons read as given, the first one the default; returns the standard
// button of the one pressed.
QMessageBox::StandardButton AfxChoiceBox(const QString& strText,
                                         const std::vector<MessageBoxButton>& buttons,
                                         QMessageBox::Icon icon = QMessageBox::Question);

// What a file dialog is asked for.
struct FileDialogRequest {
    bool bSave = false;       // a Save As dialog, else an Open dialog
    QString strCaption;       // empty: the dialog's usual title
    QString strInitialPath;   // directory and/or file name shown first
    QString strFilter;        // Qt filter text, e.g. "Kestor Files (*.zarn)"
    QString strDefaultSuffix; // added to a typed name without one
    bool bMustExist = false;  // an Open dialog that only takes existing files
};

// Runs a file dialog; returns the chosen path, or an empty string when cancelled.
QString PromptFileName(QWidget* pParent, const FileDialogRequest& request);

// What a print dialog is for: one print (printer, pages, copies), or Print Setup, which only
// chooses the printer that later prints use.
enum class PrintDialogKind { Print, PrintSetup };

// Runs the print dialog on printer, which takes the choices on OK; false when cancelled.
bool PromptPrintDialog(QWidget* pParent, QPrinter& printer, PrintDialogKind kind);

// Test hooks: while set, the handler answers instead of a real dialog. An empty function
// restores the real ones.
using MessageBoxHandler =
    std::function<QMessageBox::StandardButton(const QString&, QMessageBox::StandardButtons)>;
using FileDialogHandler = std::function<QString(const FileDialogRequest&)>;
using PrintDialogHandler = std::function<bool(QPrinter&, PrintDialogKind)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
void SetFileDialogHandler(FileDialogHandler handler);
void SetPrintDialogHandler(PrintDialogHandler handler);
