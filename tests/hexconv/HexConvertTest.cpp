// The conversion into "%02xx " groups: the dialog's examples, line breaks, high and wide
// characters, unpaired surrogates and the 1023-code limit.
#include "hexconv/HexConvert.h"

#include <cstdio>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

#include <QString>

#include <gtest/gtest.h>

namespace {

// "61 62" as the groups "61x 62x ".
std::string Groups(const std::string& codes) {
    std::istringstream in(codes);
    std::string groups;
    for (std::string code; in >> code;)
        groups += code + "x ";
    return groups;
}

// nTimes the code a, then `more`.
std::string Times(size_t nTimes, const std::string& more = {}) {
    std::string codes;
    for (size_t i = 0; i < nTimes; ++i)
        codes += "61 ";
    return codes + more;
}

TEST(HexConvert, GivesTwoLowerCaseDigitsAnXAndABlankPerByteCode) {
    const std::u16string a(1023, u'a');
    const std::tuple<std::u16string, size_t, std::string> cases[] = {
        {u"A", HEX_MAX_CODES, "41"},
        {u"Hi!", HEX_MAX_CODES, "48 69 21"},
        {u" ", HEX_MAX_CODES, "20"},
        {u"Z\t\x7f", HEX_MAX_CODES, "5a 09 7f"},
        {u"", HEX_MAX_CODES, ""},
        {std::u16string(u"a\0b", 3), HEX_MAX_CODES, "61 00 62"},
        // A line break converts as CR LF; a carriage return that does not start one is just
        // a control character.
        {u"\n", HEX_MAX_CODES, "0d 0a"},
        {u"a\nb", HEX_MAX_CODES, "61 0d 0a 62"},
        {u"a\r\nb", HEX_MAX_CODES, "61 0d 0a 62"},
        {u"\n\n", HEX_MAX_CODES, "0d 0a 0d 0a"},
        {u"\r", HEX_MAX_CODES, "0d"},
        {u"\r\r\n", HEX_MAX_CODES, "0d 0d 0a"},
        {u"\n\r", HEX_MAX_CODES, "0d 0a 0d"},
        // Latin-1 characters give their byte, later ones their UTF-8 bytes, and unpaired
        // surrogates those of the replacement character.
        {u"\u0080\u00a0\u00e9\u00ff", HEX_MAX_CODES, "80 a0 e9 ff"},
        {u"\u0100", HEX_MAX_CODES, "c4 80"},
        {u"\u07ff", HEX_MAX_CODES, "df bf"},
        {u"\u0800", HEX_MAX_CODES, "e0 a0 80"},
        {u"a\u20acb", HEX_MAX_CODES, "61 e2 82 ac 62"},
        {u"\uffff", HEX_MAX_CODES, "ef bf bf"},
        {u"\U0001F600", HEX_MAX_CODES, "f0 9f 98 80"},
        {u"\U0010FFFF", HEX_MAX_CODES, "f4 8f bf bf"},
        {{0xD83D}, HEX_MAX_CODES, "ef bf bd"},
        {{0xDE00}, HEX_MAX_CODES, "ef bf bd"},
        {{0xD83D, u'a'}, HEX_MAX_CODES, "ef bf bd 61"},
        {{0xDE00, 0xD83D}, HEX_MAX_CODES, "ef bf bd ef bf bd"},
        {{0xD83D, 0xD83D, 0xDE00}, HEX_MAX_CODES, "ef bf bd f0 9f 98 80"},
        // Whole characters up to the limit: a line break counts as two codes and is never cut
        // in half, nor are the UTF-8 bytes of one character.
        {a, HEX_MAX_CODES, Times(1023)},
        {std::u16string(5000, u'a'), HEX_MAX_CODES, Times(1023)},
        {a.substr(2) + u"\nb", HEX_MAX_CODES, Times(1021, "0d 0a")},
        {a.substr(1) + u"\nb", HEX_MAX_CODES, Times(1022)},
        {a.substr(3) + u"\u20ac", HEX_MAX_CODES, Times(1020, "e2 82 ac")},
        {a.substr(2) + u"\u20ac", HEX_MAX_CODES, Times(1021)},
        {a.substr(3) + u"\U0001F600", HEX_MAX_CODES, Times(1020)},
        {u"abc", 2, "61 62"},
        {u"abc", 0, ""},
    };
    for (const auto& [text, nMax, codes] : cases) {
        SCOPED_TRACE(codes.substr(0, 40));
        EXPECT_EQ(ConvertToHexGroups(text, nMax), Groups(codes));
    }
    for (char16_t c = 0; c <= 0xFF; ++c) {
        char szExpected[8];
        std::snprintf(szExpected, sizeof szExpected, "%02xx ", unsigned(c));
        EXPECT_EQ(ConvertToHexGroups(std::u16string_view(&c, 1)),
                  c == u'\n' ? "0dx 0ax " : szExpected)
            << unsigned(c);
    }
}

// One character of a random text with the byte codes it must give.
struct Piece {
    std::u16string strUnits;
    std::vector<unsigned char> arrBytes;
};

Piece RandomPiece(std::mt19937& rng) {
    auto pick = [&rng](char32_t lo, char32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };
    auto encoded = [](char32_t ch) {
        const QString str = QString::fromUcs4(&ch, 1);
        const QByteArray utf8 = str.toUtf8();
        return Piece{str.toStdU16String(), {utf8.begin(), utf8.end()}};
    };
    switch (pick(0, 7)) {
    case 0:
        return {u"\n", {0x0D, 0x0A}};
    case 1:
        return {u"\r\n", {0x0D, 0x0A}};
    case 2: {
        const char16_t c = char16_t(pick(0x80, 0xFF));
        return {std::u16string(1, c), {static_cast<unsigned char>(c)}};
    }
    case 3: {
        const char32_t ch = pick(0x100, 0xFFFF - 0x800);
        return encoded(ch >= 0xD800 ? ch + 0x800 : ch); // skips the surrogates
    }
    case 4:
        return encoded(pick(0x10000, 0x10FFFF));
    case 5: // a low surrogate never pairs with what precedes a whole piece
        return {std::u16string(1, char16_t(pick(0xDC00, 0xDFFF))), {0xEF, 0xBF, 0xBD}};
    default: {
        char16_t c = char16_t(pick(0x00, 0x7F));
        c = c == u'\n' || c == u'\r' ? u'.' : c;
        return {std::u16string(1, c), {static_cast<unsigned char>(c)}};
    }
    }
}

TEST(HexConvert, RandomTextsMatchTheirCharactersBytesWithinTheLimit) {
    std::mt19937 rng(20240611);
    for (int nRound = 0; nRound < 400; ++nRound) {
        const size_t nMax =
            nRound % 4 == 0 ? std::uniform_int_distribution<size_t>(0, 60)(rng) : HEX_MAX_CODES;
        const size_t nPieces = std::uniform_int_distribution<size_t>(0, 1200)(rng);
        std::u16string strText;
        std::string strExpected;
        size_t nCodes = 0;
        bool bFull = false;
        for (size_t i = 0; i < nPieces; ++i) {
            const Piece piece = RandomPiece(rng);
            strText += piece.strUnits;
            bFull = bFull || nCodes + piece.arrBytes.size() > nMax;
            for (size_t k = 0; !bFull && k < piece.arrBytes.size(); ++k, ++nCodes) {
                char szGroup[8];
                std::snprintf(szGroup, sizeof szGroup, "%02xx ", unsigned(piece.arrBytes[k]));
                strExpected += szGroup;
            }
        }
        const std::string strHex = ConvertToHexGroups(strText, nMax);
        ASSERT_EQ(strHex, strExpected) << "round " << nRound;
        ASSERT_LE(strHex.size(), 4 * nMax);
        // The short prefix that the dialog reads converts like the whole text.
        ASSERT_EQ(ConvertToHexGroups(std::u16string_view(strText).substr(0, nMax + 1), nMax),
                  strHex)
            << "round " << nRound;
    }
}

} // namespace
