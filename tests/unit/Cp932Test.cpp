#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "platform/Cp932.h"

namespace oruvan {
namespace {

struct ByteCase {
    const char* name;
    std::string cp932;
    std::string utf8;
};

class Cp932ByteCaseTest : public ::testing::TestWithParam<ByteCase> {};

TEST_P(Cp932ByteCaseTest, DecodesAndRoundTrips) {
    const ByteCase& c = GetParam();
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << c.name;
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.name;
    EXPECT_TRUE(IsCanonicalRun(c.cp932)) << c.name;
    EXPECT_EQ(Cp932Length(c.utf8), c.cp932.size()) << c.name;
}

const ByteCase kByteCases[] = {
    {"ascii", "Hello \\ ~ world", "Hello \\ ~ world"},
    {"nul bytes", std::string("a\0b\0", 4), std::string("a\0b\0", 4)},
    {"half-width katakana", "\xA1\xB1\xDF", U(0xFF61) + U(0xFF71) + U(0xFF9F)},
    {"black square", "\x81\xA1", U(0x25A0)},
    {"hiragana a", "\x82\xA0", U(0x3042)},
    {"kanji with trail 0x5C", "\x95\x5C\\", U(0x8868) + "\\"},
    {"user-defined first", "\xF0\x40", U(0xE000)},
    {"user-defined last", "\xF9\xFC", U(0xE757)},
    {"invalid single bytes", "\x80\xA0\xFD\xFE\xFF",
     Raw(0x80) + Raw(0xA0) + Raw(0xFD) + Raw(0xFE) + Raw(0xFF)},
    {"lead before LF", "\x82\n", Raw(0x82) + "\n"},
    {"lead before DEL", "\x82\x7F", Raw(0x82) + "\x7F"},
    {"lead before 0xFD", "\x82\xFD", Raw(0x82) + Raw(0xFD)},
    {"lead before a pair", "\x82 \x82\xA0", Raw(0x82) + " " + U(0x3042)},
    {"unassigned code", "\x85\x40", Raw(0x85) + Raw(0x40)},
    {"looks like UTF-8", "\xEB\x81\x80", Raw(0xEB) + Raw(0x81) + Raw(0x80)},
    {"lone lead at end", "ab\x82", "ab" + Raw(0x82)},
    {"lone lead only", "\xFC", Raw(0xFC)},
    {"line breaks kept", "a\r\nb\rc", "a\r\nb\rc"},
};

INSTANTIATE_TEST_SUITE_P(Table, Cp932ByteCaseTest, ::testing::ValuesIn(kByteCases));

// Every single byte and every lead x trail pair decodes as the system converter does (raw bytes where
// it refuses) and converts back to itself, or to the canonical code for a shared character.
TEST(Cp932Codec, EveryCodeMatchesSystemConverterAndRoundTrips) {
    ASSERT_TRUE(IsCp932ConverterAvailable());
    int nonCanonical = 0;
    for (unsigned first = 0; first < 0x100; ++first) {
        const bool lead = IsLeadByte(static_cast<unsigned char>(first));
        for (unsigned second = 0; second < (lead ? 0x100u : 1u); ++second) {
            std::string bytes(1, char(first));
            if (lead) bytes += char(second);
            const std::string utf8 = Cp932ToUtf8(bytes);
            std::string expected;
            if (!SystemConvert("UTF-8", "CP932", bytes, expected)) {
                const bool trail = second >= 0x40 && second <= 0xFC && second != 0x7F;
                if (!lead)
                    expected = Raw(first);
                else if (trail)
                    expected = Raw(first) + Raw(second);
                else
                    expected = Raw(first) + Cp932ToUtf8(std::string(1, char(second)));
            }
            ASSERT_EQ(utf8, expected) << std::hex << first << " " << second;
            const std::string back = Utf8ToCp932(utf8);
            if (IsCanonicalRun(bytes)) {
                ASSERT_EQ(back, bytes) << std::hex << first << " " << second;
            } else {
                ++nonCanonical;
                EXPECT_NE(back, bytes);
                EXPECT_TRUE(IsCanonicalRun(back));
                EXPECT_EQ(Cp932ToUtf8(back), utf8);
                std::string systemChoice;
                ASSERT_TRUE(SystemConvert("CP932", "UTF-8", utf8, systemChoice));
                EXPECT_EQ(back, systemChoice) << std::hex << first << " " << second;
            }
        }
    }
    EXPECT_GT(nonCanonical, 300);
}

TEST(Cp932Codec, SharedCharactersHaveOneCanonicalCode) {
    struct Shared {
        std::string a, b;
        char32_t c;
    };
    const Shared shared[] = {
        {"\x87\x90", "\x81\xE0", 0x2252}, {"\xED\x40", "\xFA\x5C", 0x7E8A}, {"\x87\x54", "\xFA\x4A", 0x2160}};
    for (const Shared& s : shared) {
        EXPECT_EQ(Cp932ToUtf8(s.a), U(s.c));
        EXPECT_EQ(Cp932ToUtf8(s.b), U(s.c));
        const std::string encoded = Utf8ToCp932(U(s.c));
        EXPECT_TRUE(encoded == s.a || encoded == s.b) << std::hex << s.c;
        EXPECT_NE(IsCanonicalRun(s.a), IsCanonicalRun(s.b)) << std::hex << s.c;
        EXPECT_FALSE(IsCanonicalRun("plain " + (IsCanonicalRun(s.a) ? s.b : s.a) + " text"));
    }
}

struct EncodeCase {
    const char* name;
    std::string utf8;
    std::string cp932;
};

class Utf8ToCp932Test : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Utf8ToCp932Test, EncodesOrCopies) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.name;
    EXPECT_EQ(Cp932Length(c.utf8), c.cp932.size()) << c.name;
}

