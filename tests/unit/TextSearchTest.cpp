#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "platform/SearchFold.h"
#include "platform/TextSearch.h"

namespace oruvan {
namespace {

constexpr SearchOptions kPlain{};
constexpr SearchOptions kCase{true, false, false};
constexpr SearchOptions kWidth{false, true, false};
constexpr SearchOptions kCaseWidth{true, true, false};
constexpr SearchOptions kRegex{false, false, true};
constexpr SearchOptions kRegexCase{true, false, true};

// The text with every match in brackets.
std::string Bracketed(const std::string& text, const std::vector<TextMatch>& matches) {
    std::string out;
    std::size_t p = 0;
    for (const TextMatch& m : matches) {
        out += text.substr(p, m.start - p) + "[" + text.substr(m.start, m.end - m.start) + "]";
        p = m.end;
    }
    return out + text.substr(p);
}

std::vector<TextMatch> AllMatches(TextSearch& s, const std::string& text) {
    std::vector<TextMatch> all;
    s.forEach(text, 0, std::string::npos, [&all](const TextMatch& m) {
        all.push_back(m);
        return true;
    });
    return all;
}

struct FindCase {
    const char* name;
    std::string text;
    std::u32string needle;
    SearchOptions options;
    std::string expected;  // the text with the matches in brackets
};

class FindAllTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindAllTest, MarksEveryMatch) {
    const FindCase& c = GetParam();
    TextSearch s;
    ASSERT_TRUE(s.compile(c.needle, c.options)) << c.name;
    EXPECT_EQ(Bracketed(c.text, AllMatches(s, c.text)), c.expected) << c.name;
}

const FindCase kFindCases[] = {
    {"ascii case folds", "Abc aBC abc", U"abc", kPlain, "[Abc] [aBC] [abc]"},
    {"ascii case kept", "Abc aBC abc", U"abc", kCase, "Abc aBC [abc]"},
    {"full-width folds within its width", "ＡＢＣ abc ａｂｃ ABC", U"ａｂｃ", kPlain,
     "[ＡＢＣ] abc [ａｂｃ] ABC"},
    {"half-width folds within its width", "ＡＢＣ abc ａｂｃ ABC", U"abc", kPlain,
     "ＡＢＣ [abc] ａｂｃ [ABC]"},
    {"greek", "ΑΒΓ αβγ", U"αβγ", kPlain, "[ΑΒΓ] [αβγ]"},
    {"cyrillic with Ё", "ЁЛКА ёлка", U"ёлка", kPlain, "[ЁЛКА] [ёлка]"},
    {"cyrillic the headings do not fold", "Ѐ ѐ", U"ѐ", kPlain, "Ѐ [ѐ]"},
    {"roman numerals are not letters here", "Ⅰ ⅰ", U"ⅰ", kPlain, "Ⅰ [ⅰ]"},
    {"hiragana and katakana stay apart", "あア", U"あ", kWidth, "[あ]ア"},
    {"width kept by default", "ｱア", U"ア", kPlain, "ｱ[ア]"},
    {"width ignored: katakana", "ｱア", U"ア", kWidth, "[ｱ][ア]"},
    {"width ignored: voiced kana", "ｶﾞガカ", U"ガ", kWidth, "[ｶﾞ][ガ]カ"},
    {"width ignored: voiced pair searched", "ｶﾞガカ", U"ｶﾞ", kWidth, "[ｶﾞ][ガ]カ"},
    {"width ignored: kana not inside a voiced pair", "ｶﾞガカｶ", U"カ", kWidth, "ｶﾞガ[カ][ｶ]"},
    {"width kept: half-width kana is a character", "ｶﾞ", U"ｶ", kPlain, "[ｶ]ﾞ"},
    {"width ignored: semi-voiced", "ﾊﾟパﾊﾞバ", U"パ", kWidth, "[ﾊﾟ][パ]ﾊﾞバ"},
    {"width ignored: ヴ", "ｳﾞヴウ", U"ヴ", kWidth, "[ｳﾞ][ヴ]ウ"},
    {"width ignored: marks alone", "ﾞ゛", U"゛", kWidth, "[ﾞ][゛]"},
    {"width and case ignored", "A a Ａ ａ", U"a", kWidth, "[A] [a] [Ａ] [ａ]"},
    {"width ignored, case kept", "A ａ Ａ", U"A", kCaseWidth, "[A] ａ [Ａ]"},
    {"width ignored: digits", "１２３ 123 1２3", U"123", kWidth, "[１２３] [123] [1２3]"},
    {"width ignored: ideographic space", "a b a　b", U"a b", kWidth, "[a b] [a　b]"},
    {"width ignored: long vowel mark", "ｰー", U"ー", kWidth, "[ｰ][ー]"},
    {"width ignored: signs", "! ！ ~ ～", U"！", kWidth, "[!] [！] ~ ～"},
    {"regex signs are plain text", "a.b axb (a)", U"a.b", kPlain, "[a.b] axb (a)"},
    {"brackets are plain text", "a.b axb (a) [a]", U"[a]", kPlain, "a.b axb (a) [[a]]"},
    {"backslash is plain text", "a\\b", U"\\", kPlain, "a[\\]b"},
    {"double-byte text", "見出し 見出 見出し", U"見出し", kPlain, "[見出し] 見出 [見出し]"},
    {"regex dot is one character", "ファイル フアイル", U"ファ.ル", kRegex, "[ファイル] フアイル"},
    {"regex folds case", "Chapter CHAPTER", U"chapter", kRegex, "[Chapter] [CHAPTER]"},
    {"regex keeps case", "Chapter CHAPTER", U"CHAPTER", kRegexCase, "Chapter [CHAPTER]"},
    {"regex anchors are per line", "ab\nab", U"^a", kRegex, "[a]b\n[a]b"},
    {"regex dot stops at a line break", "a\nb", U"a.b", kRegex, "a\nb"},
    {"regex line ends before CR LF", "ax\r\nbx\r\ncx", U"x$", kRegex, "a[x]\r\nb[x]\r\nc[x]"},
    {"regex line ends before CR", "ax\rbx", U"x$", kRegex, "a[x]\rb[x]"},
    {"regex line starts after CR", "ab\rab", U"^a", kRegex, "[a]b\r[a]b"},
    {"regex dot stops at CR", "a\rb a\r\nb", U"a.", kRegex, "a\rb a\r\nb"},
    {"regex mixed breaks", "a1\r\na2\na3\ra4", U"\\d$", kRegex, "a[1]\r\na[2]\na[3]\ra[4]"},
    {"regex never inside CR LF", "a\r\n\r\nb", U"^$", kRegex, "a\r\n[]\r\nb"},
    {"raw-byte character is one character",
     "a\xF4\x8F\xBA\x80"
     "b",
     U"a.b", kRegex,
     "[a\xF4\x8F\xBA\x80"
     "b]"},
    {"bytes that are not UTF-8 never match",
     "a\xFF"
     "b a-b",
     U"a.b", kRegex,
     "a\xFF"
     "b [a-b]"},
    {"empty matches once at each place", "ab", U"x*", kRegex, "[]a[]b[]"},
    {"empty match after a match", "aab", U"a*", kRegex, "[aa][]b[]"},
};

INSTANTIATE_TEST_SUITE_P(Table, FindAllTest, ::testing::ValuesIn(kFindCases));

struct ReplaceCase {
    const char* name;
    std::string text;
    std::u32string needle;
    SearchOptions options;
    std::string replacement;
    std::string expected;
};

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, BuildsTheReplacedText) {
    const ReplaceCase& c = GetParam();
    TextSearch s;
    ASSERT_TRUE(s.compile(c.needle, c.options)) << c.name;
    const Replacement r(c.replacement, c.options.regex);
    std::string out;
    std::size_t p = 0;
    s.forEach(c.text, 0, std::string::npos, [&](const TextMatch& m) {
        out.append(c.text, p, m.start - p);
        s.appendReplacement(c.text, r, out);
        p = m.end;
        return true;
    });
    out.append(c.text, p);
    EXPECT_EQ(out, c.expected) << c.name;
}

