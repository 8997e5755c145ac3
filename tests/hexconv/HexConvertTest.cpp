// The conversion into "%02xx " groups: the dialog's examples, line breaks, high and wide
// characters, unpaired surrogates and the 1023-code limit.
#include "hexconv/HexConvert.h"

#include <cstdio>
#include <random>
#include <vector>

#include <QString>

#include <gtest/gtest.h>

namespace {

std::string Repeat(std::string_view strGroup, size_t nTimes) {
    std::string str;
    for (size_t i = 0; i < nTimes; ++i)
        str += strGroup;
    return str;
}

std::u16string Units(std::initializer_list<char16_t> units) {
    return std::u16string(units);
}

TEST(HexConvert, GivesTwoLowerCaseDigitsAnXAndABlankPerCharacter) {
    EXPECT_EQ(ConvertToHexGroups(u"A"), "41x ");
    EXPECT_EQ(ConvertToHexGroups(u"Hi!"), "48x 69x 21x ");
    EXPECT_EQ(ConvertToHexGroups(u" "), "20x ");
    EXPECT_EQ(ConvertToHexGroups(u"Z\t\x7f"), "5ax 09x 7fx ");
    EXPECT_EQ(ConvertToHexGroups(u""), "");
}

TEST(HexConvert, NulIsConvertedLikeAnyOtherCharacter) {
    EXPECT_EQ(ConvertToHexGroups(std::u16string_view(u"a\0b", 3)), "61x 00x 62x ");
}

TEST(HexConvert, LineBreakConvertsAsCrLf) {
    EXPECT_EQ(ConvertToHexGroups(u"\n"), "0dx 0ax ");
    EXPECT_EQ(ConvertToHexGroups(u"a\nb"), "61x 0dx 0ax 62x ");
    EXPECT_EQ(ConvertToHexGroups(u"a\r\nb"), "61x 0dx 0ax 62x ");
    EXPECT_EQ(ConvertToHexGroups(u"\n\n"), "0dx 0ax 0dx 0ax ");
    // A carriage return that does not start a line break is just a control character.
    EXPECT_EQ(ConvertToHexGroups(u"\r"), "0dx ");
    EXPECT_EQ(ConvertToHexGroups(u"\r\r\n"), "0dx 0dx 0ax ");
    EXPECT_EQ(ConvertToHexGroups(u"\n\r"), "0dx 0ax 0dx ");
}

TEST(HexConvert, EveryLatin1CharacterGivesItsTwoDigitByteCode) {
    for (char16_t c = 0; c <= 0xFF; ++c) {
        if (c == u'\n')
            continue;
        char szExpected[8];
        std::snprintf(szExpected, sizeof szExpected, "%02xx ", unsigned(c));
        EXPECT_EQ(ConvertToHexGroups(std::u16string_view(&c, 1)), szExpected) << unsigned(c);
    }
    EXPECT_EQ(ConvertToHexGroups(u"\u0080\u00a0\u00e9\u00ff"), "80x a0x e9x ffx ");
}

TEST(HexConvert, CharactersBeyondLatin1GiveTheirUtf8Bytes) {
    EXPECT_EQ(ConvertToHexGroups(u"\u0100"), "c4x 80x ");
    EXPECT_EQ(ConvertToHexGroups(u"\u07ff"), "dfx bfx ");
    EXPECT_EQ(ConvertToHexGroups(u"\u0800"), "e0x a0x 80x ");
    EXPECT_EQ(ConvertToHexGroups(u"a\u20acb"), "61x e2x 82x acx 62x ");
    EXPECT_EQ(ConvertToHexGroups(u"\uffff"), "efx bfx bfx ");
    EXPECT_EQ(ConvertToHexGroups(u"\U0001F600"), "f0x 9fx 98x 80x ");
    EXPECT_EQ(ConvertToHexGroups(u"\U0010FFFF"), "f4x 8fx bfx bfx ");
}

TEST(HexConvert, UnpairedSurrogatesGiveTheReplacementCharacter) {
    const std::string strReplacement = "efx bfx bdx ";
    EXPECT_EQ(ConvertToHexGroups(Units({0xD83D})), strReplacement);
    EXPECT_EQ(ConvertToHexGroups(Units({0xDE00})), strReplacement);
    EXPECT_EQ(ConvertToHexGroups(Units({0xD83D, u'a'})), strReplacement + "61x ");
    EXPECT_EQ(ConvertToHexGroups(Units({0xDE00, 0xD83D})), strReplacement + strReplacement);
    EXPECT_EQ(ConvertToHexGroups(Units({0xD83D, 0xD83D, 0xDE00})),
              strReplacement + "f0x 9fx 98x 80x ");
}

TEST(HexConvert, ConvertsWholeCharactersUpTo1023Codes) {
    const std::string strFull = Repeat("61x ", 1023);
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1023, u'a')), strFull);
    EXPECT_EQ(ConvertToHexGroups(std::u16string(5000, u'a')), strFull);
    EXPECT_EQ(strFull.size(), 4092u);

    // A line break counts as two codes and is never cut in half.
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1021, u'a') + u"\nb"),
              Repeat("61x ", 1021) + "0dx 0ax ");
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1022, u'a') + u"\nb"), Repeat("61x ", 1022));

    // So are the UTF-8 bytes of one character.
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1020, u'a') + u"\u20ac"),
              Repeat("61x ", 1020) + "e2x 82x acx ");
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1021, u'a') + u"\u20ac"), Repeat("61x ", 1021));
    EXPECT_EQ(ConvertToHexGroups(std::u16string(1020, u'a') + u"\U0001F600"), Repeat("61x ", 1020));

    EXPECT_EQ(ConvertToHexGroups(u"abc", 2), "61x 62x ");
    EXPECT_EQ(ConvertToHexGroups(u"abc", 0), "");
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
        if (c == u'\n' || c == u'\r')
            c = u'.';
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
            if (bFull)
                continue;
            nCodes += piece.arrBytes.size();
            for (unsigned char byte : piece.arrBytes) {
                char szGroup[8];
                std::snprintf(szGroup, sizeof szGroup, "%02xx ", unsigned(byte));
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