const EncodeCase kEncodeCases[] = {
    {"latin-1 letter", U(0xE9), "?"},
    {"yen sign has no exact code", U(0xA5), "?"},
    {"em dash typed, written as the dash files hold", "a" + U(0x2014) + "b", "a\x81\\b"},
    {"emoji", U(0x1F600), "?"},
    {"raw byte of a valid byte", U(kRawByteBase + 0x41), "A"},
    {"lone continuation byte", "a\x80z", "a\x80z"},
    {"invalid lead byte", "\xFF\xFE", "\xFF\xFE"},
    {"overlong slash", "\xC0\xAF", "\xC0\xAF"},
    {"surrogate", "\xED\xA0\x80", "\xED\xA0\x80"},
    {"truncated sequence then text", "\xE3\x81 A", "\xE3\x81 A"},
    {"truncated at end", "x\xE3", "x\xE3"},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
};

INSTANTIATE_TEST_SUITE_P(Table, Utf8ToCp932Test, ::testing::ValuesIn(kEncodeCases));

TEST(Cp932Codec, EncodableCharacters) {
    const std::pair<char32_t, bool> cases[] = {
        {0, true},        {U'A', true},     {0x3042, true},    {0xFF61, true},  {0xE000, true},
        {0xE757, true},   {0xE758, false},  {0xA5, false},     {0xE9, false},   {0x1F600, false},
        {0x301C, true},   {0x203E, false},
        {kRawByteBase, true}, {kRawByteBase + 0xFF, true}, {kRawByteBase - 1, false}, {0x10FFFF, false}, {0xD800, false},
        // The decoder never leaves CR or LF raw; pasted, their raw code points would save as a line
        // break inside what the view shows as one line.
        {kRawByteBase + 0x0A, false}, {kRawByteBase + 0x0D, false}, {kRawByteBase + 0x09, true},
    };
    for (const auto& [c, encodable] : cases) EXPECT_EQ(IsCp932Encodable(c), encodable) << std::hex << c;
}

