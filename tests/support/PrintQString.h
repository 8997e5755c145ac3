// Lets GoogleTest print the QStrings that a failed comparison shows.
#pragma once

#include <ostream>

#include <QString>

inline void PrintTo(const QString& str, std::ostream* pOut) {
    *pOut << '"' << str.toStdString() << '"';
}
