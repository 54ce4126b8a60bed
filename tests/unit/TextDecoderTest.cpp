#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "CodecTestSupport.h"
#include "platform/ConvertLoops.h"
#include "platform/Cp932.h"
#include "platform/TextDecoder.h"

namespace oruvan {
namespace {

struct DocumentCase {
    const char* name;
    Encoding encoding;
    std::string bytes;
    std::string text;
    std::vector<std::size_t> nonCanonicalLines;
    BreakCounts breaks;
    Encoding asRead;
};

class DocumentCaseTest : public ::testing::TestWithParam<DocumentCase> {};

// Breaks kept and counted, lines to keep reported with their bytes, and the document written back byte
// for byte; decoding in chunks split anywhere gives the same.
TEST_P(DocumentCaseTest, KeepsBreaksAndWritesBackTheSameBytes) {
    const DocumentCase& c = GetParam();
    const Decoded d = DecodeInChunks(TextDecoder(c.encoding), c.bytes, {});
    EXPECT_EQ(d.text, c.text) << c.name;
    std::vector<std::size_t> lines;
    for (const NonCanonicalLine& l : d.nonCanonical) lines.push_back(l.line);
    EXPECT_EQ(lines, c.nonCanonicalLines) << c.name;
    EXPECT_EQ(d.breaks.crlf, c.breaks.crlf) << c.name;
    EXPECT_EQ(d.breaks.lf, c.breaks.lf) << c.name;
    EXPECT_EQ(d.breaks.cr, c.breaks.cr) << c.name;
    EXPECT_EQ(d.lines, c.breaks.total()) << c.name;
    EXPECT_EQ(d.encoding, c.asRead) << c.name;
    EXPECT_EQ(WriteBack(c.bytes, d), c.bytes) << c.name;
    std::vector<std::size_t> bytewise;
    for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
        ASSERT_TRUE(DecodeInChunks(TextDecoder(c.encoding), c.bytes, {cut}) == d) << c.name << " " << cut;
        if (cut > 0 && cut < c.bytes.size()) bytewise.push_back(cut);
    }
    ASSERT_TRUE(DecodeInChunks(TextDecoder(c.encoding), c.bytes, bytewise, true) == d) << c.name;
    // The view of old: every break one LF.
    const Decoded lf = DecodeInChunks(TextDecoder(c.encoding, BreakMode::ToLf), c.bytes, {});
    std::string expected;
    for (std::size_t i = 0; i < c.text.size(); ++i) {
        if (c.text[i] == '\r' && i + 1 < c.text.size() && c.text[i + 1] == '\n') continue;
        expected += c.text[i] == '\r' ? '\n' : c.text[i];
    }
    EXPECT_EQ(lf.text, expected) << c.name;
    EXPECT_EQ(lf.nonCanonical, d.nonCanonical) << c.name;
}

const std::string kEsc = "\x1B";
const std::string kHiraganaA = U(0x3042);

const DocumentCase kDocumentCases[] = {
    {"cp932 mixed breaks",
     Encoding::ShiftJis,
     "a\r\n\x82\xA0\n\r\r\nb\r",
     "a\r\n" + kHiraganaA + "\n\r\r\nb\r",
     {},
     {2, 1, 2},
     Encoding::ShiftJis},
    {"cp932 NEC and IBM rows",
     Encoding::ShiftJis,
     "x\r\n\x87\x90 \xED\x40\r\n\x81\xE0\n\xFA\x5C",
     "x\r\n" + U(0x2252) + " " + U(0x7E8A) + "\r\n" + U(0x2252) + "\n" + U(0x7E8A),
     {1},
     {2, 1, 0},
     Encoding::ShiftJis},
    {"cp932 binary",
     Encoding::ShiftJis,
     std::string("\0\x82\r\xFF\n\x80\r\x85", 8),
     std::string(1, '\0') + Raw(0x82) + "\r" + Raw(0xFF) + "\n" + Raw(0x80) + "\r" + Raw(0x85),
     {},
     {0, 1, 2},
     Encoding::ShiftJis},
    {"euc-jp duplicates",
     Encoding::EucJp,
     "\xA4\xA2\n\xAD\xF0\r\n\x8F\xF3\xFD\n\xA2\xE2",
     kHiraganaA + "\n" + U(0x2252) + "\r\n" + U(0x2160) + "\n" + U(0x2252),
     {1, 2},
     {1, 2, 0},
     Encoding::EucJp},
    {"utf-8 with byte order mark",
     Encoding::Utf8,
     "\xEF\xBB\xBF"
     "a\r\n\xE3\x81\x82\xFF\n",
     "a\r\n" + kHiraganaA + Raw(0xFF) + "\n",
     {},
     {1, 1, 0},
     Encoding::Utf8Bom},
    {"utf-8 bom expected but absent",
     Encoding::Utf8Bom,
     "\xEF\xBB",
     Raw(0xEF) + Raw(0xBB),
     {},
     {},
     Encoding::Utf8},
    {"utf-16le with byte order mark",
     Encoding::Utf16Le,
     std::string("\xFF\xFE"
                 "a\0\r\0\n\0B0\r\0",
                 12),
     "a\r\n" + kHiraganaA + "\r",
     {},
     {1, 0, 1},
     Encoding::Utf16LeBom},
    {"utf-16be broken",
     Encoding::Utf16Be,
     std::string("\xD8\x0A\0\n\0\r\xDC", 7),
     Raw(0xD8) + Raw(0x0A) + "\n\r" + Raw(0xDC),
     {},
     {0, 1, 1},
     Encoding::Utf16Be},
    {"iso-2022-jp canonical and not",
     Encoding::Iso2022Jp,
     kEsc + "$B$\"" + kEsc + "(B\r\n" + kEsc + "$@$\"" + kEsc + "(B\r\nplain\r\n" + kEsc + "$B$\"\r\n" +
         kEsc + "(Bx",
     kHiraganaA + "\r\n" + kHiraganaA + "\r\nplain\r\n" + kHiraganaA + "\r\nx",
     {1, 3, 4},
     {4, 0, 0},
     Encoding::Iso2022Jp},
    {"iso-2022-jp escapes alone at the end go with the line before",
     Encoding::Iso2022Jp,
     "a\r\nb\n" + kEsc + "(I",
     "a\r\nb\n",
     {1},
     {1, 1, 0},
     Encoding::Iso2022Jp},
    {"iso-2022-jp escapes alone in the whole input show their bytes",
     Encoding::Iso2022Jp,
     kEsc + "(I" + kEsc + "$B",
     Raw(0x1B) + "(I" + Raw(0x1B) + "$B",
     {},
     {0, 0, 0},
     Encoding::Iso2022Jp},
};

INSTANTIATE_TEST_SUITE_P(Table, DocumentCaseTest, ::testing::ValuesIn(kDocumentCases));

TEST(TextDecoder, ReportsTheBytesOfEachLineToKeep) {
    const std::string bytes =
        "\xEF\xBB\xBF"
        "ab\r\n" +
        kEsc;
    const Decoded utf8 = DecodeInChunks(TextDecoder(Encoding::Utf8), bytes, {1, 2});
    EXPECT_TRUE(utf8.nonCanonical.empty());
    const std::string jis = "ok\n" + kEsc + "$@$\"" + kEsc + "(B\r\n\n" + kEsc + "(Jx";
    const Decoded d = DecodeInChunks(TextDecoder(Encoding::Iso2022Jp), jis, {5});
    const std::vector<NonCanonicalLine> want = {{1, 3, 11}, {3, 14, 18}};
    EXPECT_EQ(d.nonCanonical, want);
    // Escapes alone on a last line with no break after it: the line before, up to the end.
    EXPECT_EQ(DecodeInChunks(TextDecoder(Encoding::Iso2022Jp), jis + "\r" + kEsc + "(I", {}).nonCanonical,
              (std::vector<NonCanonicalLine>{{1, 3, 11}, {3, 14, 22}}));
    const std::string sjis = "\xEF\xBB\xBF\r\n\x87\x90";
    const Decoded s = DecodeInChunks(TextDecoder(Encoding::ShiftJis), sjis, {});
    EXPECT_EQ(s.nonCanonical, (std::vector<NonCanonicalLine>{{1, 5, 7}}));
    EXPECT_EQ(DecodeInChunks(TextDecoder(Encoding::ShiftJis), sjis, {}).encoding, Encoding::ShiftJis);
}

// Long text goes through the decoders' block loops, which find where units start 64 bytes at a time; a
// byte at a time it goes through the step alone. Pieces that break a unit, keep a code's bytes, end a
// line or run on for many bytes, strung at random across the blocks' edges, read alike both ways.
TEST(TextDecoder, BlockLoopsReadAsTheStepAlone) {
    const std::vector<std::string> shared = {"\r", "\n", "\r\n", "a", " ", "~", std::string(1, '\0'),
                                             std::string(17, 'x'), std::string(70, 'y')};
    const std::vector<std::string> cp932 = {
        "\x82\xA0", "\x88\x9F", "\x81\x40", "\x83\x80", "\xB1", "\xDF", "\x87\x90", "\xED\x40",
        "\xFA\x4A", "\x85\x40", "\x81",     "\x81\x0A", "\x80",     "\xA0",     "\xFD",     "\x82\x82\x82",
        "\x84\x40", "\x81\x7F"};
    const std::vector<std::string> eucJp = {
        "\xA4\xA2", "\xB0\xA1", "\x8E\xB1", "\x8E\xE0", "\x8F\xF3\xFD", "\x8F\xB0\xA1", "\xAD\xF0",
        "\xA9\xA1", "\xA1",     "\x8E",     "\x8F\xA1", "\xFE\xFE", "\x80",     "\xA4\xA4\xA4", "\xA6\xA1"};
    const std::vector<std::string> utf8 = {
        "\xE3\x81\x82", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xF4\x8F\xB8\x80", "\xF4\x8F\xBF\xBF",
        "\xED\xA0\x80", "\xE0\x80\x80", "\xC0\xAF",     "\xE3\x81",         "\xBF",
        "\xFF",         "\xF8\x88\x80\x80\x80"};
    std::mt19937 rng(2026);
    for (const auto& [encoding, own] : {std::pair{Encoding::ShiftJis, cp932}, {Encoding::EucJp, eucJp},
                                        {Encoding::Utf8, utf8}}) {
        for (int round = 0; round < 60; ++round) {
            std::string bytes;
            while (bytes.size() < 600) {
                const auto& pool = rng() % 3 == 0 ? shared : own;
                // Runs of one piece bring a unit's bytes to every place in a block.
                for (unsigned n = rng() % 4 == 0 ? rng() % 40 : 1; n > 0; --n) bytes += pool[rng() % pool.size()];
            }
            SCOPED_TRACE(EncodingName(encoding) + std::string(" round ") + std::to_string(round));
            const Decoded whole = DecodeInChunks(TextDecoder(encoding), bytes, {});
            std::vector<std::size_t> bytewise;
            for (std::size_t cut = 1; cut < bytes.size(); ++cut) bytewise.push_back(cut);
            ASSERT_TRUE(DecodeInChunks(TextDecoder(encoding), bytes, bytewise) == whole);
            const std::size_t cut = rng() % bytes.size();
            ASSERT_TRUE(DecodeInChunks(TextDecoder(encoding), bytes, {cut}) == whole);
            ASSERT_EQ(WriteBack(bytes, whole), bytes);
            // The one-shot conversion and the view of old read the text alike.
            const Decoded lf = DecodeInChunks(TextDecoder(encoding, BreakMode::ToLf), bytes, {});
            ASSERT_EQ(lf.nonCanonical, whole.nonCanonical);
            if (encoding == Encoding::ShiftJis) {
                ASSERT_EQ(Cp932ToUtf8(bytes), whole.text);
            }
        }
    }
}

// The check of 64 bytes of UTF-8 at once, sixteen or 32 at a time, says what reading them a character at a
// time says: valid or not (a file's own character from U+100000 up counting as not), the bytes of a
// character cut at the end, and where the breaks are.
TEST(TextDecoder, BlockCheckOfUtf8ReadsAsCharacters) {
    if (!detail::HasUtf8BlockCheck()) GTEST_SKIP() << "no block check on this processor";
    const std::vector<std::string> pieces = {"a", "\r", "\n", "\xE3\x81\x82", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                             "\xF4\x8F\xB8\x80", "\xED\xA0\x80", "\xE0\x80\x80", "\xE0\xA0\x80",
                                             "\xC0\xAF", "\xC2\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80",
                                             "\xF3\xBF\xBF\xBF", "\xBF", "\xFF", "\xE3\x81", "\xF0\x9F", "\xF0\x8F\xBF\xBF",
                                             "\xF5\x80\x80\x80", "\xC1\xBF", "\xEF\xBF"};
    std::mt19937 rng(64);
    for (int round = 0; round < 20000; ++round) {
        std::string block;
        // Mostly valid: one bad piece in four rounds.
        while (block.size() < 70) {
            const std::string& piece = pieces[rng() % (round % 4 == 0 ? pieces.size() : 15)];
            block += piece == "\xF4\x8F\xB8\x80" && round % 4 != 0 ? "x" : piece;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(block.data());
        bool valid = true;
        std::size_t at = 0, cut = 0;
        std::uint64_t breaks = 0;
        while (at < 64 && valid) {
            if (p[at] == '\r' || p[at] == '\n') breaks |= std::uint64_t(1) << at;
            const unsigned char lead = p[at];
            const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            if (at + length > 64) {
                // Cut: judged on the bytes the 64 hold, a lead byte alone on no more than itself.
                valid = lead != 0xF4 && (at == 63 ? lead >= 0xC0 : IsUtf8Prefix(p + at, p + 64));
                cut = 64 - at;
                break;
            }
            char32_t c = 0;
            const std::size_t n = ReadUtf8(p + at, p + block.size(), c);
            valid = n != 0 && c < 0x100000;
            at += n;
        }
        SCOPED_TRACE(::testing::PrintToString(block.substr(0, 64)));
        for (const auto check : {&detail::CheckUtf8Block16, &detail::CheckUtf8Block32}) {
            if (check == &detail::CheckUtf8Block32 && !detail::HasUtf8BlockCheck32()) continue;
            std::uint64_t gotBreaks = 0;
            std::size_t gotCut = 0;
            ASSERT_EQ(check(p, gotBreaks, gotCut), valid);
            if (!valid) continue;
            ASSERT_EQ(gotCut, cut);
            ASSERT_EQ(gotBreaks, breaks);
        }
    }
}

}  // namespace
}  // namespace oruvan
