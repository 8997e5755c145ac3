// Conversions between the buffer's bytes and Qt's characters for text that enters or leaves.
#include "view/TextTransfer.h"

#include <QList>
#include <QStringView>

QString BytesToText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string TextToBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const char32_t cp : QStringView(text).toUcs4()) {
        if (cp <= 0xFF) {
            bytes.push_back(static_cast<char>(cp));
            continue;
        }
        const QByteArray utf8 = QString::fromUcs4(&cp, 1).toUtf8();
        bytes.append(utf8.constData(), static_cast<size_t>(utf8.size()));
    }
    return bytes;
}

std::string LoneLfToCrLf(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            out.push_back('\r');
        out.push_back(bytes[i]);
    }
    return out;
}

std::string IncomingTextToBytes(const QString& text) {
    return LoneLfToCrLf(TextToBytes(text));
}