const ReplaceCase kReplaceCases[] = {
    {"groups and the whole match", "2024-05", U"(\\d+)-(\\d+)", kRegex, "\\2/$1 ($0)", "05/2024 (2024-05)"},
    {"line break and tab", "a,b", U",", kRegex, "\\n\\t", "a\n\tb"},
    {"escaped signs", "x", U"x", kRegex, "\\\\$$", "\\$"},
    {"other escapes stay", "x", U"x", kRegex, "\\q$a", "\\q$a"},
    {"group that did not take part", "a", U"(b)?a", kRegex, "[\\1]", "[]"},
    {"group the expression lacks", "a", U"a", kRegex, "<\\5>", "<>"},
    {"literal replacement taken as it is", "a", U"a", kPlain, "\\1$0\\n", "\\1$0\\n"},
    {"line starts", "ab\ncd", U"^", kRegex, "> ", "> ab\n> cd"},
    {"line starts after CR LF and CR", "ab\r\ncd\ref", U"^", kRegex, "> ", "> ab\r\n> cd\r> ef"},
    {"line ends before CR LF and CR", "ab\r\ncd\ref", U"$", kRegex, ";", "ab;\r\ncd;\ref;"},
    {"between characters", "ab", U"x*", kRegex, "-", "-a-b-"},
    {"double-byte text", "見出し 見出し", U"見出し", kPlain, "章", "章 章"},
    {"width ignored", "ｶﾞｲﾄﾞ ガイド", U"ガイド", kWidth, "案内", "案内 案内"},
};

