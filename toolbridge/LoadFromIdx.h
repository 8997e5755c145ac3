// Load from MAIN.IDX: one form of a records database, written out as Zarn source by Grimlet
// and opened as a document.
#pragma once

#include <functional>

#include <QString>

class CTextBuffer;
class QPlainTextEdit;
class QWidget;

// Opens strFile, the loaded form, as the document of record strGid in the database
// strIdxPath, or activates the document that has it open; false when it could not be opened
// (the user has been told why).
using OpenLoadedFormFn =
    std::function<bool(const QString& strFile, const QString& strGid, const QString& strIdxPath)>;
// The buffer of the document that has strFile open, or null when none has.
using FindOpenBufferFn = std::function<CTextBuffer*(const QString& strFile)>;

// Asks for the records database and the record number, has Grimlet write that record into a
// temporary file of the load directory (GetLoadDirectory), waits for it with the windows live
// and the wait cursor shown, and hands the form to fnOpen as <record>.zarn of that directory;
// the Output pane (pOutput, may be null) then says "<record> loaded ...". The record number
// reaches Grimlet unchanged, as one argument.
//
// Grimlet never writes over a file that may hold the user's work:
// - When a document has the form's file open and its text is not what Grimlet wrote, the
//   user is asked whether to replace the document's text with the record. Yes replaces it as
//   one undoable edit and leaves the document modified (the file changes when it is saved);
//   No changes neither the document nor the file. The document is activated either way.
// - Else, when the file exists with other bytes, the user is asked whether to replace it. Yes
//   keeps the old file as <name>~ and puts the record in its place; No keeps the file and opens
//   it as it is.
// The temporary file is gone afterwards, whatever happened. When Grimlet fails, the pane shows
// its report and nothing is opened; when it cannot be started, a message box says so, naming
// the program. Cancelling either question, or an empty record number, does nothing; so does a
// run cancelled because the main window closes.
void LoadFromIdx(QWidget* pParent, QPlainTextEdit* pOutput, const FindOpenBufferFn& fnFindOpen,
                 const OpenLoadedFormFn& fnOpen);
