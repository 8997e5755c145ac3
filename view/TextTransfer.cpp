// Conversions between the buffer's bytes and Qt's characters for text that enters or leaves.
#include "view/TextTransfer.h"

#include "view/Cp1252.h"

QString BytesToText(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* pOut = text.data();
    // Every character of the code page lies in the basic plane: one UTF-16 unit per byte.
    for (const char ch : bytes)
        *pOut++ = QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(ch))));
    return text;
}

ConvertedText TextToBytes(const QString& text) {
    ConvertedText converted;
    converted.bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(static_cast<char16_t>(cp), text.at(i + 1).unicode());
            ++i;
        }
        const std::optional<unsigned char> byte = UnicodeToCp1252(cp);
        if (!byte) {
            converted.cpMissing = cp;
            return converted;
        }
        converted.bytes.push_back(static_cast<char>(*byte));
    }
    return converted;
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

ConvertedText IncomingTextToBytes(const QString& text) {
    ConvertedText converted = TextToBytes(text);
    if (converted.IsComplete())
        converted.bytes = LoneLfToCrLf(converted.bytes);
    return converted;
}

QString MissingCharacterMessage(const QString& strAction, char32_t cpMissing) {
    QString strCharacter =
        QStringLiteral("U+%1").arg(static_cast<uint>(cpMissing), 4, 16, QChar(u'0')).toUpper();
    // The character itself only where it shows as something.
    if (QChar::isPrint(cpMissing))
        strCharacter += QStringLiteral(" (%1)").arg(QString::fromUcs4(&cpMissing, 1));
    return QStringLiteral("Cannot %1 %2: not in the document's encoding, Windows-1252.")
        .arg(strAction, strCharacter);
}