INSTANTIATE_TEST_SUITE_P(Table, ReplaceAllTest, ::testing::ValuesIn(kReplaceCases));

struct StepCase {
    const char* name;
    std::string text;
    std::u32string needle;
    SearchOptions options;
    bool forward;
    std::size_t from;
    bool emptyAtFrom;
    long expectedStart;  // -1: none
    std::size_t expectedEnd;
};

class StepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepTest, FindsTheNeighbouringMatch) {
    const StepCase& c = GetParam();
    TextSearch s;
    ASSERT_TRUE(s.compile(c.needle, c.options)) << c.name;
    const std::optional<TextMatch> m =
        c.forward ? s.next(c.text, c.from, c.emptyAtFrom) : s.previous(c.text, c.from);
    if (c.expectedStart < 0) {
        EXPECT_FALSE(m.has_value()) << c.name;
        return;
    }
    ASSERT_TRUE(m.has_value()) << c.name;
    EXPECT_EQ(m->start, static_cast<std::size_t>(c.expectedStart)) << c.name;
    EXPECT_EQ(m->end, c.expectedEnd) << c.name;
}

const StepCase kStepCases[] = {
    {"next at from", "xaxa", U"a", kPlain, true, 1, true, 1, 2},
    {"next after from", "xaxa", U"a", kPlain, true, 2, true, 3, 4},
    {"next none after the last", "xaxa", U"a", kPlain, true, 4, true, -1, 0},
    {"next: empty match at from refused", "ab", U"x*", kRegex, true, 1, false, 2, 2},
    {"next: empty match at from taken", "ab", U"x*", kRegex, true, 1, true, 1, 1},
    {"next: longer match at from instead of an empty one", "ab", U"b?", kRegex, true, 1, false, 1, 2},
    {"previous before the current one", "aaaa", U"aa", kPlain, false, 2, true, 0, 2},
    {"previous as a forward scan pairs them", "aaaa", U"aa", kPlain, false, 4, true, 2, 4},
    {"previous none before the first", "xaxa", U"a", kPlain, false, 1, true, -1, 0},
    {"previous across a line break", "ab\ncd", U"b\\nc", kRegex, false, 3, true, 1, 4},
    {"previous starts its scan at a line start", "aaa\naaa", U"aa", kPlain, false, 7, true, 4, 6},
    {"previous of multi-byte text", "見a見a", U"見", kPlain, false, 4, true, 0, 3},
    {"next line end before CR LF", "ax\r\nbx", U"x$", kRegex, true, 0, true, 1, 2},
    {"previous line end before CR LF", "ax\r\nbx\r\n", U"x$", kRegex, false, 8, true, 5, 6},
    {"previous line end before CR", "ax\rbx\rcx", U"x$", kRegex, false, 6, true, 4, 5},
    {"previous line start after CR", "ab\rab\rab", U"^a", kRegex, false, 6, true, 3, 4},
    {"previous empty line start, never inside CR LF", "a\r\n\r\nb", U"^$", kRegex, false, 6, true, 3, 3},
};

INSTANTIATE_TEST_SUITE_P(Table, StepTest, ::testing::ValuesIn(kStepCases));

TEST(TextSearchTest, PreviousScansBackBeyondItsFirstWindow) {
    std::string text = "needle\n";
    while (text.size() < 1000000) text += "filler line without the word\n";
    TextSearch s;
    ASSERT_TRUE(s.compile(U"NEEDLE", kPlain));
    const std::optional<TextMatch> m = s.previous(text, text.size());
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->start, 0u);
    EXPECT_FALSE(s.previous(text, 0).has_value());
    EXPECT_EQ(s.next(text, 1), std::nullopt);
}

