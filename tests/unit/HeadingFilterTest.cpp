#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "outline/HeadingFilter.h"
#include "platform/Cp932.h"

namespace oruvan {
namespace {

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

struct FilterCase {
    const char* name;
    std::string words;  // cp932
    std::string heading;
    bool matches;
    Ranges ranges;  // byte ranges highlighted
};

class HeadingFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(HeadingFilterTest, MatchesEveryWordAndMarksWhere) {
    const FilterCase& c = GetParam();
    const HeadingFilter filter(c.words);
    EXPECT_EQ(filter.matches(c.heading), c.matches);
    EXPECT_EQ(filter.matchRanges(c.heading), c.ranges);
    // The folded index finds the same heading among others that do not hold the words.
    const Index index{{"", 0}, {c.heading, 1}, {"\x81\x40", 2}};
    const std::vector<int> found = FoldedHeadings(index).match(filter);
    EXPECT_EQ(std::find(found.begin(), found.end(), 1) != found.end(), c.matches);
}

const FilterCase kFilterCases[] = {
    {"empty filter passes all", "", "Chapter", true, {}},
    {"blanks only are no words", " \t\x81\x40 ", "Chapter", true, {}},
    {"ascii case folded", "CHAP", "Chapter One", true, {{0, 4}}},
    {"every word needed", "one chap", "Chapter One", true, {{0, 4}, {8, 11}}},
    {"a missing word fails", "one two", "Chapter One", false, {}},
    {"full-width space separates",
     "ab\x81\x40"
     "cd",
     "cd and ab",
     true,
     {{0, 2}, {7, 9}}},
    {"tab separates", "ab\tcd", "abcd", true, {{0, 4}}},
    {"full-width latin folded",
     "\x82\x81\x82\x82",
     "\x82\x60\x82\x61\x82\x62",
     true,
     {{0, 4}}},                                           // ａｂ / ＡＢＣ
    {"width kept", "ab", "\x82\x60\x82\x61", false, {}},  // ＡＢ
    {"width kept the other way", "\x82\x81", "a", false, {}},
    {"kana kind kept", "\x82\xA0", "\x83\x41", false, {}},        // あ / ア
    {"greek folded", "\x83\xBF", "x\x83\x9F", true, {{1, 3}}},    // α / Α
    {"cyrillic folded", "\x84\x80", "\x84\x4F", true, {{0, 2}}},  // о / О
    {"no match on a trail byte", "@", "\x83\x40", false, {}},     // ァ ends in 0x40
    {"no backslash in a kanji", "\\", "\x95\x5C", false, {}},     // 表
    {"trail byte not folded", "a", "\x83\x41", false, {}},        // ア ends in 0x41
    {"double-byte word", "\x8C\xA9\x8F\x6F", "1\x8C\xA9\x8F\x6F\x82\xB5", true, {{1, 5}}},  // 見出 / 1見出し
    {"every occurrence", "ab", "ab-AB", true, {{0, 2}, {3, 5}}},
    {"overlapping occurrences merge", "aa", "aaa", true, {{0, 3}}},
    {"overlapping words merge", "abc bcd", "abcd", true, {{0, 4}}},
    {"a word twice", "ab ab", "xab", true, {{1, 3}}},
    {"lone lead byte at the end", "\x82", "a\x82", true, {{1, 2}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, HeadingFilterTest, ::testing::ValuesIn(kFilterCases),
                         [](const ::testing::TestParamInfo<FilterCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// Typed words against headings as written in UTF-8: an entry keeps its UTF-8 form where cp932 lacks a
// character, and the filter compares characters there, never the '?' standing for one.
TEST(HeadingFilterUtf8Test, WordsMatchCharactersAsWritten) {
    struct Case {
        const char* utf8;
        std::string heading;  // as written, UTF-8
        bool matches;
        Ranges ranges;  // byte ranges of the heading as written
    };
    const Case cases[] = {
        {"\xe8\xa6\x8b\xe5\x87\xba",
         "\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97",
         true,
         {{0, 6}}},                                        // 見出 in 見出し
        {"\xe2\x85\xa0", "\xe2\x85\xa0", true, {{0, 3}}},  // Ⅰ
        {"\xf0\x9f\x98\x80", "?", false, {}},              // an emoji is no "?"
        {"\xc2\xa5", "\\", false, {}},  // the yen sign would only be written as a backslash
        {"a \xf0\x9f\x98\x80", "a?", false, {}},
        {"\xe3\x80\x80", "x", true, {}},  // the full-width space alone: no words
        // Characters cp932 lacks, in a heading that keeps them.
        {"\xf0\x9f\x98\x80", "x\xf0\x9f\x98\x80", true, {{1, 5}}},
        {"?", "\xf0\x9f\x98\x80 caf\xc3\xa9", false, {}},              // no '?' stands for 😀 or é
        {"?", "\xed\x95\x9c?", true, {{3, 4}}},                        // 한? holds a real one
        {"\xed\x95\x9c", "\xed\x95\x9c\xea\xb8\x80", true, {{0, 3}}},  // 한 in 한글
        {"\xed\x95\x9c", "\xea\xb8\x80", false, {}},                   // 한 is not 글
        {"\xed\x95\x9c", "?", false, {}},
        {"caf\xc3\xa9 \xf0\xa0\xae\xb7", "\xf0\xa0\xae\xb7 Caf\xc3\xa9", true, {{0, 4}, {5, 10}}},
        {"cafe", "caf\xc3\xa9", false, {}},                    // é is not e
        {"caf\xc3\x89", "caf\xc3\xa9", false, {}},             // nor is É folded: only the cp932 letters are
        {"\xc3\xa9", "\xe2\x80\xa0\xc3\xa9", true, {{3, 5}}},  // after a character cp932 holds
        {"\xe4\xb8\x80", "\xf0\xa4\xb8\x80", false, {}},       // 一 (U+4E00) is not U+24E00
        {"\xef\xbc\xa1", "\xf0\x9f\x98\x80\xef\xbd\x81", true, {{4, 7}}},  // Ａ folds to ａ
    };
    for (const Case& c : cases) {
        const HeadingFilter filter = HeadingFilterFromUtf8(c.utf8);
        const std::string cp932 = Utf8ToCp932(c.heading);
        const IndexEntry entry{cp932, 1, 1, Cp932ToUtf8(cp932) == c.heading ? std::string() : c.heading};
        EXPECT_EQ(filter.matches(entry), c.matches) << c.utf8 << " in " << c.heading;
        EXPECT_EQ(filter.matchesUtf8(c.heading), c.matches) << c.utf8 << " in " << c.heading;
        EXPECT_EQ(filter.matchRangesUtf8(c.heading), c.ranges) << c.utf8 << " in " << c.heading;
        const Index index{{"?", 0}, entry, {"x", 2}};
        const std::vector<int> found = FoldedHeadings(index).match(filter);
        EXPECT_EQ(std::find(found.begin(), found.end(), 1) != found.end(), c.matches) << c.utf8;
        // A heading cp932 holds whole matches as its cp932 text does.
        if (entry.utf8.empty()) {
            EXPECT_EQ(filter.matches(cp932), c.matches) << c.utf8;
        }
    }
}

TEST(FoldedHeadingsTest, EmptyFilterGivesEveryEntry) {
    const Index index{{"a", 0}, {"b", 3}, {"", 4}};
    EXPECT_EQ(FoldedHeadings(index).match(HeadingFilter()), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(FoldedHeadings(Index{}).match(HeadingFilter("a")).empty());
}

TEST(FoldedHeadingsTest, AWordNeverSpansTwoHeadings) {
    const Index index{{"xa", 0}, {"by", 1}, {"ab", 2}, {"a", 3}, {"b", 4}};
    EXPECT_EQ(FoldedHeadings(index).match(HeadingFilter("ab")), (std::vector<int>{2}));
    EXPECT_EQ(FoldedHeadings(index).match(HeadingFilter("b a")), (std::vector<int>{2}));
}

// The search through all headings at once agrees with testing each heading on its own.
TEST(FoldedHeadingsTest, AgreesWithTestingEachHeading) {
    const std::vector<std::string> pieces = {"a",        "A", "b",        " ",        "\x82\x60", "\x82\x81",
                                             "\x83\x40", "@", "\x81\x40", "\x95\x5C", "\\",       "\x82"};
    std::mt19937 random(7);
    const auto text = [&](int most) {
        std::string s;
        for (int n = static_cast<int>(random() % static_cast<unsigned>(most + 1)); n > 0; --n)
            s += pieces[random() % pieces.size()];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        Index index;
        for (int i = 0; i < 20; ++i) index.push_back({text(6), i});
        const FoldedHeadings folded(index);
        for (int f = 0; f < 10; ++f) {
            const HeadingFilter filter(text(4));
            std::vector<int> expected;
            for (std::size_t i = 0; i < index.size(); ++i)
                if (filter.matches(index[i].text)) expected.push_back(static_cast<int>(i));
            ASSERT_EQ(folded.match(filter), expected) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace oruvan
