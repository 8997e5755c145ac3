// Export to Vey: the file question, the refusal to overwrite the document's own file, the
// writing and the Output pane's note.
#include "toolbridge/ExportToVey.h"

#include "buffer/TextBuffer.h"
#include "toolbridge/ToolOutput.h"
#include "toolbridge/WaitCursor.h"
#include "view/UserPrompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

namespace {

constexpr char VEY_SUFFIX[] = ".vey";
constexpr char VEY_FILTER[] = "Zarn Vey File (*.vey)";

constexpr char MSG_EXPORT_TO_SELF[] = "Can not export to self.";
constexpr char MSG_CANNOT_WRITE[] = "Cannot write %1: %2";
constexpr char MSG_WILDCARD[] =
    "The name %1 holds a wildcard (\"*\" or \"?\"). Please choose a file name without one.";
constexpr char MSG_EXPORTED_TO[] = " exported to ";
constexpr char MSG_NOTE_TRANSLATION[] =
    "\r\nNOTE! Not all commands will translate into \"real\" VeyZarn.";
constexpr char MSG_NOTE_EDITING[] = "\r\nSome editting may be required.";

// As many links as the system follows before it gives up on a loop.
constexpr int MAX_LINK_HOPS = 40;

// The canonical spelling of a path, existing or not; empty when it cannot be had.
QString CanonicalPath(const QString& strPath, int nHopsLeft = MAX_LINK_HOPS) {
    const QFileInfo info(strPath);
    if (info.exists())
        return info.canonicalFilePath();
    // A dangling symbolic link is written through to its target: that target is the file.
    if (info.isSymLink())
        return nHopsLeft > 0 ? CanonicalPath(info.symLinkTarget(), nHopsLeft - 1) : QString();
    const QString strDir = info.absoluteDir().canonicalPath();
    return strDir.isEmpty() ? QString() : QDir(strDir).filePath(info.fileName());
}

// The document's name with the Vey suffix: beside its file when it has one.
QString VeyNameFor(const QString& strPathName, const QString& strTitle) {
    const QString strVey = QString::fromLatin1(VEY_SUFFIX);
    if (strPathName.isEmpty())
        return QFileInfo(strTitle).completeBaseName() + strVey;
    const QFileInfo info(strPathName);
    return info.dir().filePath(info.completeBaseName() + strVey);
}

// A name that a dialog would take for a filter is no name for a file.
bool HasWildcard(const QString& strPath) {
    const QString strName = QFileInfo(strPath).fileName();
    return strName.contains(u'*') || strName.contains(u'?');
}

} // namespace

bool IsSameFilePath(const QString& strA, const QString& strB) {
    if (strA.isEmpty() || strB.isEmpty())
        return false;
    const QString strCanonicalA = CanonicalPath(strA);
    return !strCanonicalA.isEmpty() && strCanonicalA == CanonicalPath(strB);
}

void ExportToVey(const CTextBuffer& buffer, const QString& strFileName, const QString& strPathName,
                 const QString& strTitle, QWidget* pParent, QPlainTextEdit* pOutput) {
    FileDialogRequest request;
    request.bSave = true;
    request.strInitialPath =
        VeyNameFor(strPathName.isEmpty() ? strFileName : strPathName, strTitle);
    request.strFilter = QString::fromLatin1(VEY_FILTER);
    QString strPath = PromptFileName(pParent, request);
    while (HasWildcard(strPath)) {
        AfxMessageBox(QString::fromLatin1(MSG_WILDCARD).arg(QFileInfo(strPath).fileName()),
                      QMessageBox::Ok, QMessageBox::Warning);
        strPath = PromptFileName(pParent, request);
    }
    if (strPath.isEmpty())
        return;
    if (IsSameFilePath(strPath, strFileName) || IsSameFilePath(strPath, strPathName)) {
        AfxMessageBox(QString::fromLatin1(MSG_EXPORT_TO_SELF));
        return;
    }

    FileResult result;
    {
        CWaitCursor wait;
        result = buffer.ExportVey(QFile::encodeName(strPath).toStdString());
    }
    if (!result) {
        AfxMessageBox(QString::fromLatin1(MSG_CANNOT_WRITE)
                          .arg(strPath, QString::fromStdString(result.strError)),
                      QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    AppendToOutputEdit(pOutput,
                       strFileName + QString::fromLatin1(MSG_EXPORTED_TO) + strPath +
                           QString::fromLatin1(MSG_NOTE_TRANSLATION) +
                           QString::fromLatin1(MSG_NOTE_EDITING),
                       true);
}
