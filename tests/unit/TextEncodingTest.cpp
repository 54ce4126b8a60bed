#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CodecTestSupport.h"
#include "platform/Cp932.h"
#include "platform/EucJp.h"
#include "platform/TextEncoding.h"

namespace oruvan {
namespace {

const Encoding kAllEncodings[] = {Encoding::ShiftJis, Encoding::Utf8,       Encoding::Utf8Bom,
                                  Encoding::EucJp,    Encoding::Utf16Le,    Encoding::Utf16LeBom,
                                  Encoding::Utf16Be,  Encoding::Utf16BeBom, Encoding::Iso2022Jp};

struct CodecCase {
    const char* name;
    Encoding encoding;
    std::string bytes;
    std::string utf8;
    // What EncodeText gives back when it is not `bytes` (a code that is not canonical).
    std::string canonical = {};
};

class CodecCaseTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecCaseTest, DecodesAndEncodes) {
    const CodecCase& c = GetParam();
    EXPECT_EQ(DecodeText(c.encoding, c.bytes), c.utf8) << c.name;
    EXPECT_EQ(EncodeText(c.encoding, c.utf8), c.canonical.empty() ? c.bytes : c.canonical) << c.name;
}

const std::string kEsc = "\x1B";

const CodecCase kCodecCases[] = {
    {"euc ascii and breaks", Encoding::EucJp, "a\\~\r\nb\rc\n", "a\\~\r\nb\rc\n"},
    {"euc hiragana", Encoding::EucJp, "\xA4\xA2", U(0x3042)},
    {"euc half-width katakana", Encoding::EucJp, "\x8E\xB1\x8E\xDF", U(0xFF71) + U(0xFF9F)},
    {"euc JIS X 0212", Encoding::EucJp, "\x8F\xB0\xA1", U(0x4E02)},
    {"euc IBM extension", Encoding::EucJp, "\x8F\xF4\xFB", U(0x9AD9)},
    {"euc user-defined rows", Encoding::EucJp, "\xF5\xA1\x8F\xF5\xA1", U(0xE000) + U(0xE3AC)},
    {"euc NEC row 13 shares with JIS", Encoding::EucJp, "\xAD\xF0", U(0x2252), "\xA2\xE2"},
    {"euc IBM shares with NEC row 13", Encoding::EucJp, "\x8F\xF3\xFD", U(0x2160), "\xAD\xB5"},
    {"euc C1 and 0xFF are raw", Encoding::EucJp, "\x80\x85\xA0\xFF",
     Raw(0x80) + Raw(0x85) + Raw(0xA0) + Raw(0xFF)},
    {"euc lead before ASCII", Encoding::EucJp,
     "\xA4"
     "A",
     Raw(0xA4) + "A"},
    {"euc lone lead at end", Encoding::EucJp, "a\xA4", "a" + Raw(0xA4)},
    {"euc unassigned pair", Encoding::EucJp, "\xA9\xA1", Raw(0xA9) + Raw(0xA1)},
    {"euc unassigned triple", Encoding::EucJp, "\x8F\xA1\xA1", Raw(0x8F) + Raw(0xA1) + Raw(0xA1)},
    {"euc SS2 before ASCII", Encoding::EucJp,
     "\x8E"
     "A",
     Raw(0x8E) + "A"},
    {"euc SS3 cut short", Encoding::EucJp,
     "\x8F\xB0"
     "A",
     Raw(0x8F) + Raw(0xB0) + "A"},
    {"utf-8 text", Encoding::Utf8, "a\xE3\x81\x82\xF0\x9F\x98\x80\r\n",
     "a" + U(0x3042) + U(0x1F600) + "\r\n"},
    {"utf-8 invalid bytes", Encoding::Utf8, "\x80\xC0\xAF\xFF",
     Raw(0x80) + Raw(0xC0) + Raw(0xAF) + Raw(0xFF)},
    {"utf-8 surrogate", Encoding::Utf8, "\xED\xA0\x80", Raw(0xED) + Raw(0xA0) + Raw(0x80)},
    {"utf-8 past U+10FFFF", Encoding::Utf8, "\xF4\x90\x80\x80",
     Raw(0xF4) + Raw(0x90) + Raw(0x80) + Raw(0x80)},
    {"utf-8 cut at end", Encoding::Utf8, "x\xE3\x81", "x" + Raw(0xE3) + Raw(0x81)},
    {"utf-8 cut before ASCII", Encoding::Utf8,
     "\xE3\x81"
     "a",
     Raw(0xE3) + Raw(0x81) + "a"},
    {"utf-8 own raw-byte code point", Encoding::Utf8, "\xF4\x8F\xB9\x81",
     Raw(0xF4) + Raw(0x8F) + Raw(0xB9) + Raw(0x81)},
    {"utf-8 byte order mark inside", Encoding::Utf8, "a\xEF\xBB\xBF", "a" + U(0xFEFF)},
    {"utf-16le text", Encoding::Utf16Le, std::string("A\0B0\r\0\n\0", 8), "A" + U(0x3042) + "\r\n"},
    {"utf-16be text", Encoding::Utf16Be, std::string("\0A0B\0\r", 6), "A" + U(0x3042) + "\r"},
    {"utf-16le pair", Encoding::Utf16Le, std::string("\x3D\xD8\0\xDE", 4), U(0x1F600)},
    {"utf-16be nul", Encoding::Utf16Be, std::string("\0\0", 2), std::string(1, '\0')},
    {"utf-16le lone high surrogate", Encoding::Utf16Le,
     std::string("\x3D\xD8"
                 "A\0",
                 4),
     Raw(0x3D) + Raw(0xD8) + "A"},
    {"utf-16be lone low surrogate", Encoding::Utf16Be, std::string("\xDE\0", 2), Raw(0xDE) + Raw(0x00)},
    {"utf-16le high surrogate at end", Encoding::Utf16Le, "\x3D\xD8", Raw(0x3D) + Raw(0xD8)},
    {"utf-16le odd last byte", Encoding::Utf16Le, std::string("A\0B", 3), "A" + Raw('B')},
    {"utf-16le raw-byte code point", Encoding::Utf16Le, "\xFF\xDB\x41\xDE",
     Raw(0xFF) + Raw(0xDB) + Raw(0x41) + Raw(0xDE)},
    {"jis ascii", Encoding::Iso2022Jp, "plain\r\n", "plain\r\n"},
    {"jis kanji then ascii", Encoding::Iso2022Jp, kEsc + "$BF|K\\" + kEsc + "(Babc",
     U(0x65E5) + U(0x672C) + "abc"},
    {"jis back to ascii before each break", Encoding::Iso2022Jp,
     kEsc + "$B$\"" + kEsc + "(B\n" + kEsc + "$B$\"" + kEsc + "(B", U(0x3042) + "\n" + U(0x3042)},
    {"jis half-width katakana", Encoding::Iso2022Jp, kEsc + "(I1_" + kEsc + "(B", U(0xFF71) + U(0xFF9F)},
    {"jis NEC row 13", Encoding::Iso2022Jp, kEsc + "$B-!" + kEsc + "(B", U(0x2460)},
    {"jis 1978 set", Encoding::Iso2022Jp, kEsc + "$@$\"" + kEsc + "(B", U(0x3042),
     kEsc + "$B$\"" + kEsc + "(B"},
    {"jis roman set reads as ascii", Encoding::Iso2022Jp, kEsc + "(J\\~", "\\~", "\\~"},
    {"jis X 0212", Encoding::Iso2022Jp, kEsc + "$(D0!" + kEsc + "(B", U(0x4E02), "?"},
    {"jis break ends a shift", Encoding::Iso2022Jp, kEsc + "$B$\"\n$\"", U(0x3042) + "\n$\"",
     kEsc + "$B$\"" + kEsc + "(B\n$\""},
    {"jis high bytes are raw", Encoding::Iso2022Jp, "\x82\xA0", Raw(0x82) + Raw(0xA0)},
    {"jis unassigned code", Encoding::Iso2022Jp, kEsc + "$B)!" + kEsc + "(B", Raw(')') + Raw('!'), ")!"},
    {"jis unknown escape", Encoding::Iso2022Jp, kEsc + "[1m", kEsc + "[1m"},
    {"jis escapes alone between CR and LF", Encoding::Iso2022Jp, "a\r" + kEsc + "(B" + kEsc + "$B\nb",
     "a\r" + Raw(0x1B) + "(B" + Raw(0x1B) + "$B\nb"},
    {"jis space inside kanji", Encoding::Iso2022Jp, kEsc + "$B$\" $\"" + kEsc + "(B",
     U(0x3042) + " " + U(0x3042), kEsc + "$B$\"" + kEsc + "(B " + kEsc + "$B$\"" + kEsc + "(B"},
};

INSTANTIATE_TEST_SUITE_P(Table, CodecCaseTest, ::testing::ValuesIn(kCodecCases));

// Every code of one, two and three bytes decodes as the system's EUC-JP-MS does (raw bytes where it
// refuses, and for the C1 bytes it passes through) and encodes back to itself or to the canonical code.
TEST(EucJpCodec, EveryCodeMatchesSystemConverterAndRoundTrips) {
    ASSERT_TRUE(IsEucJpConverterAvailable());
    std::vector<std::string> codes;
    for (unsigned b = 0; b < 0x100; ++b) codes.push_back(std::string(1, char(b)));
    for (unsigned t = 0xA1; t <= 0xDF; ++t) codes.push_back(std::string{'\x8E', char(t)});
    for (unsigned a = 0xA1; a <= 0xFE; ++a)
        for (unsigned b = 0xA1; b <= 0xFE; ++b) {
            codes.push_back(std::string{char(a), char(b)});
            codes.push_back(std::string{'\x8F', char(a), char(b)});
        }
    int nonCanonical = 0;
    for (const std::string& bytes : codes) {
        const Decoded d = DecodeInChunks(TextDecoder(Encoding::EucJp), bytes, {});
        std::string expected;
        if (bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) {
            expected = bytes;
        } else if (bytes.size() == 1 || !SystemConvert("UTF-8", "EUC-JP-MS", bytes, expected)) {
            expected.clear();
            for (char b : bytes) expected += Raw(static_cast<unsigned char>(b));
        }
        ASSERT_EQ(d.text, expected) << bytes.size() << " " << std::hex
                                    << int(static_cast<unsigned char>(bytes[1]));
        const std::string back = EncodeText(Encoding::EucJp, d.text);
        if (d.nonCanonical.empty()) {
            ASSERT_EQ(back, bytes);
        } else {
            ++nonCanonical;
            std::string systemChoice;
            ASSERT_TRUE(SystemConvert("EUC-JP-MS", "UTF-8", d.text, systemChoice));
            EXPECT_EQ(back, systemChoice);
            EXPECT_EQ(DecodeText(Encoding::EucJp, back), d.text);
        }
    }
    EXPECT_GT(nonCanonical, 20);
}

// Text every encoding holds, written as the system converter writes it.
TEST(TextEncoding, EncodesAsSystemConverter) {
    const std::string text = "Text " + U(0x65E5) + U(0x672C) + U(0x8A9E) + U(0x3042) + U(0x30A2) + U(0x2460) +
                             " 1\r\n" + U(0x3000) + "(" + U(0xFF5E) + ")\n";
    const std::pair<Encoding, const char*> encodings[] = {{Encoding::ShiftJis, "CP932"},
                                                          {Encoding::EucJp, "EUC-JP-MS"},
                                                          {Encoding::Utf8, "UTF-8"},
                                                          {Encoding::Utf16Le, "UTF-16LE"},
                                                          {Encoding::Utf16Be, "UTF-16BE"}};
    for (const auto& [encoding, charset] : encodings) {
        std::string expected;
        ASSERT_TRUE(SystemConvert(charset, "UTF-8", text, expected)) << charset;
        EXPECT_EQ(EncodeText(encoding, text), expected) << charset;
        EXPECT_EQ(DecodeText(encoding, expected), text) << charset;
    }
    // The system's ISO-2022-JP maps the wave dash and NEC row 13 otherwise; the rest agrees.
    const std::string jis = "Text " + U(0x65E5) + U(0x672C) + " " + U(0x3042) + "\r\nx" + U(0x30A2) + "\n";
    std::string expected;
    ASSERT_TRUE(SystemConvert("ISO-2022-JP", "UTF-8", jis, expected));
    EXPECT_EQ(EncodeText(Encoding::Iso2022Jp, jis), expected);
}

// What input methods type for 〜 − ‖ — ¢ £ ¬ is written as the code files hold for them, as the system
// converter writes it; those codes still read as they always did.
TEST(TextEncoding, TypedFormsWriteTheCodesFilesHold) {
    struct Row {
        char32_t typed;
        char32_t read;
        std::string sjis;
        std::string euc;
    };
    const Row rows[] = {
        {0x301C, 0xFF5E, "\x81\x60", "\xA1\xC1"}, {0x2212, 0xFF0D, "\x81\x7C", "\xA1\xDD"},
        {0x2016, 0x2225, "\x81\x61", "\xA1\xC2"}, {0x2014, 0x2015, "\x81\x5C", "\xA1\xBD"},
        {0x00A2, 0xFFE0, "\x81\x91", "\xA1\xF1"}, {0x00A3, 0xFFE1, "\x81\x92", "\xA1\xF2"},
        {0x00AC, 0xFFE2, "\x81\xCA", "\xA2\xCC"},
    };
    for (const Row& r : rows) {
        const std::string typed = "1" + U(r.typed) + "5";
        std::string jis = r.euc;
        for (char& b : jis) b = static_cast<char>(b & 0x7F);
        const std::pair<Encoding, std::string> written[] = {
            {Encoding::ShiftJis, "1" + r.sjis + "5"},
            {Encoding::EucJp, "1" + r.euc + "5"},
            {Encoding::Iso2022Jp, "1" + kEsc + "$B" + jis + kEsc + "(B5"},
        };
        for (const auto& [e, bytes] : written) {
            EXPECT_TRUE(IsEncodable(e, r.typed)) << EncodingName(e) << std::hex << " " << r.typed;
            EXPECT_FALSE(FindUnwritable(e, typed).has_value())
                << EncodingName(e) << std::hex << " " << r.typed;
            EXPECT_EQ(EncodeText(e, typed), bytes) << EncodingName(e) << std::hex << " " << r.typed;
            EXPECT_EQ(DecodeText(e, bytes), "1" + U(r.read) + "5")
                << EncodingName(e) << std::hex << " " << r.typed;
        }
        std::string system;
        ASSERT_TRUE(SystemConvert("CP932", "UTF-8", typed, system));
        EXPECT_EQ(system, written[0].second) << std::hex << r.typed;
        ASSERT_TRUE(SystemConvert("EUC-JP-MS", "UTF-8", typed, system));
        EXPECT_EQ(system, written[1].second) << std::hex << r.typed;
    }
}

TEST(TextEncoding, RandomTextRoundTripsThroughEveryEncoding) {
    std::mt19937 rng(2022);
    const char32_t pool[] = {'a',    ' ',    '\t',   0x3042, 0x30A2,  0xFF71, 0x65E5, 0x2460,
                             0x2252, 0xFF5E, 0xE000, 0x4E02, 0x1F600, 0xE9,   0x00A5, kRawByteBase + 0x80,
                             0x1B};
    for (int i = 0; i < 500; ++i) {
        std::string text;
        for (std::size_t n = rng() % 20; n > 0; --n) text += U(pool[rng() % std::size(pool)]);
        for (Encoding e : kAllEncodings) {
            // What the encoding holds comes back; the rest became '?'.
            std::string held;
            for (std::size_t k = 0; k < text.size();) {
                char32_t c = 0;
                const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + k;
                const std::size_t n = ReadUtf8(p, p + (text.size() - k), c);
                held += IsEncodable(e, c) ? text.substr(k, n) : "?";
                k += n;
            }
            const std::string bytes = EncodeText(e, text);
            // A raw byte in UTF-16 moves every code unit after it.
            if (IsUnicode(e) && !IsEncodable(e, kRawByteBase + 0x80) &&
                text.find("\xF4") != std::string::npos)
                continue;
            ASSERT_EQ(DecodeText(e, bytes), held) << EncodingName(e) << " " << i;
        }
    }
}

TEST(TextEncoding, Encodable) {
    struct Row {
        Encoding e;
        char32_t c;
        bool encodable;
    };
    const Row rows[] = {
        {Encoding::ShiftJis, 0x3042, true},
        {Encoding::ShiftJis, 0x4E02, false},
        {Encoding::ShiftJis, 0x1F600, false},
        {Encoding::EucJp, 0x4E02, true},
        {Encoding::EucJp, 0xE757, true},
        {Encoding::EucJp, 0x301C, true},
        {Encoding::EucJp, 0x00A5, false},
        {Encoding::EucJp, 0x85, false},
        {Encoding::Iso2022Jp, 0x3042, true},
        {Encoding::Iso2022Jp, 0xFF71, true},
        {Encoding::Iso2022Jp, 0x2460, true},
        {Encoding::Iso2022Jp, 0x4E02, false},
        {Encoding::Iso2022Jp, 0x9AD9, false},
        {Encoding::Utf8, 0x1F600, true},
        {Encoding::Utf16Be, 0x10FFFF, true},
        {Encoding::Utf8, 0xD800, false},
        {Encoding::Utf16Le, 0x110000, false},
        {Encoding::Utf8, kRawByteBase + 0x80, true},
        {Encoding::EucJp, kRawByteBase + 0xFF, true},
        {Encoding::Utf16Le, kRawByteBase + 0x80, false},
        {Encoding::Utf8, kRawByteBase + '\n', false},
        {Encoding::ShiftJis, kRawByteBase + '\r', false},
        {Encoding::Iso2022Jp, 0, true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(IsEncodable(r.e, r.c), r.encodable) << EncodingName(r.e) << std::hex << " " << r.c;
}

// Unencodable: what may not enter a document or change to its encoding. Unwritable (saving): what would be
// written as '?'; raw bytes write as themselves.
TEST(TextEncoding, FindsFirstUnencodableCharacterAndItsLine) {
    struct Row {
        Encoding e;
        std::string utf8;
        std::optional<Unencodable> first;
        bool saving = false;
    };
    const std::string emoji = U(0x1F600), kanji0212 = U(0x4E02);
    const Row rows[] = {
        {Encoding::ShiftJis, "1" + U(0x301C) + "5\n" + U(0x2603), Unencodable{6, 1, 0x2603}, true},
        {Encoding::EucJp, "a" + Raw(0x80) + "\n" + U(0x20BB7), Unencodable{6, 1, 0x20BB7}, true},
        {Encoding::Iso2022Jp, U(0x3042) + "\r\n" + kanji0212, Unencodable{5, 1, 0x4E02}, true},
        {Encoding::Utf16Le, "a\n" + Raw('\n') + Raw(0x80), std::nullopt, true},
        {Encoding::Utf8, emoji + Raw('\r'), std::nullopt, true},
        {Encoding::ShiftJis, "plain ascii text\r\nand more", std::nullopt},
        {Encoding::ShiftJis, "a\r\nb\nc\rd" + emoji + kanji0212, Unencodable{8, 3, 0x1F600}},
        {Encoding::EucJp, "long line of ascii\n" + U(0x3042) + kanji0212 + emoji,
         Unencodable{25, 1, 0x1F600}},
        {Encoding::Iso2022Jp, "x\r\n\r\n" + kanji0212, Unencodable{5, 2, 0x4E02}},
        {Encoding::Utf8, emoji + kanji0212 + Raw(0x80) + "\xFF", std::nullopt},
        {Encoding::Utf16Le, "a\n" + Raw('\n'), Unencodable{2, 1, kRawByteBase + '\n'}},
    };
    for (const Row& r : rows) {
        const std::optional<Unencodable> got =
            r.saving ? FindUnwritable(r.e, r.utf8) : FindUnencodable(r.e, r.utf8);
        ASSERT_EQ(got.has_value(), r.first.has_value()) << r.utf8;
        if (!got) continue;
        EXPECT_EQ(got->offset, r.first->offset) << r.utf8;
        EXPECT_EQ(got->line, r.first->line) << r.utf8;
        EXPECT_EQ(got->c, r.first->c) << r.utf8;
    }
}

TEST(TextEncoding, NamesAndByteOrderMarks) {
    const std::pair<Encoding, const char*> names[] = {
        {Encoding::ShiftJis, "Shift_JIS"},   {Encoding::Utf8, "UTF-8"},
        {Encoding::Utf8Bom, "UTF-8 BOM"},    {Encoding::EucJp, "EUC-JP"},
        {Encoding::Utf16Le, "UTF-16LE"},     {Encoding::Utf16LeBom, "UTF-16LE"},
        {Encoding::Utf16Be, "UTF-16BE"},     {Encoding::Utf16BeBom, "UTF-16BE"},
        {Encoding::Iso2022Jp, "ISO-2022-JP"}};
    for (const auto& [e, name] : names) {
        EXPECT_STREQ(EncodingName(e), name);
        EXPECT_EQ(EncodingFromName(name), WithByteOrderMark(e, e == Encoding::Utf8Bom)) << name;
        EXPECT_EQ(WithByteOrderMark(WithByteOrderMark(e, true), false), WithByteOrderMark(e, false));
        EXPECT_EQ(ByteOrderMark(e).empty(), WithByteOrderMark(e, false) == e) << name;
    }
    EXPECT_EQ(EncodingFromName("sjis"), Encoding::ShiftJis);
    EXPECT_EQ(EncodingFromName("Utf-8"), Encoding::Utf8);
    EXPECT_EQ(EncodingFromName("euc-jp"), Encoding::EucJp);
    EXPECT_EQ(EncodingFromName("iso-2022-JP"), Encoding::Iso2022Jp);
    EXPECT_EQ(EncodingFromName("auto"), std::nullopt);
    EXPECT_EQ(EncodingFromName("utf-8x"), std::nullopt);
    EXPECT_EQ(ByteOrderMark(Encoding::Utf16BeBom), "\xFE\xFF");
    for (Encoding e : kAllEncodings) EXPECT_EQ(EncodeText(e, std::string_view()), "") << EncodingName(e);
    EXPECT_EQ(WithByteOrderMark(Encoding::EucJp, true), Encoding::EucJp);
    EXPECT_TRUE(IsUnicode(Encoding::Utf16BeBom));
    EXPECT_FALSE(IsUnicode(Encoding::Iso2022Jp));
}

TEST(TextEncoding, DominantAndMixedBreaks) {
    struct Row {
        BreakCounts counts;
        LineBreak dominant;
        bool mixed;
    };
    const Row rows[] = {
        {{0, 0, 0}, LineBreak::CrLf, false}, {{0, 5, 0}, LineBreak::Lf, false},
        {{0, 0, 1}, LineBreak::Cr, false},   {{3, 3, 0}, LineBreak::CrLf, true},
        {{1, 4, 2}, LineBreak::Lf, true},    {{0, 2, 2}, LineBreak::Lf, true},
        {{1, 0, 2}, LineBreak::Cr, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.counts.dominant(), r.dominant) << r.counts.crlf << r.counts.lf << r.counts.cr;
        EXPECT_EQ(r.counts.mixed(), r.mixed) << r.counts.crlf << r.counts.lf << r.counts.cr;
    }
    EXPECT_STREQ(LineBreakName(LineBreak::CrLf), "CRLF");
    EXPECT_EQ(LineBreakText(LineBreak::Cr), "\r");
}

}  // namespace
}  // namespace oruvan
