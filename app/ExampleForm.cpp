// The example form and the user's copy of it.
#include "app/ExampleForm.h"

#include "toolbridge/FileBytes.h"
#include "toolbridge/GrimletPaths.h"
#include "view/UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr char EXAMPLE_FORM[] = "example.zarn";
constexpr char EXAMPLE_DATABASE[] = "MAIN.IDX";
constexpr char COPY_FOLDER[] = "examples";
constexpr char BACKUP_SUFFIX[] = "~";

constexpr char MSG_NO_EXAMPLES[] = "Cannot find the example form: neither %1 nor %2 holds %3.";
constexpr char MSG_CANNOT_COPY[] = "Cannot copy the example form to %1: %2";
constexpr char MSG_REPLACE_COPY[] = "Your copy of the example form, %1, has changes.\n\n"
                                    "Replace it with the original example? Your copy is kept as "
                                    "%2.\nNo opens your copy as it is.";

// Written whole or not at all, so that a failed copy never leaves half a form.
bool WriteWhole(const QString& strPath, const QByteArray& bytes, QString& strError) {
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        strError = file.errorString();
        return false;
    }
    return true;
}

bool CopyWhole(const QString& strFrom, const QString& strTo, QString& strError) {
    QByteArray bytes;
    return ReadFileBytes(strFrom, bytes, strError) && WriteWhole(strTo, bytes, strError);
}

QString ReportCopyFailure(const QString& strDir, const QString& strError) {
    AfxMessageBox(QString::fromLatin1(MSG_CANNOT_COPY).arg(strDir, strError), QMessageBox::Ok,
                  QMessageBox::Warning);
    return {};
}

} // namespace

QString FindExamplesDirectory() {
    const QDir editorDir(GetEditorDirectory());
    for (const char* pszDir : {COPY_FOLDER, ZARN_EXAMPLES_FROM_BINDIR}) {
        const QString strDir = QDir::cleanPath(editorDir.filePath(QString::fromLatin1(pszDir)));
        if (QFileInfo(QDir(strDir).filePath(QString::fromLatin1(EXAMPLE_FORM))).isFile())
            return strDir;
    }
    return {};
}

QString GetExampleCopyPath() {
    const QDir dataDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    return dataDir.filePath(QString::fromLatin1(COPY_FOLDER) + u'/' +
                            QString::fromLatin1(EXAMPLE_FORM));
}

QString PrepareExampleCopy() {
    const QString strExamples = FindExamplesDirectory();
    if (strExamples.isEmpty()) {
        const QDir editorDir(GetEditorDirectory());
        AfxMessageBox(
            QString::fromLatin1(MSG_NO_EXAMPLES)
                .arg(QDir::cleanPath(editorDir.filePath(QString::fromLatin1(COPY_FOLDER))),
                     QDir::cleanPath(editorDir.filePath(ZARN_EXAMPLES_FROM_BINDIR)),
                     QString::fromLatin1(EXAMPLE_FORM)),
            QMessageBox::Ok, QMessageBox::Warning);
        return {};
    }
    const QDir examplesDir(strExamples);
    const QString strCopy = GetExampleCopyPath();
    const QString strCopyDir = QFileInfo(strCopy).absolutePath();
    QString strError;
    if (!QDir().mkpath(strCopyDir))
        return ReportCopyFailure(strCopyDir, QStringLiteral("cannot create the folder"));

    QByteArray example;
    if (!ReadFileBytes(examplesDir.filePath(QString::fromLatin1(EXAMPLE_FORM)), example, strError))
        return ReportCopyFailure(strCopyDir, strError);
    QByteArray copy;
    const bool bHasCopy = QFileInfo::exists(strCopy);
    if (bHasCopy && !ReadFileBytes(strCopy, copy, strError))
        return ReportCopyFailure(strCopyDir, strError);
    if (!bHasCopy) {
        if (!WriteWhole(strCopy, example, strError))
            return ReportCopyFailure(strCopyDir, strError);
    } else if (copy != example) {
        const QString strBackup = strCopy + QString::fromLatin1(BACKUP_SUFFIX);
        switch (AfxMessageBox(QString::fromLatin1(MSG_REPLACE_COPY).arg(strCopy, strBackup),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                              QMessageBox::Question)) {
        case QMessageBox::Yes:
            if (!WriteWhole(strBackup, copy, strError) || !WriteWhole(strCopy, example, strError))
                return ReportCopyFailure(strCopyDir, strError);
            break;
        case QMessageBox::No:
            break;
        default:
            return {};
        }
    }

    // The records database may hold forms the user inserted: an existing one is kept.
    const QString strDatabase = QDir(strCopyDir).filePath(QString::fromLatin1(EXAMPLE_DATABASE));
    if (!QFileInfo::exists(strDatabase) &&
        !CopyWhole(examplesDir.filePath(QString::fromLatin1(EXAMPLE_DATABASE)), strDatabase,
                   strError))
        return ReportCopyFailure(strCopyDir, strError);
    return strCopy;
}
