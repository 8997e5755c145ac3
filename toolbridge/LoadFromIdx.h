// Load from MAIN.IDX: one form of a records database, written out as Zarn source by Grimlet
// and opened as a document.
#pragma once

#include <functional>

#include <QString>

class QPlainTextEdit;
class QWidget;

// Opens strFile, the form that Grimlet wrote, as the document of record strGid in the
// database strIdxPath; false when it could not be opened (the user has been told why).
using OpenLoadedFormFn =
    std::function<bool(const QString& strFile, const QString& strGid, const QString& strIdxPath)>;

// Asks for the records database and the record number, has Grimlet write that record into
// the load directory (GetLoadDirectory), waits for it with the windows live and the wait
// cursor shown, and hands the file to fnOpen; the Output pane (pOutput, may be null) then
// says "<record> loaded ...". The record number reaches Grimlet unchanged, as one argument.
// When Grimlet fails, the pane shows its report instead and nothing is opened; when it cannot
// be started, a message box says so. Cancelling either question, or an empty record number,
// does nothing; so does a run cancelled because the main window closes.
void LoadFromIdx(QWidget* pParent, QPlainTextEdit* pOutput, const OpenLoadedFormFn& fnOpen);