TEST(Cp932Codec, Utf8OffsetStopsBeforeStraddlingCharacter) {
    const std::string text = "a" + U(0x3042) + "b" + U(0xFF71) + Raw(0x80) + "\xFF" + "c";
    // cp932 widths: 1 2 1 1 1 1 1; UTF-8 widths: 1 3 1 3 4 1 1.
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {1, 1},  {2, 1},  {3, 4},  {4, 5},
                                                         {5, 8}, {6, 12}, {7, 13}, {8, 14}, {100, 14}};
    for (const auto& [cp932, utf8] : cases) EXPECT_EQ(Utf8OffsetOfCp932(text, cp932), utf8) << cp932;
}

// Columns in every encoding: cp932's own widths, and for what cp932 lacks, narrow alphabets 1, the rest 2.
TEST(Cp932Codec, ColumnsCountHalfWidthOneOtherTwo) {
    const std::pair<char32_t, int> widths[] = {
        {U'A', 1},   {0xFF71, 1}, {0x3042, 2}, {0x2252, 2}, {kRawByteBase + 0x80, 1},
        {0x0410, 2}, {0xE9, 1},   {0x0100, 1}, {0x4E02, 2}, {0x1F600, 2},
        {0xFFE8, 1}, {0xAC00, 2},
    };
    for (const auto& [c, width] : widths) EXPECT_EQ(Cp932Width(c), width) << std::hex << c;
    const std::string text = "a" + U(0x3042) + U(0x1F600) + Raw(0x80) + "\xFF" + U(0xE9);
    EXPECT_EQ(Cp932Columns(text), 8u);
    const std::pair<std::size_t, std::size_t> offsets[] = {{0, 0}, {1, 1},  {2, 1},  {3, 4},  {4, 4},
                                                           {5, 8}, {6, 12}, {7, 13}, {8, 15}, {99, 15}};
    for (const auto& [columns, utf8] : offsets)
        EXPECT_EQ(Utf8OffsetOfCp932Columns(text, columns), utf8) << columns;
    const std::string cp932Text = "x" + U(0x3042) + U(0xFF71) + Raw(0x82);
    EXPECT_EQ(Cp932Columns(cp932Text), Cp932Length(cp932Text));
}

// Random cp932-ish bytes, weighted toward the awkward ones.
std::string RandomBytes(std::mt19937& rng, std::size_t length) {
    static const unsigned char kAwkward[] = {0x80, 0xA0, 0xFD, 0xFE, 0xFF, 0x81, 0x82, 0x87, 0xEB, 0xED, 0xF0,
                                             0xFA, 0xFC, 0x40, 0x5C, 0x7F, 0x90, 0xE0, '\r', '\n', 0};
    std::string s;
    while (s.size() < length) {
        const unsigned kind = rng() % 6;
        if (kind == 0)
            s += static_cast<char>('a' + rng() % 26);
        else if (kind == 1)
            s += static_cast<char>(kAwkward[rng() % sizeof kAwkward]);
        else if (kind == 2)
            s += static_cast<char>(rng() % 256);
        else if (kind == 3)
            s += "\x82\xA0\x87\x90\x81\xE0";
        else if (kind == 4)
            s += "\xEB\x81\x80";
        else
            s += static_cast<char>(0xA1 + rng() % 0x3F);
    }
    return s;
}

TEST(Cp932Codec, RandomBytesRoundTrip) {
    std::mt19937 rng(932);
    for (int i = 0; i < 3000; ++i) {
        const std::string bytes = RandomBytes(rng, rng() % 64);
        const std::string utf8 = Cp932ToUtf8(bytes);
        ASSERT_TRUE(IsValidUtf8(utf8));
        const std::string back = Utf8ToCp932(utf8);
        EXPECT_EQ(Cp932Length(utf8), back.size());
        if (IsCanonicalRun(bytes)) {
            ASSERT_EQ(back, bytes) << i;
        } else {
            ASSERT_TRUE(IsCanonicalRun(back)) << i;
            ASSERT_EQ(Cp932ToUtf8(back), utf8) << i;
        }
    }
}

