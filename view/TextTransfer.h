// The one place where text crosses between the buffer's bytes and Qt's characters: the
// clipboard, drag data, typed or composed input, and the Find and Replace texts. Document bytes
// are Windows-1252 text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <QString>

// Characters made document bytes. A character that has no byte stops the conversion: it is
// named in cpMissing, and the bytes are then not to be used, since a text is taken whole or not
// at all.
struct ConvertedText {
    std::string bytes;
    std::optional<char32_t> cpMissing;

    bool IsComplete() const { return !cpMissing; }
};

// Bytes leaving the editor: each byte as its Windows-1252 character.
QString BytesToText(std::string_view bytes);

// Characters entering the editor: each as its Windows-1252 byte.
ConvertedText TextToBytes(const QString& text);

// Every line feed that does not follow a carriage return becomes CR LF, so that text from any
// Linux program keeps its lines in the buffer; CR LF and a lone CR stay as they are.
std::string LoneLfToCrLf(std::string_view bytes);

// Clipboard or dropped text as the bytes that enter the buffer: both of the above.
ConvertedText IncomingTextToBytes(const QString& text);

// What the user is told when a character has no byte: "Cannot <strAction> U+2192 (→): ...",
// strAction being for instance "type" or "paste".
QString MissingCharacterMessage(const QString& strAction, char32_t cpMissing);
