#include <gtest/gtest.h>

#include <random>
#include <string>

#include "outline/TitleMarks.h"

namespace oruvan {
namespace {

using namespace std::string_literals;

struct TitleCase {
    const char* name;
    TitleMarkList marks;
    bool ignoreHeadSpaces;
    bool includeMark;
    std::string line;
    bool heading;
    std::string text;
    bool longestMark = false;  // heading levels on
    int level = 0;             // checked when not 0
};

const TitleCase kTitleCases[] = {
    {"mark alone", {"//@"}, true, false, "//@", true, ""},
    {"mark alone, kept", {"//@"}, true, true, "//@", true, "//@"},
    {"blanks around", {"//@"}, true, false, "   //@Title  ", true, "Title"},
    {"leading blank, not ignored", {"//@"}, false, false, "   //@Title  ", false, ""},
    {"trailing tab, not ignored", {"--"}, false, false, "--x\t", true, "x  "},
    {"control bytes trimmed", {"--"}, true, false, "\0\r\x1f--x \t\r"s, true, "x"},
    {"full-width space stays", {"--"}, true, false, "\x81\x40--x", false, ""},
    {"space after mark stays", {"//@"}, true, false, "//@ Chapter 1", true, " Chapter 1"},
    {"tabs inside", {"--"}, true, false, "--a\tb\t\tc", true, "a  b    c"},
    {"tab after a lone lead byte stays", {"--"}, true, false, "--x\x81\tY\t", true, "x\x81\tY"},
    {"tab after a kanji", {"--"}, true, false, "--\x8c\xa9\tY", true, "\x8c\xa9  Y"},
    {"first mark decides", {"--", "---"}, true, false, "---x", true, "-x"},
    {"longer mark first", {"---", "--"}, true, false, "---x", true, "x"},
    {"letter case ignored", {"#h"}, true, false, "#H1", true, "1"},
    {"line's own bytes kept", {"#h"}, true, true, "#H1", true, "#H1"},
    {"full-width case ignored", {"\x82\x60"}, true, false, "\x82\x81x", true, "x"},
    {"full-width is not half-width", {"A"}, true, false, "\x82\x60x", false, ""},
    {"hiragana is not katakana", {"\x82\xa0"}, true, false, "\x83\x41x", false, ""},
    {"mark longer than line", {"--"}, true, false, "-", false, ""},
    {"empty mark is no mark", {"x", ""}, true, false, "  abc ", false, ""},
    {"empty mark, blank line", {""}, true, false, "  ", false, ""},
    {"blank line between marks", {"//@", "", "\x81\xa1"}, true, false, "text", false, ""},
    {"mark after an empty one", {"//@", "", "\x81\xa1"}, true, false, "\x81\xa1x", true, "x"},
    {"empty list", {}, true, false, "--x", false, ""},
    {"default marks, two slashes", {"//@", "--", "\x81\xa1"}, true, false, "//Title", false, ""},
    {"default marks, square", {"//@", "--", "\x81\xa1"}, true, false, "\x81\xa1\x8c\xa9", true, "\x8c\xa9"},
    {"levels on: longest mark", {"#", "##", "###"}, true, false, "## x", true, " x", true, 2},
    {"levels on: longest of three", {"#", "##", "###"}, true, false, "#### x", true, "# x", true, 3},
    {"levels on: shortest alone", {"#", "##", "###"}, true, false, "# x", true, " x", true, 1},
    {"levels on: longest listed first", {"###", "##", "#"}, true, false, "## x", true, " x", true, 2},
    {"levels on: kept mark is whole", {"#", "##"}, true, true, "##x", true, "##x", true, 2},
    {"levels on: empty mark not counted", {"", "#", "##"}, true, false, "##x", true, "x", true, 2},
    {"levels on: equal lengths, first", {"#a", "#A"}, true, false, "#ax", true, "x", true, 1},
    {"levels off: first mark", {"#", "##", "###"}, true, false, "## x", true, "# x", false, 1},
};

TEST(TitleMarksTest, IsTitleLine) {
    for (const TitleCase& c : kTitleCases) {
        SCOPED_TRACE(c.name);
        const HeadingRules rules{c.marks, c.ignoreHeadSpaces, c.includeMark, c.longestMark};
        std::string text = "unchanged";
        int level = 0;
        ASSERT_EQ(IsTitleLine(c.line, rules, &text, &level), c.heading);
        if (c.heading) {
            EXPECT_EQ(text, c.text);
            if (c.level) {
                EXPECT_EQ(level, c.level);
            }
        }
    }
}

struct ParseCase {
    std::string value;
    TitleMarkList marks;
};

const ParseCase kParseCases[] = {
    {kDefaultTitleMarksText, {"//@", "--", "\x81\xa1"}},
    {"// --", {"//", "--"}},
    {"  a \t,\t b  ", {"a", "b"}},
    {"a,,b", {"a", "", "b"}},
    {",a", {"", "a"}},
    {"a,", {"a"}},
    {"", {}},
    {"\"\"", {""}},
    {"\"x y\"z", {"x y", "z"}},
    {"\"a\"\"b\",\",\"", {"a\"b", ","}},
    {"a\"b", {"a\"b"}},
    {"\x95\x5c,\x81\x40x", {"\x95\x5c", "\x81\x40x"}},
    {"\x81,a", {"\x81,a"}},  // a lead byte takes whatever byte follows it, a comma too
    {"\x81 a,b", {"\x81 a", "b"}},
    {"a,\x81", {"a", "\x81"}},
    // An unterminated quoted item is the rest less its last character, and ends the value.
    {"x,\"ab", {"x", "a"}},
    {"\"a", {""}},
    {"\"", {""}},
    {"\"ab\x81\xa1", {"ab"}},
    {"\"a\"\"b", {"a\"\""}},
    {"a\0b,c"s, {"a"}},
};

TEST(TitleMarksTest, FromText) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(TitleMarksFromText(c.value), c.marks);
    }
    TitleMarkList list{"old"};
    TitleMarksFromText("", list);
    EXPECT_TRUE(list.empty());
}

TEST(TitleMarksTest, ToText) {
    const std::pair<TitleMarkList, std::string> cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"//@", "--", "\x81\xa1"}, kDefaultTitleMarksText},
        {{"a b", "c\"d", "e,f", "g\th"}, "\"a b\",\"c\"\"d\",\"e,f\",\"g\th\""},
        {{"", "a", "", "b"}, ",a,,b"},
        {{"a", ""}, "a,\"\""},  // bare, the last empty mark would be lost
        {{"\x81", "a", "\x81\x81", "\x81\xa1"},
         "\"\x81\",a,\x81\x81,\x81\xa1"},  // a lone lead would take the comma
    };
    for (const auto& [marks, text] : cases) EXPECT_EQ(TitleMarksToText(marks), text);
}

TEST(TitleMarksTest, RandomListsSurviveTheRoundTrip) {
    const std::string pieces[] = {"a",        "B",    " ",    "\t", ",",    "\"",      "\x81\xa1",
                                  "\x95\x5c", "\x81", "\x80", "/",  "\x01", "\xfc\xfc"};
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        TitleMarkList marks(rng() % 5);
        for (std::string& mark : marks)
            for (unsigned n = rng() % 4; n > 0; --n) mark += pieces[rng() % std::size(pieces)];
        const std::string text = TitleMarksToText(marks);
        ASSERT_EQ(TitleMarksFromText(text), marks) << text;
    }
}

}  // namespace
}  // namespace oruvan
