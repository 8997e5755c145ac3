// The one place where text crosses between the buffer's bytes and Qt's characters: the
// clipboard, drag data and typed or composed input.
#pragma once

#include <string>
#include <string_view>

#include <QString>

// Bytes leaving the editor: each byte is the character of the same code (Latin-1), the way the
// view shows it.
QString BytesToText(std::string_view bytes);

// Characters entering the editor: U+0000 to U+00FF as their byte, anything beyond as its UTF-8
// bytes.
std::string TextToBytes(const QString& text);

// Every line feed that does not follow a carriage return becomes CR LF, so that text from any
// Linux program keeps its lines in the buffer; CR LF and a lone CR stay as they are.
std::string LoneLfToCrLf(std::string_view bytes);

// Clipboard or dropped text as the bytes that enter the buffer: both of the above.
std::string IncomingTextToBytes(const QString& text);
