// Load from MAIN.IDX: the two questions, Grimlet's "dump", and the hand-over of its file.
#include "toolbridge/LoadFromIdx.h"

#include "app/DocPropertiesDlg.h"
#include "app/RecordNumberDlg.h"
#include "toolbridge/GrimletPaths.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/ToolRunner.h"
#include "toolbridge/WaitCursor.h"
#include "view/UserPrompts.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPointer>

namespace {

constexpr char GRIMLET_DUMP[] = "dump";

constexpr char MSG_CANNOT_EXECUTE[] = "Error. Cannot execute Grimlet.exe";
constexpr char MSG_LOADED[] = " loaded (if form does no exist it is created)\r\n";
constexpr char MSG_FAILED_SILENTLY[] = "Grimlet could not load record %1 and gave no reason.\r\n";

// Empty when the user cancels: the dialog writes the number only on OK.
QString AskRecordNumber(QWidget* pParent) {
    QString strRecord;
    CRecordNumberDlg dlg(pParent, &strRecord);
    dlg.exec();
    return strRecord;
}

} // namespace

void LoadFromIdx(QWidget* pParent, QPlainTextEdit* pOutput, const OpenLoadedFormFn& fnOpen) {
    const QString strDb = PromptIdxFile(pParent);
    if (strDb.isEmpty())
        return;
    const QString strRecord = AskRecordNumber(pParent);
    if (strRecord.isEmpty())
        return;
    QString strError;
    const QString strDir = GetLoadDirectory(strError);
    if (strDir.isEmpty()) {
        AfxMessageBox(strError, QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    const QString strFile = QDir(strDir).filePath(RecordFileName(strRecord));

    // Grimlet's report is shown only when it fails; while it runs, the pane keeps its text.
    const QPointer<QPlainTextEdit> pPane(pOutput);
    CToolRunner runner(GetGrimletProgram(),
                       {QString::fromLatin1(GRIMLET_DUMP), strDb, strRecord, strFile}, nullptr);
    runner.SetKeepOutput(true);
    {
        CWaitCursor wait;
        runner.Run();
    }
    switch (runner.GetResult()) {
    case TOOLRUN_SUCCEEDED:
        break;
    case TOOLRUN_NOT_STARTED:
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_EXECUTE));
        return;
    case TOOLRUN_FAILED: {
        // A file left by an earlier load of the record is not this load's result: nothing
        // opens.
        const QString strReport = runner.GetKeptOutput();
        AppendToOutputEdit(pPane,
                           strReport.trimmed().isEmpty()
                               ? QString::fromLatin1(MSG_FAILED_SILENTLY).arg(strRecord)
                               : strReport,
                           true);
        return;
    }
    case TOOLRUN_PENDING:
    case TOOLRUN_CANCELLED:
        return;
    }

    if (fnOpen(strFile, strRecord, strDb))
        AppendToOutputEdit(pPane, strRecord + QString::fromLatin1(MSG_LOADED), true);
}