TEST(Cp932Codec, LengthMatchesEncodingOfArbitraryUtf8) {
    std::mt19937 rng(65001);
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (std::size_t n = rng() % 24; n > 0; --n) {
            if (rng() % 4 == 0)
                text += static_cast<char>(rng() % 256);
            else
                text += U(static_cast<char32_t>(rng() % 3 == 0 ? rng() % 0x110000 : rng() % 0x10000));
        }
        const std::string encoded = Utf8ToCp932(text);
        ASSERT_EQ(Cp932Length(text), encoded.size()) << i;
        ASSERT_EQ(Utf8OffsetOfCp932(text, encoded.size()), text.size()) << i;
    }
}

// The reference result: breaks normalised in the bytes first (CR and LF are never trail bytes), then
// each line checked on its own.
struct Loaded {
    std::string text;
    std::vector<std::size_t> nonCanonicalLines;
    std::size_t lines = 0;
};

Loaded ReferenceLoad(const std::string& bytes) {
    std::string normalised;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            normalised += '\n';
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            normalised += bytes[i];
        }
    }
    Loaded r;
    r.text = Cp932ToUtf8(normalised);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= normalised.size(); ++i) {
        if (i < normalised.size() && normalised[i] != '\n') continue;
        if (!IsCanonicalRun(std::string_view(normalised).substr(start, i - start)))
            r.nonCanonicalLines.push_back(r.lines);
        if (i < normalised.size()) ++r.lines;
        start = i + 1;
    }
    return r;
}

Loaded Load(const std::string& bytes, const std::vector<std::size_t>& cuts) {
    const Decoded d = DecodeInChunks(Cp932Decoder(), bytes, cuts);
    Loaded r{d.text, {}, d.lines};
    for (const NonCanonicalLine& l : d.nonCanonical) r.nonCanonicalLines.push_back(l.line);
    return r;
}

void ExpectSameLoad(const Loaded& got, const Loaded& want, const std::string& what) {
    EXPECT_EQ(got.text, want.text) << what;
    EXPECT_EQ(got.nonCanonicalLines, want.nonCanonicalLines) << what;
    EXPECT_EQ(got.lines, want.lines) << what;
}

TEST(Cp932Decoder, NormalisesBreaks) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb", "a\nb"}, {"a\rb", "a\nb"},
        {"a\nb", "a\nb"},   {"\r\r\n\n\r", "\n\n\n\n"},
        {"\n\r", "\n\n"},   {"\x82\r\n", Raw(0x82) + "\n"},
        {"x\r", "x\n"},     {"", ""},
    };
    for (const auto& [bytes, text] : cases) {
        const Loaded got = Load(bytes, {});
        EXPECT_EQ(got.text, text);
        ExpectSameLoad(got, ReferenceLoad(bytes), "whole");
    }
}

TEST(Cp932Decoder, EverySingleSplitMatchesWholeDecode) {
    const std::string samples[] = {
        "ab\r\ncd\r\n",
        "\x82\xA0\r\n\x87\x90\r\r\n\x81\xE0\n\x95\x5C",
        "\x82\r\n\x82",
        "line\r",
        "\xEB\x81\x80\x85\x40\r\n\xED\x40",
    };
    for (const std::string& s : samples) {
        const Loaded want = ReferenceLoad(s);
        ExpectSameLoad(Load(s, {}), want, "whole");
        for (std::size_t cut = 0; cut <= s.size(); ++cut) ExpectSameLoad(Load(s, {cut}), want, "cut");
        for (std::size_t cut = 0; cut < s.size(); ++cut)
            ExpectSameLoad(Load(s, {cut, cut, cut + 1}), want, "byte chunk");
    }
}

TEST(Cp932Decoder, RandomSplitsMatchWholeDecode) {
    std::mt19937 rng(20);
    for (int i = 0; i < 1500; ++i) {
        const std::string bytes = RandomBytes(rng, rng() % 200);
        std::vector<std::size_t> cuts;
        for (std::size_t n = rng() % 8; n > 0; --n) cuts.push_back(bytes.empty() ? 0 : rng() % bytes.size());
        std::sort(cuts.begin(), cuts.end());
        ExpectSameLoad(Load(bytes, cuts), ReferenceLoad(bytes), "random " + std::to_string(i));
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace oruvan
