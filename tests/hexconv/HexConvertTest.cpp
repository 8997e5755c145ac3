// The conversion into "%02xx " groups, on hand-picked and on random texts.
#include "hexconv/HexConvert.h"

#include <iomanip>
#include <random>
#include <sstream>
#include <tuple>
#include <vector>

#include <QString>

#include <gtest/gtest.h>

namespace {

// The byte codes as their groups: {0x61, 0x62} as "61x 62x ".
std::string Groups(const std::vector<unsigned>& codes) {
    std::ostringstream groups;
    for (const unsigned code : codes)
        groups << std::hex << std::setw(2) << std::setfill('0') << code << "x ";
    return groups.str();
}

// Latin-1 gives its byte, a line break CR LF, a lone CR itself; later characters their UTF-8
// bytes, unpaired surrogates U+FFFD's. Only whole characters go in up to the limit.
TEST(HexConvert, GivesTwoLowerCaseDigitsAnXAndABlankPerByteCode) {
    const std::u16string a(1023, u'a');
    const std::tuple<std::u16string, size_t, std::vector<unsigned>> cases[] = {
        {u"Hi!", HEX_MAX_CODES, {0x48, 0x69, 0x21}},
        {u"Z\t\x7f", HEX_MAX_CODES, {0x5a, 0x09, 0x7f}},
        {std::u16string(u"a\0b", 3), HEX_MAX_CODES, {0x61, 0x00, 0x62}},
        {u"a\r\nb", HEX_MAX_CODES, {0x61, 0x0d, 0x0a, 0x62}},
        {u"\r\r\n", HEX_MAX_CODES, {0x0d, 0x0d, 0x0a}},
        {u"\n\r", HEX_MAX_CODES, {0x0d, 0x0a, 0x0d}},
        {u"\u0100", HEX_MAX_CODES, {0xc4, 0x80}},
        {u"\u07ff", HEX_MAX_CODES, {0xdf, 0xbf}},
        {u"\u0800", HEX_MAX_CODES, {0xe0, 0xa0, 0x80}},
        {u"a\u20acb", HEX_MAX_CODES, {0x61, 0xe2, 0x82, 0xac, 0x62}},
        {u"\uffff", HEX_MAX_CODES, {0xef, 0xbf, 0xbf}},
        {u"\U0001F600", HEX_MAX_CODES, {0xf0, 0x9f, 0x98, 0x80}},
        {u"\U0010FFFF", HEX_MAX_CODES, {0xf4, 0x8f, 0xbf, 0xbf}},
        {{0xD83D}, HEX_MAX_CODES, {0xef, 0xbf, 0xbd}},
        {{0xDE00}, HEX_MAX_CODES, {0xef, 0xbf, 0xbd}},
        {{0xD83D, u'a'}, HEX_MAX_CODES, {0xef, 0xbf, 0xbd, 0x61}},
        {{0xDE00, 0xD83D}, HEX_MAX_CODES, {0xef, 0xbf, 0xbd, 0xef, 0xbf, 0xbd}},
        {{0xD83D, 0xD83D, 0xDE00}, HEX_MAX_CODES, {0xef, 0xbf, 0xbd, 0xf0, 0x9f, 0x98, 0x80}},
        {a.substr(2) + u"\u20ac", HEX_MAX_CODES, std::vector<unsigned>(1021, 0x61)},
        {a.substr(3) + u"\U0001F600", HEX_MAX_CODES, std::vector<unsigned>(1020, 0x61)},
        {u"abc", 2, {0x61, 0x62}},
        {u"abc", 0, {}}};
    for (const auto& [text, nMax, codes] : cases)
        EXPECT_EQ(ConvertToHexGroups(text, nMax), Groups(codes)) << Groups(codes).substr(0, 40);
    for (char16_t c = 0; c <= 0xFF; ++c)
        EXPECT_EQ(
            ConvertToHexGroups(std::u16string_view(&c, 1)),
            Groups(c == u'\n' ? std::vector<unsigned>{0x0d, 0x0a} : std::vector<unsigned>{c}));
}

// A character as UTF-16 with its codes: its byte up to 0xFF, else Qt's UTF-8 for it.
std::pair<std::u16string, std::vector<unsigned>> Encoded(char32_t ch) {
    const QString str = QString::fromUcs4(&ch, 1);
    std::vector<unsigned> codes;
    for (const char c : ch <= 0xFF ? QByteArray(1, char(ch)) : str.toUtf8())
        codes.push_back(static_cast<unsigned char>(c));
    return {str.toStdU16String(), codes};
}

// Random texts within random limits; the prefix that the dialog reads converts the same.
TEST(HexConvert, RandomTextsMatchTheirCharactersBytesWithinTheLimit) {
    static const std::pair<char32_t, char32_t> kRanges[] = {
        {0x00, 0x7F}, {0x80, 0xFF}, {0x100, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    std::mt19937 rng(20240611);
    auto pick = [&rng](uint32_t lo, uint32_t hi) {
        return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
    };
    for (int nRound = 0; nRound < 400; ++nRound) {
        const size_t nMax = nRound % 4 == 0 ? pick(0, 60) : HEX_MAX_CODES;
        std::u16string strText;
        std::vector<unsigned> codes;
        bool bFull = false;
        for (uint32_t nPieces = pick(0, 1200); nPieces > 0; --nPieces) {
            const uint32_t nKind = pick(0, 6);
            std::pair<std::u16string, std::vector<unsigned>> piece;
            if (nKind == 0)
                piece = {pick(0, 1) ? u"\n" : u"\r\n", {0x0d, 0x0a}};
            else if (nKind == 1) // pairs with nothing before it
                piece = {std::u16string(1, char16_t(pick(0xDC00, 0xDFFF))), {0xef, 0xbf, 0xbd}};
            else if (const char32_t c = pick(kRanges[nKind - 2].first, kRanges[nKind - 2].second);
                     c != '\n' && c != '\r') // line breaks come as whole pieces
                piece = Encoded(c);
            strText += piece.first;
            bFull = bFull || codes.size() + piece.second.size() > nMax;
            if (!bFull)
                codes.insert(codes.end(), piece.second.begin(), piece.second.end());
        }
        const std::string strHex = ConvertToHexGroups(strText, nMax);
        ASSERT_EQ(strHex, Groups(codes)) << "round " << nRound;
        ASSERT_EQ(ConvertToHexGroups(std::u16string_view(strText).substr(0, nMax + 1), nMax),
                  strHex)
            << "round " << nRound;
    }
}

} // namespace
