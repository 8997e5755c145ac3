// Where the tool commands find Grimlet, and where Load from MAIN.IDX puts the forms it writes.
#include "toolbridge/GrimletPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr char GRIMLET_PROGRAM_NAME[] = "grimlet";
constexpr char RECORD_FILE_SUFFIX[] = ".zarn";
constexpr char MSG_NO_LOAD_DIRECTORY[] = "Cannot create the folder %1 for loaded forms";

QString& EditorDirectoryOverride() {
    static QString s_strDir;
    return s_strDir;
}

bool IsWritableDirectory(const QString& strDir) {
    const QFileInfo info(strDir);
    return info.isDir() && info.isWritable();
}

// An installed editor finds its private library directory beside its own: the directory
// then belongs to the system's programs (for the superuser too), not to the user's forms.
bool IsInstalledProgramDirectory(const QString& strDir) {
    return QFileInfo(QDir(strDir).filePath(QString::fromLatin1(ZARN_PRIVATE_LIBDIR_FROM_BINDIR)))
        .isDir();
}

} // namespace

QString GetEditorDirectory() {
    const QString& strOverride = EditorDirectoryOverride();
    return strOverride.isEmpty() ? QCoreApplication::applicationDirPath() : strOverride;
}

void SetEditorDirectory(const QString& strDir) {
    EditorDirectoryOverride() = strDir;
}

QString GetGrimletProgram() {
    const QString strName = QString::fromLatin1(GRIMLET_PROGRAM_NAME);
    const QString strBeside = QDir(GetEditorDirectory()).filePath(strName);
    const QFileInfo beside(strBeside);
    if (beside.isFile() && beside.isExecutable())
        return strBeside;
    const QString strOnPath = QStandardPaths::findExecutable(strName);
    return strOnPath.isEmpty() ? strBeside : strOnPath;
}

QString GetLoadDirectory(QString& strError) {
    const QString strEditorDir = GetEditorDirectory();
    if (IsWritableDirectory(strEditorDir) && !IsInstalledProgramDirectory(strEditorDir))
        return strEditorDir;
    const QString strDataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!strDataDir.isEmpty() && QDir().mkpath(strDataDir) && IsWritableDirectory(strDataDir))
        return strDataDir;
    strError = QString::fromLatin1(MSG_NO_LOAD_DIRECTORY).arg(strDataDir);
    return {};
}

QString RecordFileName(const QString& strRecord) {
    QString strName;
    strName.reserve(strRecord.size() + 8);
    for (const QChar ch : strRecord) {
        const char16_t c = ch.unicode();
        if (c == u'%' || c == u'/' || c < 0x20 || c == 0x7f)
            strName += u'%' + QString::number(c, 16).toUpper().rightJustified(2, u'0');
        else
            strName += ch;
    }
    return strName + QString::fromLatin1(RECORD_FILE_SUFFIX);
}
