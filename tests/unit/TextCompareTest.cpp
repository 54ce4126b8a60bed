#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "platform/SearchFold.h"
#include "platform/TextCompare.h"

namespace oruvan {
namespace {

struct CompareCase {
    const char* name;
    std::string a;
    std::string b;
    int expected;  // sign only
};

int Sign(int v) { return (v > 0) - (v < 0); }

class CompareTextTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTextTest, ComparesFoldedCharacters) {
    const CompareCase& c = GetParam();
    EXPECT_EQ(Sign(CompareTextIgnoreCase(c.a, c.b)), c.expected) << c.name;
    EXPECT_EQ(Sign(CompareTextIgnoreCase(c.b, c.a)), -c.expected) << c.name << " (swapped)";
    EXPECT_EQ(SameTextIgnoreCase(c.a, c.b), c.expected == 0) << c.name;
}

const CompareCase kCompareCases[] = {
    {"empty", "", "", 0},
    {"ascii case", "Chapter One", "cHAPTER oNE", 0},
    {"ascii order", "abc", "abd", -1},
    {"ascii order folded", "ABC", "abd", -1},
    {"punctuation not folded", "[", "{", -1},
    {"prefix shorter", "abc", "abcd", -1},
    {"prefix folded", "ABC", "abcd", -1},
    {"full-width latin", "\x82\x60\x82\x61", "\x82\x81\x82\x82", 0},  // ＡＢ / ａｂ
    {"full-width Z/z", "\x82\x79", "\x82\x9A", 0},                    // Ｚ / ｚ
    {"full-width vs half-width", "\x82\x60", "A", 1},                 // Ａ / A
    {"full-width vs half-width lower", "\x82\x81", "a", 1},           // ａ / a
    {"greek alpha", "\x83\x9F", "\x83\xBF", 0},                       // Α / α
    {"greek omega", "\x83\xB6", "\x83\xD6", 0},                       // Ω / ω
    {"cyrillic A", "\x84\x40", "\x84\x70", 0},                        // А / а
    {"cyrillic Io", "\x84\x46", "\x84\x76", 0},                       // Ё / ё
    {"cyrillic En", "\x84\x4E", "\x84\x7E", 0},                       // Н / н
    {"cyrillic O skips 0x847F", "\x84\x4F", "\x84\x80", 0},           // О / о
    {"cyrillic Ya", "\x84\x60", "\x84\x91", 0},                       // Я / я
    {"cyrillic different letters", "\x84\x4E", "\x84\x80", -1},       // Н / о
    {"hiragana vs katakana", "\x82\xA0", "\x83\x41", -1},             // あ / ア
    {"half-width katakana vs full", "\xB1", "\x83\x41", 1},           // ｱ / ア
    {"trail 0x5C not a backslash", "\x95\x5C", "\x95\x5C", 0},        // 表
    {"trail 0x5C vs other kanji", "\x95\x5C", "\x95\x5D", -1},
    {"trail 0x41 not folded", "\x83\x41", "\x83\x61", -1},  // ア / ヂ
    {"lone lead at end", "ab\x82", "AB\x82", 0},
    {"lone lead vs pair", "\x82", "\x82\xA0", -1},
    {"lead with bad trail", "\x82\n", "\x82\n", 0},
    {"mixed text", "Title \x82\x60\x83\x9F", "TITLE \x82\x81\x83\xBF", 0},
    {"mixed text differs late", "Title \x82\x60\x83\x9F", "title \x82\x81\x83\xC0", -1},
};

INSTANTIATE_TEST_SUITE_P(Table, CompareTextTest, ::testing::ValuesIn(kCompareCases));

// The expected lower-case form of the upper-case letters cp932 has, in Unicode terms.
char32_t UnicodeLower(char32_t u) {
    if ((u >= 0xFF21 && u <= 0xFF3A) || (u >= 0x0391 && u <= 0x03A9 && u != 0x03A2) ||
        (u >= 0x0410 && u <= 0x042F))
        return u + 0x20;
    if (u == 0x0401) return 0x0451;
    return u;
}

char32_t DecodeWithIconv(iconv_t cd, unsigned code) {
    char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    char32_t outChar = 0;
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(&outChar);
    std::size_t inLeft = 2, outLeft = sizeof outChar;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
        outLeft != 0)
        return 0;
    return outChar;
}

TEST(FoldCp932Char, AgreesWithSystemConverterForEveryDoubleByteCode) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int folded = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const unsigned code = lead << 8 | trail;
            const char32_t u = DecodeWithIconv(cd, code);
            if (u == 0) continue;
            const unsigned f = FoldCp932Char(code);
            if (UnicodeLower(u) == u) {
                EXPECT_EQ(f, code) << std::hex << code;
            } else {
                ++folded;
                EXPECT_EQ(DecodeWithIconv(cd, f), UnicodeLower(u)) << std::hex << code;
            }
        }
    }
    iconv_close(cd);
    EXPECT_EQ(folded, 26 + 24 + 33);
}

TEST(FoldCp932Char, SingleBytesFoldOnlyAsciiLetters) {
    for (unsigned b = 0; b < 0x100; ++b) {
        const unsigned expected = (b >= 'A' && b <= 'Z') ? b + 0x20 : b;
        EXPECT_EQ(FoldCp932Char(b), expected) << b;
        if (b < 0x80) {
            EXPECT_EQ(FoldLetterCase(b), expected) << b;
        }
    }
}

// Searches fold letter case on characters exactly as the headings fold it on cp932 codes.
TEST(FoldLetterCase, AgreesWithTheHeadingsForEveryDoubleByteCode) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            const unsigned code = lead << 8 | trail;
            const char32_t u = trail == 0x7F ? 0 : DecodeWithIconv(cd, code);
            if (u == 0) continue;
            EXPECT_EQ(FoldLetterCase(u), DecodeWithIconv(cd, FoldCp932Char(code))) << std::hex << code;
        }
    }
    iconv_close(cd);
}

}  // namespace
}  // namespace oruvan
