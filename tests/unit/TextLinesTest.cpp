// The line splitter and the break scans against a plain reading of the text: lines end at CR LF, a lone
// LF or a lone CR; the splitter's 64-byte blocks and the tally's 8-byte steps cut anywhere.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/TextLines.h"

namespace oruvan {
namespace {

struct Piece {
    std::size_t start, end, breakEnd;  // the line [start, end), its break [end, breakEnd)
};

std::vector<Piece> PlainLines(std::string_view s) {
    std::vector<Piece> lines;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t end = start;
        while (end < s.size() && s[end] != '\r' && s[end] != '\n') ++end;
        std::size_t after = end;
        if (after < s.size()) after += s.compare(after, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({start, end, after});
        start = after;
    }
    return lines;
}

void ExpectAgrees(const std::string& s) {
    const std::vector<Piece> plain = PlainLines(s);
    LineSplitter splitter(s);
    std::string_view line, brk;
    long breaks = 0, lone = 0;
    for (const Piece& p : plain) {
        ASSERT_TRUE(splitter.next(line, brk)) << s;
        EXPECT_EQ(line, std::string_view(s).substr(p.start, p.end - p.start)) << s;
        EXPECT_EQ(brk, std::string_view(s).substr(p.end, p.breakEnd - p.end)) << s;
        breaks += p.breakEnd > p.end;
        lone += p.breakEnd - p.end == 1;
    }
    EXPECT_FALSE(splitter.next(line, brk)) << s;
    const BreakTally tally = TallyBreaks(s);
    EXPECT_EQ(tally.breaks, breaks) << s;
    EXPECT_EQ(tally.lone, lone) << s;

    for (std::size_t from = 0; from <= s.size(); ++from) {
        std::size_t length = 99;
        const std::size_t at = NextBreak(s, from, length);
        std::size_t want = from;
        while (want < s.size() && s[want] != '\r' && s[want] != '\n') ++want;
        ASSERT_EQ(at, want) << s << " from " << from;
        const bool crlf = s.compare(at, 2, "\r\n") == 0;
        ASSERT_EQ(length, at == s.size() ? 0u : crlf ? 2u : 1u) << s << " from " << from;
        if (at < s.size()) {
            const auto* p = reinterpret_cast<const unsigned char*>(s.data());
            LineBreak kind;
            const unsigned char* next = BreakEnd(p + at, p + s.size(), true, kind);
            EXPECT_EQ(next - (p + at), static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(LineBreakText(kind), s.substr(at, length));
            // A CR that ends the input waits for an LF that may come.
            const bool waits = s[at] == '\r' && at + 1 == s.size();
            EXPECT_EQ(BreakEnd(p + at, p + s.size(), false, kind) == nullptr, waits);
        }
    }
    for (std::size_t limit = 0; limit <= s.size(); ++limit) {
        for (const bool more : {false, true}) {
            // The last break that starts before limit; a CR that ends the text counts only when no more
            // can follow.
            std::size_t want = std::string_view::npos;
            for (const Piece& p : plain) {
                if (p.breakEnd == p.end || p.end >= limit) continue;
                if (more && p.breakEnd == s.size() && s.back() == '\r') continue;
                want = p.breakEnd;
            }
            EXPECT_EQ(LastBreakEnd(s, 0, limit, more), want) << s << " limit " << limit << " " << more;
        }
    }
}

TEST(TextLines, AgreeWithAPlainReading) {
    const std::string rows[] = {"",
                                "a",
                                "\r",
                                "\n",
                                "\r\n",
                                "\n\r",
                                "a\rb\nc\r\nd\n\re\r\r\n",
                                "no break at the end",
                                "ends in CR\r",
                                std::string(63, 'x') + "\r\n" + std::string(70, 'y'),
                                std::string(64, 'x') + "\r\nz",
                                std::string(127, 'x') + "\r\n\r",
                                std::string("\0a\0\r\n\0", 6),
                                "\xE3\x81\x82\r\xE3\x81\x82\n"};
    for (const std::string& row : rows) ExpectAgrees(row);
}

TEST(TextLines, AgreeOnRandomText) {
    std::mt19937 rng(11);
    const char alphabet[] = {'\r', '\n', 'a', ' ', '\x0E', '\x0D', '\x0A', '\x80'};
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 200, ' ');
        for (char& c : s) c = alphabet[rng() % sizeof alphabet];
        ExpectAgrees(s);
    }
}

}  // namespace
}  // namespace oruvan