TEST(TextSearchTest, BadRegularExpressionIsRefusedWithItsPlace) {
    TextSearch s;
    SearchError error;
    EXPECT_FALSE(s.compile(U"見出(し", kRegex, &error));
    EXPECT_FALSE(s.ready());
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.offset, 4u);  // at the end, counted in characters
    EXPECT_FALSE(s.compile(U"a\\C", kRegex, &error)) << "\\C could stop inside a character";
    EXPECT_TRUE(s.compile(U"見出(し", kPlain, &error));
    EXPECT_EQ(s.next("見出(し", 0), (TextMatch{0, 10}));
}

TEST(TextSearchTest, RunawayExpressionStopsInsteadOfHanging) {
    const std::string text(40, 'a');
    TextSearch s;
    ASSERT_TRUE(s.compile(U"(a+)+[bc]", kRegex));
    EXPECT_FALSE(s.next(text, 0).has_value());
    EXPECT_TRUE(s.tooComplex());
    ASSERT_TRUE(s.compile(U"a", kRegex));
    EXPECT_TRUE(s.next(text, 0).has_value());
    EXPECT_FALSE(s.tooComplex());
}

// The code points of one UTF-8 character, or 0 when the text is not exactly one character.
char32_t OneChar(const std::string& u) {
    const auto b = static_cast<unsigned char>(u.empty() ? 0 : u[0]);
    const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (u.size() != n) return 0;
    char32_t c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (std::size_t k = 1; k < n; ++k) c = c << 6 | (static_cast<unsigned char>(u[k]) & 0x3F);
    return c;
}

// Every half-width character cp932 has takes a full-width form cp932 also has, and comes back from it.
TEST(SearchFoldTest, WidthFormsOfEveryCp932HalfWidthCharacter) {
    int paired = 0;
    for (unsigned b = 0x20; b <= 0xDF; ++b) {
        if (b >= 0x7F && b < 0xA1) continue;
        const char32_t narrow = OneChar(Cp932ToUtf8(std::string(1, static_cast<char>(b))));
        ASSERT_NE(narrow, 0u) << b;
        const char32_t wide = WideForm(narrow);
        ASSERT_NE(wide, narrow) << std::hex << b;
        EXPECT_TRUE(IsCp932Encodable(wide)) << std::hex << b;
        EXPECT_EQ(NarrowForm(wide), std::u32string(1, narrow)) << std::hex << b;
        ++paired;
    }
    EXPECT_EQ(paired, 95 + 63);
    EXPECT_EQ(NarrowForm(U'ガ'), U"ｶﾞ");
    EXPECT_EQ(NarrowForm(U'ポ'), U"ﾎﾟ");
    EXPECT_EQ(NarrowForm(U'ヴ'), U"ｳﾞ");
    EXPECT_EQ(NarrowForm(U'あ'), U"");
    EXPECT_EQ(NarrowForm(U'\0'), U"");
    EXPECT_EQ(ComposeHalfWidthKana(U'ｶ', U'ﾟ'), 0u);
    EXPECT_EQ(ComposeHalfWidthKana(U'ﾊ', U'ﾟ'), U'パ');
    EXPECT_EQ(ComposeHalfWidthKana(U'ﾝ', U'ﾞ'), 0u);
}

// Whatever the text, its literal pattern compiles and finds the text itself, under every option.
TEST(SearchFoldTest, LiteralPatternOfAnyCharacterFindsItself) {
    std::vector<char32_t> chars;
    for (char32_t c = 0x01; c <= 0x7F; ++c) chars.push_back(c);
    for (char32_t c = 0x0391; c <= 0x0451; ++c) chars.push_back(c);
    for (char32_t c = 0x3000; c <= 0x30FF; ++c) chars.push_back(c);
    for (char32_t c = 0xFF01; c <= 0xFF9F; ++c) chars.push_back(c);
    chars.push_back(0x10FE5C);  // the raw byte 0x5C
    TextSearch s;
    for (const SearchOptions& o : {kPlain, kCase, kWidth, kCaseWidth}) {
        for (char32_t c : chars) {
            const std::u32string needle = {c, U'x', c};
            std::string text = "--";
            for (char32_t k : needle) AppendUtf8(k, text);
            ASSERT_TRUE(s.compile(needle, o)) << std::hex << c;
            const std::optional<TextMatch> m = s.next(text, 0);
            ASSERT_TRUE(m.has_value()) << std::hex << c;
            EXPECT_EQ(m->start, 2u) << std::hex << c;
            EXPECT_EQ(m->end, text.size()) << std::hex << c;
        }
    }
}

}  // namespace
}  // namespace oruvan
