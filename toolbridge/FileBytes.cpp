// Whole-file reads that keep the reason of a failure.
#include "toolbridge/FileBytes.h"

#include <QFile>

bool ReadFileBytes(const QString& strPath, QByteArray& bytes, QString& strError) {
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        strError = file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        strError = file.errorString();
        return false;
    }
    return true;
}
