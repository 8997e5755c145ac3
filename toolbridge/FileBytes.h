// Whole-file reads that keep the reason of a failure, for the forms the commands compare.
#pragma once

#include <QByteArray>
#include <QString>

// The whole file into bytes; false with the system's reason in strError when it cannot be read.
bool ReadFileBytes(const QString& strPath, QByteArray& bytes, QString& strError);
