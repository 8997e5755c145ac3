// The word tables and lookups, checked against plain table scans and the number syntax.
#include "LanguageTestSupport.h"
#include "language/ZarnWords.h"

#include <cstring>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct CTable {
    const char* const* ppszWords;
    ZarnWordTable nTable;
    bool (*pfnIs)(const char*, int);
};

const CTable s_aTables[] = {
    {s_apszValueWords, WORDTABLE_VALUE, IsValueWord},
    {s_apszStructureAtoms, WORDTABLE_STRUCTURE, IsStructureAtom},
    {s_apszAttributeAtoms, WORDTABLE_ATTRIBUTE, IsAttributeAtom},
};

int Length(const std::string& word) {
    return static_cast<int>(word.size());
}

std::vector<std::string> AllEntries() {
    std::vector<std::string> words;
    for (const CTable& table : s_aTables) {
        for (const char* const* pp = table.ppszWords; *pp; ++pp)
            words.emplace_back(*pp);
    }
    return words;
}

// Every lookup gives the answer of the plain front-to-back scan of its table.
void ExpectLookupsAgreeWithScan(const std::string& word) {
    ZarnWordTable nExpected = WORDTABLE_NONE;
    for (const CTable& table : s_aTables) {
        const bool bInTable = ScanTable(table.ppszWords, word.data(), Length(word));
        EXPECT_EQ(table.pfnIs(word.data(), Length(word)), bInTable) << '"' << word << '"';
        nExpected = bInTable ? table.nTable : nExpected;
    }
    EXPECT_EQ(FindZarnWord(word.data(), Length(word)), nExpected) << '"' << word << '"';
}

TEST(ZarnWords, EveryEntryIsFoundOnceInItsOwnTableOnly) {
    const std::vector<std::string> words = AllEntries();
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), words.size());
    for (const CTable& table : s_aTables) {
        for (const char* const* pp = table.ppszWords; *pp; ++pp) {
            // The word is followed by more characters: only the length given counts.
            const std::string word(*pp), text = word + "_more";
            EXPECT_EQ(FindZarnWord(text.data(), Length(word)), table.nTable) << word;
            for (const CTable& other : s_aTables)
                EXPECT_EQ(other.pfnIs(text.data(), Length(word)), &other == &table) << word;
            EXPECT_FALSE(IsZarnNumber(text.data(), Length(word))) << word;
        }
    }
}

TEST(ZarnWords, NearMissesAndEmptyOrInvalidTextsAreNoWords) {
    std::istringstream misses("Yes|YEs|yES|True|No|nO|DSS_LIST|Trigger|mat_widths|mat_widt|"
                              "at_width|Mat_width|MAT_WIDTH|mat_width | mat_width|mat-width|"
                              "man_start_objects|man_start_objec|uni_sync_skip_|"
                              "mat_bool_signoff_men|n||mat_art_hint_select_placeholderx");
    int nMisses = 0;
    for (std::string word; std::getline(misses, word, '|'); ++nMisses)
        EXPECT_EQ(FindZarnWord(word.data(), Length(word)), WORDTABLE_NONE) << word;
    EXPECT_EQ(nMisses, 23);
    // Cut, extended and case-changed entries, judged against the plain scan: changing every
    // letter of "yes" gives "YES", which is in the table too.
    for (const std::string& entry : AllEntries()) {
        ExpectLookupsAgreeWithScan(entry.substr(1));
        ExpectLookupsAgreeWithScan(entry.substr(0, entry.size() - 1));
        ExpectLookupsAgreeWithScan(entry + "s");
        ExpectLookupsAgreeWithScan("_" + entry);
        for (size_t i = 0; i < entry.size(); ++i) {
            std::string flipped = entry;
            flipped[i] = static_cast<char>(flipped[i] ^ 0x20);
            ExpectLookupsAgreeWithScan(flipped);
        }
    }
    EXPECT_TRUE(IsValueWord("YES", 3));
    EXPECT_EQ(FindZarnWord(nullptr, 0), WORDTABLE_NONE);
    EXPECT_EQ(FindZarnWord(nullptr, 3), WORDTABLE_NONE);
    EXPECT_EQ(FindZarnWord("yes", -3), WORDTABLE_NONE);
    EXPECT_FALSE(IsValueWord("yes", 0));
    EXPECT_FALSE(IsAttributeAtom("mat_url", 6));
    EXPECT_TRUE(IsAttributeAtom("mat_url", 7));
}

