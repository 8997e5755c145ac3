// Insert into MAIN.IDX: the document's saved file put back into its records database by
// Grimlet, with Grimlet's report streamed into the Output pane.
#pragma once

#include <functional>

#include <QString>

class QPlainTextEdit;

// strIdxPath: the document's Main IDX Path. fnSaveModified asks the save question of a
// modified document and says whether Insert may go on (false after Cancel, or when the save
// failed or was cancelled); fnPathName then gives the file the document was last opened from
// or saved to, empty when it has none. Grimlet inserts that file as it is on disk: with "No"
// to the save question, the file as last saved. The pane (pOutput, may be null) is emptied
// first; Grimlet's messages are the whole report. Both paths reach Grimlet unchanged, each as
// one argument.
void InsertIntoIdx(const QString& strIdxPath, const std::function<bool()>& fnSaveModified,
                   const std::function<QString()>& fnPathName, QPlainTextEdit* pOutput);
