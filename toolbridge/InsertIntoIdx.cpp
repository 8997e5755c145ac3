// Insert into MAIN.IDX: the checks before Grimlet's "add", and its run into the Output pane.
#include "toolbridge/InsertIntoIdx.h"

#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolRunner.h"
#include "toolbridge/WaitCursor.h"
#include "view/UserPrompts.h"

#include <QPlainTextEdit>

namespace {

constexpr char GRIMLET_ADD[] = "add";
constexpr char GRIMLET_KEEP_COMMENTS[] = "-keepComments";

constexpr char MSG_SET_PROPERTIES[] = "Please set properties first.";
constexpr char MSG_SAVE_FIRST[] = "Changes must be saved first";
constexpr char MSG_NEVER_SAVED[] =
    "This document has never been saved, so there is no file to insert.\n"
    "Save it first, then insert it into MAIN.IDX.";

} // namespace

void InsertIntoIdx(const QString& strIdxPath, const std::function<bool()>& fnSaveModified,
                   const std::function<QString()>& fnPathName, QPlainTextEdit* pOutput) {
    if (strIdxPath.isEmpty()) {
        AfxMessageBox(QString::fromLatin1(MSG_SET_PROPERTIES));
        return;
    }
    // A save that failed has told the user why; the file on disk is not what they see.
    if (!fnSaveModified()) {
        AfxMessageBox(QString::fromLatin1(MSG_SAVE_FIRST));
        return;
    }
    const QString strSource = fnPathName();
    if (strSource.isEmpty()) {
        AfxMessageBox(QString::fromLatin1(MSG_NEVER_SAVED), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }

    if (pOutput != nullptr)
        pOutput->clear();
    // The document may close while Grimlet runs: everything the run needs is copied here.
    CToolRunner runner(GetGrimletProgram(),
                       {QString::fromLatin1(GRIMLET_ADD),
                        QString::fromLatin1(GRIMLET_KEEP_COMMENTS), strIdxPath, strSource},
                       pOutput);
    CWaitCursor wait;
    runner.Run();
}