TEST(ZarnWords, EntriesWithAnyOneByteReplacedAreNotFound) {
    const std::vector<std::string> entries = AllEntries();
    const std::set<std::string> known(entries.begin(), entries.end());
    for (const std::string& entry : entries) {
        for (size_t i = 0; i < entry.size(); ++i) {
            std::string word = entry;
            for (int c = 0; c < 256; ++c) {
                word[i] = static_cast<char>(c);
                const bool bKnown = word == entry || known.count(word);
                ASSERT_TRUE(bKnown || FindZarnWord(word.data(), Length(word)) == WORDTABLE_NONE)
                    << word;
            }
        }
    }
}

TEST(ZarnWords, LookupsAgreeWithAPlainScanOnRandomWords) {
    const std::vector<std::string> entries = AllEntries();
    const std::string alphabet = "abcdefghijklmnopqrstuvwxyz_ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.";
    std::mt19937 rng(20240611);
    auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    for (int nCase = 0; nCase < 60000; ++nCase) {
        std::string word = entries[pick(entries.size())];
        switch (pick(6)) {
        case 0: // a random word of any length the tables have, and beyond
            word.assign(pick(34), 'a');
            for (char& c : word)
                c = alphabet[pick(alphabet.size())];
            break;
        case 1:
            word[pick(word.size())] = alphabet[pick(alphabet.size())];
            break;
        case 2:
            word.insert(pick(word.size() + 1), 1, alphabet[pick(alphabet.size())]);
            break;
        case 3:
            word.erase(pick(word.size()), 1);
            break;
        case 4:
            word[pick(word.size())] = static_cast<char>(pick(256));
            break;
        default: // the entry itself
            break;
        }
        ExpectLookupsAgreeWithScan(word);
    }
}

TEST(ZarnWords, NumberTestAgreesWithTheSyntax) {
    for (const char* psz :
         {"100", "1.5e3", "1e", "1..2", "ffx", "0FFx", "00x", "1e+5", "9-", "0", "1ex"})
        EXPECT_TRUE(IsZarnNumber(psz, static_cast<int>(std::strlen(psz)))) << psz;
    for (const char* psz : {"0x1F", "1x", "gx", "0FFX", "x", "e1", "e5", "+1", ".5", "1_0", "1ex0",
                            "1eX", "0FFgx", "12ab"})
        EXPECT_FALSE(IsZarnNumber(psz, static_cast<int>(std::strlen(psz)))) << psz;
    // Only the given length counts.
    EXPECT_TRUE(IsZarnNumber("12abc", 2));
    EXPECT_FALSE(IsZarnNumber("12", 0));
    EXPECT_FALSE(IsZarnNumber("12", -1));
    EXPECT_FALSE(IsZarnNumber(nullptr, 0));

    // Random words against the syntax written as a regular expression: the hexadecimal form
    // needs at least two digits before its "x", and no decimal number can end in "x". Long
    // words too, mostly of hexadecimal or of decimal digits, so that long numbers come up.
    static const std::regex number("[0-9A-Fa-f]{2,}x|[0-9][0-9+.eE-]*");
    const std::string alphabet = "0123456789abcdefABCDEFxXeE+-._g";
    const std::string aDigits[] = {"0123456789abcdefABCDEF", "0123456789.eE+-"};
    std::mt19937 rng(77);
    for (int nCase = 0; nCase < 40000; ++nCase) {
        const bool bLong = nCase % 2 == 1;
        const std::string& digits = aDigits[rng() % 2];
        std::string word(std::uniform_int_distribution<size_t>(1, bLong ? 60 : 7)(rng), '0');
        for (char& c : word) {
            const std::string& from = bLong && rng() % 32 != 0 ? digits : alphabet;
            c = from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(rng)];
        }
        if (bLong && rng() % 2 == 0)
            word.back() = 'x';
        EXPECT_EQ(IsZarnNumber(word.data(), Length(word)), std::regex_match(word, number)) << word;
    }
}

} // namespace
