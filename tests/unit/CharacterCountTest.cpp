#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/CharacterCount.h"

namespace oruvan {
namespace {

struct CountCase {
    const char* name;
    std::string text;
    std::int64_t characters;
};

const CountCase kCountCases[] = {
    {"ASCII", "abc def", 7},
    {"breaks are not counted", "ab\r\ncd\re\nf", 6},
    {"kanji and kana", "\xe6\xbc\xa2\xe5\xad\x97\xe3\x81\x8b\xe3\x81\xaa", 4},
    {"combining marks on a letter", "xa\xcc\x81\xcc\x82y", 3},
    {"combining mark on a first letter", "a\xcc\x81", 1},
    {"combining mark after a break", "a\n\xcc\x81", 2},
    {"voiced mark on kana", "\xe3\x81\x8b\xe3\x82\x99", 1},
    {"emoji with a skin tone", "a\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd" "b", 3},
    {"family joined by ZWJ",
     "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7", 1},
    {"three regional indicators", "\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5\xf0\x9f\x87\xaf", 2},
    {"variation selector", "\xe2\x9d\xa4\xef\xb8\x8f!", 2},
    {"prepended mark takes the ASCII after it", "x\xd8\x80" "12", 3},
    {"prepended mark before a mark", "\xd8\x80" "a\xcc\x81" "b", 2},
    {"hangul jamo syllable", "\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8", 1},
    {"bytes that are not UTF-8", "a\xff\xfe\x81", 4},
    {"raw-byte code point", "\xf4\x8f\xb8\x81z", 2},
    {"empty", "", 0},
};

TEST(CharacterCountTest, CountsClusters) {
    for (const CountCase& c : kCountCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountCharacters(c.text), c.characters);
    }
}

// The ASCII shortcut must agree with counting the pieces one cluster at a time: text glued from pieces
// whose clusters are known, where ASCII meets marks, prepended characters, joiners and indicators.
TEST(CharacterCountTest, GluedPiecesCountAsTheirClusters) {
    struct Piece {
        std::string text;
        int clusters;
    };
    const std::vector<Piece> pieces = {
        {"a", 1},
        {"\t", 1},
        {"\xe6\xbc\xa2", 1},
        {"e\xcc\x81", 1},
        {"\xd8\x80" "b", 1},
        {"\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd", 1},
        {"\xf0\x9f\x87\xaf\xf0\x9f\x87\xb5", 1},
        {"\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9", 1},
        {"\xe3\x81\x8b\xe3\x82\x99", 1},
        {"\n", 0},
        {"\r\n", 0},
    };
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        std::int64_t expected = 0;
        const int n = static_cast<int>(random() % 12);
        for (int i = 0; i < n; ++i) {
            const Piece& p = pieces[random() % pieces.size()];
            // A flag after a flag would pair their indicators differently; keep them apart.
            if (p.text.rfind("\xf0\x9f\x87", 0) == 0 && text.size() >= 4 &&
                text.compare(text.size() - 4, 3, "\xf0\x9f\x87") == 0)
                continue;
            text += p.text;
            expected += p.clusters;
        }
        SCOPED_TRACE(text);
        ASSERT_EQ(CountCharacters(text), expected);
    }
}

// An edit between two steady boundaries changes the count of the text between them alone, whatever
// joins around the edit: the window an edit is recounted in.
TEST(CharacterCountTest, EditsCountedBetweenSteadyBoundaries) {
    const std::vector<std::string> pieces = {"a", "b", " ", "\xe3\x81\x8b", "\xe6\xbc\xa2", "a", " ", "\t", "\xe6\xbc\xa2", "\xcc\x81", "\xd8\x80", "\xe2\x80\x8d",
                                             "\xf0\x9f\x91\x8d", "\xf0\x9f\x8f\xbd", "\xf0\x9f\x87\xaf", "\xe3\x82\x99",
                                             "\xe1\x84\x80", "\xe1\x85\xa1", "\xff"};
    std::mt19937 random(5);
    const auto some = [&](int most) {
        std::string text;
        for (int n = static_cast<int>(random() % (most + 1)); n > 0; --n) text += pieces[random() % pieces.size()];
        return text;
    };
    int found = 0;
    for (int round = 0; round < 5000; ++round) {
        const std::string before = some(10), old = some(3), typed = some(3), after = some(10);
        const std::size_t a = SteadyBoundaryBefore(before, before.size());
        const std::size_t b = SteadyBoundaryAfter(after, 0);
        if (a == std::string::npos || b == std::string::npos) continue;
        ++found;
        const std::string head = before.substr(a), tail = after.substr(0, b);
        SCOPED_TRACE(before + "|" + old + "|" + typed + "|" + after);
        ASSERT_EQ(CountCharacters(before + typed + after) - CountCharacters(before + old + after),
                  CountCharacters(head + typed + tail) - CountCharacters(head + old + tail));
    }
    EXPECT_GT(found, 500);
    EXPECT_EQ(SteadyBoundaryBefore("ab", 2), 1u);
    EXPECT_EQ(SteadyBoundaryBefore("a\xcc\x81" "b", 4), std::string::npos);
    EXPECT_EQ(SteadyBoundaryAfter("\xe6\xbc\xa2\xe5\xad\x97", 0), 3u);
}

// The shortcut for common Japanese characters agrees with the Unicode tables on every code point.
TEST(CharacterCountTest, CommonSteadyCharactersAreSteady) {
    int steady = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (!IsCommonSteadyCharacter(c)) continue;
        ++steady;
        std::string text = "a";
        text += static_cast<char>(0xE0 | c >> 12);
        text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
        ASSERT_NE(SteadyBoundaryAfter(text + "b", 0), std::string::npos) << std::hex << unsigned(c);
        ASSERT_EQ(SteadyBoundaryBefore(text + "b", text.size() + 1), text.size()) << std::hex << unsigned(c);
    }
    EXPECT_GT(steady, 20000);
    EXPECT_EQ(CountCharacters("\xe3\x81\x8b\xe3\x81\x8bx\xe3\x82\x99"), 3);  // か, か and x with a voiced mark
}

TEST(CharacterCountTest, SheetsOfTwentyRowsRoundUp) {
    struct SheetCase {
        std::vector<int> lines;
        std::int64_t rows;
        std::int64_t sheetTenths;
    };
    const SheetCase cases[] = {
        {{}, 0, 0},
        {{0}, 1, 1},          // an empty line fills a row: 0.05 sheets rounds up to 0.1
        {{20}, 1, 1},
        {{21}, 2, 1},
        {{400}, 20, 10},
        {{401}, 21, 11},
        {{0, 0, 19, 40}, 5, 3},
    };
    for (const SheetCase& c : cases) {
        TextCount count;
        for (int n : c.lines) count.addLine(n);
        EXPECT_EQ(count.rows, c.rows);
        EXPECT_EQ(count.sheetTenths(), c.sheetTenths);
    }
    const TextCount lines = CountLines("abc\r\n\n" + std::string(25, 'x') + "\n");
    EXPECT_EQ(lines.characters, 28);
    EXPECT_EQ(lines.rows, 4);
}

}  // namespace
}  // namespace oruvan
