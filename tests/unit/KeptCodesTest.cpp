#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/KeptCodes.h"

namespace oruvan {
namespace {

const std::string kEsc = "\x1B";

struct RunsCase {
    const char* name;
    Encoding encoding;
    std::string line;
    std::string lineBreak;
    std::vector<KeptRun> runs;
};

class KeptRunsTest : public ::testing::TestWithParam<RunsCase> {};

TEST_P(KeptRunsTest, FindsTheSmallestRuns) {
    const RunsCase& c = GetParam();
    EXPECT_EQ(FindKeptRuns(c.encoding, c.line, c.lineBreak), c.runs);
}

const RunsCase kRunsCases[] = {
    {"Shift_JIS codes apart",
     Encoding::ShiftJis,
     "\x87\x90"
     "A\xED\x40",
     "\r\n",
     {{0, 3, "\x87\x90"}, {4, 7, "\xED\x40"}}},
    {"Shift_JIS canonical codes",
     Encoding::ShiftJis,
     "\x81\xE0"
     "A\xFA\x5C",
     "\r\n",
     {}},
    {"EUC-JP NEC row", Encoding::EucJp, "\xAD\xF0x", "\n", {{0, 3, "\xAD\xF0"}}},
    {"JIS X 0212 between ASCII",
     Encoding::Iso2022Jp,
     "a" + kEsc + "$(D0!" + kEsc + "(Bb",
     "\r\n",
     {{1, 4, kEsc + "$(D0!" + kEsc + "(B"}}},
    {"JIS X 0212 beside JIS X 0208, cut at the escape",
     Encoding::Iso2022Jp,
     kEsc + "$B0!" + kEsc + "$(D0!" + kEsc + "(B",
     "\r\n",
     {{0, 3, kEsc + "$B0!"}, {3, 6, kEsc + "$(D0!" + kEsc + "(B"}}},
    {"JIS X 0208 canonical beside ESC $ @",
     Encoding::Iso2022Jp,
     kEsc + "$B0!" + kEsc + "(Ba" + kEsc + "$@0!" + kEsc + "(B",
     "\r\n",
     {{4, 7, kEsc + "$@0!" + kEsc + "(B"}}},
    {"escape to ASCII goes with the next character",
     Encoding::Iso2022Jp,
     kEsc + "(Bab",
     "\n",
     {{0, 1, kEsc + "(Ba"}}},
    {"escape at the line's end goes with the last character",
     Encoding::Iso2022Jp,
     "ab" + kEsc + "$B",
     "\n",
     {{1, 2, "b" + kEsc + "$B"}}},
    {"escape to ASCII goes with the byte no set reads after it",
     Encoding::Iso2022Jp,
     kEsc + "$B0!" + kEsc + "(B\x80",
     "\n",
     {{0, 3, kEsc + "$B0!"}, {3, 7, kEsc + "(B\x80"}}},
    {"escapes alone go with the break", Encoding::Iso2022Jp, kEsc + "(B", "\r\n", {{0, 2, kEsc + "(B\r\n"}}},
    {"escapes alone after the last break go with it",
     Encoding::Iso2022Jp,
     kEsc + "$B0!",
     "\n" + kEsc + "(I",
     {{0, 3, kEsc + "$B0!"}, {3, 4, "\n" + kEsc + "(I"}}},
    {"escapes alone before and after the last break",
     Encoding::Iso2022Jp,
     kEsc + "(B",
     "\r\n" + kEsc + "(I",
     {{0, 2, kEsc + "(B\r\n" + kEsc + "(I"}}},
};

INSTANTIATE_TEST_SUITE_P(Table, KeptRunsTest, ::testing::ValuesIn(kRunsCases));

// Lines of random pieces: kept by their runs they come back as read, and with a character typed anywhere
// outside the runs they read back as the text edited, ISO-2022-JP sets included.
TEST(KeptCodes, RunsWriteLinesBackAndEditsReadBack) {
    const std::vector<std::pair<Encoding, std::vector<std::string>>> pieces = {
        {Encoding::ShiftJis, {"a", "\x87\x90", "\xED\x40", "\x81\xE0", "\x88\x9F", "\xFA\x5C", "\xB1"}},
        {Encoding::EucJp, {"a", "\xAD\xF0", "\xA2\xE2", "\xB0\xA1", "\x8F\xB0\xA1", "\x8E\xB1"}},
        {Encoding::Iso2022Jp,
         {"a", kEsc + "$B", kEsc + "$@", kEsc + "(B", kEsc + "(J", kEsc + "(I", kEsc + "$(D", "0!", "$\"",
          "\\", kEsc + "[1m"}},
    };
    std::mt19937 rng(7);
    for (const auto& [encoding, choices] : pieces) {
        for (int round = 0; round < 400; ++round) {
            std::string line;
            for (unsigned n = 1 + rng() % 8; n > 0; --n) line += choices[rng() % choices.size()];
            const std::string text = DecodeText(encoding, line + "\r\n");
            std::vector<std::string> texts;
            std::vector<KeptSpan> spans;
            const std::vector<KeptRun> runs = FindKeptRuns(encoding, line, "\r\n");
            texts.reserve(runs.size());
            for (const KeptRun& r : runs) {
                texts.push_back(DecodeText(encoding, r.bytes));
                spans.push_back({r.begin, r.end, r.bytes, texts.back()});
            }
            std::string out;
            ASSERT_TRUE(EncodeKeeping(encoding, text, spans, out));
            ASSERT_EQ(out, line + "\r\n") << EncodingName(encoding) << " " << line;
            // Bytes no set reads (raw-byte code points) are written as they are in any set.
            if (text.find("\xF4\x8F") != std::string::npos) continue;
            for (const std::string typed : {"x", "\xE4\xBA\x9C"}) {
                for (std::size_t at = 0; at < text.size(); ++at) {
                    bool inside = (text[at] & 0xC0) == 0x80;
                    std::vector<KeptSpan> moved;
                    for (KeptSpan s : spans) {
                        inside = inside || (s.begin < at && at < s.end);
                        if (s.begin >= at) s.begin += typed.size(), s.end += typed.size();
                        moved.push_back(s);
                    }
                    if (inside) continue;
                    const std::string edited = text.substr(0, at) + typed + text.substr(at);
                    out.clear();
                    EncodeKeeping(encoding, edited, moved, out);
                    ASSERT_EQ(DecodeText(encoding, out), edited)
                        << EncodingName(encoding) << " " << line << " " << at;
                }
            }
        }
    }
}

// Text is written in pieces of whole lines, each spilled as it comes; kept bytes in between.
TEST(KeptCodes, SpillsInWholeLines) {
    const std::string text = "ab\r\ncd\xE2\x89\x92\nef\rgh";
    const std::vector<KeptSpan> spans = {{6, 9, "\x87\x90", "\xE2\x89\x92"}};
    std::vector<std::string> spilled;
    std::string out;
    ASSERT_TRUE(EncodeKeeping(Encoding::ShiftJis, text, spans, out, 3, [&](std::string& piece) {
        spilled.push_back(piece);
        piece.clear();
        return true;
    }));
    spilled.push_back(out);
    EXPECT_EQ(spilled, (std::vector<std::string>{"ab\r\n", "cd\x87\x90\n", "ef\r", "gh"}));
    EXPECT_FALSE(EncodeKeeping(Encoding::ShiftJis, text, spans, out, 3, [](std::string&) { return false; }));
}

}  // namespace
}  // namespace oruvan
