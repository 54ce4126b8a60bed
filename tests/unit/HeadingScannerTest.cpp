#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>

#include "outline/HeadingScanner.h"
#include "platform/Cp932.h"
#include "platform/TextEncoding.h"

namespace oruvan {

// Failures show an entry as its line and the hex of its text.
static void PrintTo(const IndexEntry& e, std::ostream* os) {
    *os << e.line << ":";
    for (const unsigned char c : e.text) *os << ' ' << std::hex << int(c) << std::dec;
}

namespace {

using namespace std::string_literals;

const HeadingRules kDefaultRules{TitleMarksFromText(kDefaultTitleMarksText), true, false};

TEST(HeadingScannerTest, CutLine) {
    const std::string a4094(4094, 'a'), a4095(4095, 'a'), a4096(4096, 'a');
    struct Case {
        const char* name;
        std::string line;
        std::size_t length;
    };
    const Case cases[] = {
        {"short", "abc", 3},
        {"exactly 4096", a4096, 4096},
        {"4097 single bytes", a4096 + "b", 4096},
        {"pair across the cut", a4095 + "\x8c\xa9", 4095},
        {"pair before the cut", a4094 + "\x8c\xa9z", 4096},
        {"lead byte with no trail", a4095 + "\x81 ", 4096},
        {"trail that looks like a lead", a4094 + "\x95\x81\x81\xa1", 4096},
        {"lone lead at the very end", a4095 + "\x81", 4096},
    };
    for (const Case& c : cases) EXPECT_EQ(CutLine(c.line).size(), c.length) << c.name;
}

std::vector<int> Lines(const Index& index) {
    std::vector<int> lines;
    for (const IndexEntry& e : index) lines.push_back(e.line);
    return lines;
}

TEST(HeadingScannerTest, LineBreaks) {
    const HeadingRules markA{{"a"}, true, false};
    struct Case {
        std::string text;
        const HeadingRules& rules;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {"--a\r\n--b\r--c\n--d", kDefaultRules, {0, 1, 2, 3}},
        {"x\r\r\n--a\n\r--b", kDefaultRules, {2, 4}},
        {"", markA, {}},
        {"a\n", markA, {0}},  // nothing follows the last break: no line there
        {"\n\na", markA, {2}},
        {"a\r\n\r\na", markA, {0, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(Lines(ScanHeadingsCp932(c.text, c.rules)), c.lines) << c.text;
}

// A file read a block at a time: every split after a whole break numbers the lines as one text would.
TEST(HeadingScannerTest, PiecesContinueTheLineCount) {
    const std::string text = "--a\r\n\r\n--b\r--c\nx\n\n--d";
    const Index whole = ScanHeadingsCp932(text, kDefaultRules);
    ASSERT_EQ(Lines(whole), (std::vector<int>{0, 2, 3, 6}));
    for (std::size_t split = 0; split <= text.size(); ++split) {
        if (split > 0 && text[split - 1] == '\r' && split < text.size() && text[split] == '\n') continue;
        if (split > 0 && split < text.size() && text[split - 1] != '\n' && text[split - 1] != '\r') continue;
        HeadingScanner scanner(kDefaultRules);
        Index index;
        scanner.scanCp932(std::string_view(text).substr(0, split), index);
        scanner.scanCp932(std::string_view(text).substr(split), index);
        EXPECT_EQ(index, whole) << "split at " << split;
        EXPECT_EQ(scanner.linesRead(), 7);
    }
}

TEST(HeadingScannerTest, TheCutComesBeforeTrimming) {
    const Index index =
        ScanHeadingsCp932(std::string(4093, ' ') + "--x\n" + std::string(4094, ' ') + "--x\n" +
                              std::string(4095, ' ') + "--x\n" + std::string(5000, ' ') + "--x",
                          kDefaultRules);
    EXPECT_EQ(index, (Index{{"x", 0}, {"", 1}}));
}

std::vector<std::string_view> SplitLines(std::string_view cp932) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < cp932.size();) {
        std::size_t end = cp932.find_first_of("\r\n", start);
        if (end == std::string::npos) end = cp932.size();
        lines.push_back(cp932.substr(start, end - start));
        start = end + (cp932.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::vector<int> Levels(const Index& index) {
    std::vector<int> levels;
    for (const IndexEntry& e : index) levels.push_back(e.level);
    return levels;
}

// Every line through the heading test, with no shortcut.
Index PlainScan(const std::string& cp932, const HeadingRules& rules) {
    Index index;
    std::string text;
    const std::vector<std::string_view> lines = SplitLines(cp932);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (IsTitleLine(CutLine(lines[i]), rules, &text)) index.push_back({text, static_cast<int>(i)});
    return index;
}

// The lines the editor keeps by their own bytes: those that come back as other codes through UTF-8.
LineBytesList OwnLines(const std::string& cp932) {
    LineBytesList own;
    const std::vector<std::string_view> lines = SplitLines(cp932);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (Utf8ToCp932(Cp932ToUtf8(lines[i])) != lines[i]) own.emplace_back(static_cast<int>(i), lines[i]);
    return own;
}

// The buffer in cp932 with each character cp932 lacks as 0x7F, a byte no mark here holds, where the
// converter writes '?': such a character must not match a mark's '?'.
std::string StandInCp932(const std::string& utf8) {
    std::string marked;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        char32_t c = 0;
        const std::size_t n = ReadUtf8(p, end, c);
        if (n != 0 && !IsCp932Encodable(c))
            marked += '\x7f';
        else
            marked.append(reinterpret_cast<const char*>(p), n ? n : 1);
        p += n ? n : 1;
    }
    std::string cp932 = Utf8ToCp932(marked);
    return cp932;
}

Index StandInsShown(Index index) {
    for (IndexEntry& e : index) std::replace(e.text.begin(), e.text.end(), '\x7f', '?');
    return index;
}

// The entries with only their cp932 texts.
Index Cp932Only(Index index) {
    for (IndexEntry& e : index) e.utf8.clear();
    return index;
}

// The editor's scan must agree with converting its buffer back and scanning that, by characters.
void ExpectSameAsCp932Scan(const std::string& utf8, const HeadingRules& rules) {
    const std::string cp932 = Utf8ToCp932(utf8);
    ASSERT_EQ(ScanHeadingsCp932(cp932, rules), PlainScan(cp932, rules))
        << "buffer of " << utf8.size() << " bytes";
    ASSERT_EQ(Cp932Only(ScanHeadingsUtf8(utf8, rules)), StandInsShown(PlainScan(StandInCp932(utf8), rules)))
        << "buffer of " << utf8.size() << " bytes";
}

// True when cp932 bytes are whole characters, none of them a byte the converter keeps raw.
bool WholeCharacters(std::string_view cp932) {
    return Cp932ToUtf8(cp932).find("\xf4\x8f") == std::string::npos;
}

// Scanned in two pieces (cut after a whole break at or before `split`), UTF-8 text gives the lines of
// the editor's scan, and texts that convert to its cp932 ones. Only where a mark or a text holds half a
// character do they part: the UTF-8 text keeps whole characters.
void ExpectUtf8PiecesAgree(std::string_view utf8, const HeadingRules& rules, std::size_t split) {
    while (split > 0 && split < utf8.size() &&
           (utf8[split - 1] != '\n' && (utf8[split - 1] != '\r' || utf8[split] == '\n')))
        --split;
    HeadingScanner scanner(rules);
    Index pieces;
    scanner.scanUtf8(utf8.substr(0, split), pieces);
    scanner.scanUtf8(utf8.substr(split), pieces);
    const Index editor = ScanHeadingsUtf8(utf8, rules);
    ASSERT_EQ(Lines(pieces), Lines(editor)) << "split at " << split;
    const bool wholeMarks = std::all_of(rules.marks.begin(), rules.marks.end(), WholeCharacters);
    for (std::size_t i = 0; i < editor.size(); ++i) {
        if (wholeMarks && WholeCharacters(editor[i].text)) {
            ASSERT_EQ(Utf8ToCp932(pieces[i].text), editor[i].text) << "line " << editor[i].line;
            // The editor shows what the pieces' scan prints; the heading as written only where cp932
            // lacks a character of it.
            const std::string shown = editor[i].utf8.empty() ? Cp932ToUtf8(editor[i].text) : editor[i].utf8;
            if (DecodeText(Encoding::Utf8, pieces[i].text) == pieces[i].text) {
                ASSERT_EQ(shown, pieces[i].text) << "line " << editor[i].line;
            }
            if (!editor[i].utf8.empty()) {
                ASSERT_EQ(Utf8ToCp932(editor[i].utf8), editor[i].text) << "line " << editor[i].line;
                ASSERT_NE(editor[i].utf8, Cp932ToUtf8(editor[i].text)) << "line " << editor[i].line;
            }
        }
    }
}

// A UTF-8 file scanned as it stands, bytes that are not UTF-8 and all, gives what scanning the
// decoded text gives.
void ExpectUndecodedUtf8Agrees(const std::string& bytes, const HeadingRules& rules) {
    Index undecoded, decoded;
    HeadingScanner(rules).scanUtf8Bytes(bytes, undecoded);
    HeadingScanner(rules).scanUtf8(DecodeText(Encoding::Utf8, bytes), decoded);
    ASSERT_EQ(undecoded, decoded);
}

// The same for an EUC-JP file, whose lines that may be headings are decoded one by one.
void ExpectUndecodedEucJpAgrees(const std::string& bytes, const HeadingRules& rules) {
    Index undecoded, decoded;
    HeadingScanner(rules).scanEucJpBytes(bytes, undecoded);
    HeadingScanner(rules).scanUtf8(DecodeText(Encoding::EucJp, bytes), decoded);
    ASSERT_EQ(undecoded, decoded);
}

TEST(HeadingScannerTest, Utf8ScanAgreesOnCraftedLines) {
    const std::string raw81 = "\xf4\x8f\xba\x81";  // the raw-byte code point of a stray 0x81
    const std::string lines[] = {
        raw81 + "\xef\xbd\xa1x",  // stray lead + half-width 0xA1 convert back to a square
        raw81 + " x",
        "\xe2\x96\xa0x",  // square
        "\xef\xbc\xa1x",  // full-width A
        std::string(4094, ' ') + "\xe2\x96\xa0z",
        std::string(4095, ' ') + "\xe2\x96\xa0z",
        std::string(4095, 'a') + "\xe2\x96\xa0",
        std::string(4095, 'a') + raw81 + "A",  // a stray lead and a trail byte pair up across the cut
        "\xed\xa0\x80--",                      // not UTF-8: copied as bytes
        "\xc3\xa9--",                          // no cp932 code: '?', which no mark matches
        "\xf0\x9f\x98\x80--",
        "--\xf0\x9f\x98\x80",
        "\x81\x40--",
    };
    const TitleMarkList markSets[] = {
        {"--", "//@", "\x81\xa1"}, {"\x81"}, {"?"}, {"\x82\x81"}, {"\xed\xa0"}, {"\x81\xa1", ""}, {" x"},
        {"?--", "--?", "--"},
    };
    for (const TitleMarkList& marks : markSets)
        for (bool ignore : {true, false})
            for (const std::string& line : lines)
                ExpectSameAsCp932Scan(line + "\n", HeadingRules{marks, ignore, true});
    EXPECT_EQ(ScanHeadingsUtf8(raw81 + "\xef\xbd\xa1x", kDefaultRules), (Index{{"x", 0}}));
    // A character cp932 lacks converts to '?' yet matches no '?' of a mark.
    EXPECT_EQ(ScanHeadingsUtf8("\xf0\x9f\x98\x80 x\n--\xf0\x9f\x98\x80\n?\n",
                               HeadingRules{{"?", "--?", "--"}, true, false}),
              (Index{{"?", 1, 3, "\xf0\x9f\x98\x80"}, {"", 2}}));
}

// The editor's entries keep a heading as written beside its cp932 text only where cp932 lacks one of
// its characters, so that a Shift_JIS document carries nothing more.
TEST(HeadingScannerTest, EditorEntriesKeepWhatCp932Lacks) {
    const HeadingRules withMark{kDefaultRules.marks, true, true};
    struct Case {
        const char* name;
        std::string utf8;
        const HeadingRules& rules;
        LineBytesList own;
        Index expected;
    };
    const Case cases[] = {
        {"e acute", "--Caf\xc3\xa9\n", kDefaultRules, {}, {{"Caf?", 0, 2, "Caf\xc3\xa9"}}},
        {"hangul",
         "x\n//@\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4\n",
         kDefaultRules,
         {},
         {{"???", 1, 1, "\xed\x95\x9c\xea\xb5\xad\xec\x96\xb4"}}},
        {"emoji, mark kept",
         "\xe2\x96\xa0\xf0\x9f\x8e\x89 party\n",
         withMark,
         {},
         {{"\x81\xa1? party", 0, 3, "\xe2\x96\xa0\xf0\x9f\x8e\x89 party"}}},
        {"simplified Chinese, tab",
         "--\xe8\xbf\x99\tx\n",
         kDefaultRules,
         {},
         {{"?  x", 0, 2, "\xe8\xbf\x99  x"}}},
        {"a question mark of its own", "--Why?\n", kDefaultRules, {}, {{"Why?", 0, 2}}},
        // Written in the codes of the full-width forms, which read back as those.
        {"wave dash and cent sign as input methods type them",
         "--1\xe3\x80\x9c"
         "5\xc2\xa2\n",
         kDefaultRules,
         {},
         {{"1\x81\x60"
           "5\x81\x91",
           0, 2,
           "1\xe3\x80\x9c"
           "5\xc2\xa2"}}},
        {"kanji and full-width letters",
         "--\xe6\xbc\xa2\xef\xbc\xa1\n",
         kDefaultRules,
         {},
         {{"\x8a\xbf\x82\x60", 0, 2}}},
        {"a line kept by its own bytes",
         "--\xe2\x88\xb5\n",
         kDefaultRules,
         {{0, "--\xfa\x5b"}},
         {{"\xfa\x5b", 0, 2}}},
    };
    for (const Case& c : cases) {
        const Index index = ScanHeadingsUtf8(c.utf8, c.rules, c.own);
        EXPECT_EQ(index, c.expected) << c.name;
        EXPECT_EQ(Levels(index), Levels(c.expected)) << c.name;
    }
}

// A document read in another encoding: its headings keep every character, cp932 or not.
TEST(HeadingScannerTest, Utf8PiecesKeepTheirCharacters) {
    const std::string a4094(4094, 'a'), a4095(4095, 'a');
    const HeadingRules markA{{"a"}, false, true};  // the mark kept: the whole line is the text
    const HeadingRules withMark{kDefaultRules.marks, true, true};
    const HeadingRules fullWidthA{{"\x82\x60"}, true, false};  // full-width A
    struct Case {
        const char* name;
        std::string utf8;
        const HeadingRules& rules;
        Index expected;
    };
    const Case cases[] = {
        {"emoji", "--\xf0\x9f\x98\x80 emoji\n", kDefaultRules, {{"\xf0\x9f\x98\x80 emoji", 0}}},
        {"tabs after a square, an e acute",
         "\xe2\x96\xa0\t\xc3\xa9\tx \r\n",
         kDefaultRules,
         {{"  \xc3\xa9  x", 0}}},
        {"tab after a kanji ending in a lead byte",
         "--\xe4\xba\x9c\tY",
         kDefaultRules,
         {{"\xe4\xba\x9c  Y", 0}}},
        {"mark kept, blanks trimmed",
         "  \xe2\x96\xa0\xf0\x9f\x98\x80  \n",
         withMark,
         {{"\xe2\x96\xa0\xf0\x9f\x98\x80", 0}}},
        {"full-width letter case", "\xef\xbd\x81\xf0\x9f\x98\x80\n", fullWidthA, {{"\xf0\x9f\x98\x80", 0}}},
        {"CR, LF and CR LF", "x\r--a\r\n\r--b\n--c", kDefaultRules, {{"a", 1}, {"b", 3}, {"c", 4}}},
        {"kanji before the cut", a4094 + "\xe4\xba\x9c", markA, {{a4094 + "\xe4\xba\x9c", 0}}},
        {"kanji across the cut", a4095 + "\xe4\xba\x9c", markA, {{a4095, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t split = 0; split <= c.utf8.size();
             split += std::max<std::size_t>(1, c.utf8.size() / 7)) {
            Index index;
            HeadingScanner scanner(c.rules);
            const std::size_t cut = c.utf8.find_first_of("\r\n", split);
            const std::size_t at =
                cut == std::string::npos ? c.utf8.size() : cut + 1 + (c.utf8.compare(cut, 2, "\r\n") == 0);
            scanner.scanUtf8(std::string_view(c.utf8).substr(0, at), index);
            scanner.scanUtf8(std::string_view(c.utf8).substr(at), index);
            EXPECT_EQ(index, c.expected) << "split at " << at;
        }
    }
}

TEST(HeadingScannerTest, Utf8ScanAgreesOnRandomText) {
    const std::string pieces[] = {
        " ",    "\t",   "\x81\x40", "--",       "//@",      "\x81\xa1", "\x81",     "\x81 ",
        "a",    "A",    "#h",       "#H",       "\x82\x60", "\x82\x81", "\x8c\xa9", "\x87\x90",
        "\x80", "\xa0", "\xfd",     "\xb1",     "\x81\xad", "\r",       "\n",       "\n",
        "\r\n", "\0"s,  "?",        "\x95\x5c", "\xfa\x4a", "\x87\x54", "\xed\x40", "\xfa\x5c"};
    const std::string markPool[] = {
        "--", "//@",      "\x81\xa1", "\x81", "a",        "#H",    "\x82\x60", "",         " x",      "\x80",
        "?",  "\x8c\xa9", "\x81\xad", "\xb1", "\x87\x90", "-\x81", "\xfa\x4a", "\x87\x54", "\xed\x40"};
    const std::string utf8Noise[] = {"\x81", "\xc3", "\xed\xa0\x80", "\xf0\x9f\x98\x80", "\xc3\xa9", "\r"};
    std::mt19937 rng(12345);
    for (int round = 0; round < 400; ++round) {
        std::string cp932;
        for (int n = 0; n < 200; ++n) {
            if (rng() % 100 == 0) cp932 += std::string(4088 + rng() % 10, rng() % 2 ? ' ' : 'x');
            cp932 += pieces[rng() % std::size(pieces)];
        }
        std::string utf8 = Cp932ToUtf8(cp932);
        if (round % 4 == 0)
            for (int n = 0; n < 5; ++n)
                utf8.insert(rng() % (utf8.size() + 1), utf8Noise[rng() % std::size(utf8Noise)]);
        HeadingRules rules{{}, rng() % 2 == 0, rng() % 2 == 0};
        for (unsigned n = rng() % 4; n > 0; --n) rules.marks.push_back(markPool[rng() % std::size(markPool)]);
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameAsCp932Scan(utf8, rules);
        ExpectUtf8PiecesAgree(utf8, rules, rng() % (utf8.size() + 1));
        ExpectUndecodedUtf8Agrees(utf8, rules);
        ExpectUndecodedUtf8Agrees(EncodeText(Encoding::Utf8, utf8), rules);  // raw bytes as bytes
        ExpectUndecodedEucJpAgrees(EncodeText(Encoding::EucJp, utf8), rules);
        ExpectUndecodedEucJpAgrees(cp932, rules);  // broken and three-byte codes, stray 0x8E and 0x8F
        // Given the lines it keeps by their own bytes, the editor finds what the file's own scan finds.
        if (round % 4 != 0) {
            ASSERT_EQ(ScanHeadingsUtf8(utf8, rules, OwnLines(cp932)), PlainScan(cp932, rules));
        }
    }
}

// The level is the position of the mark that decided, whichever scan finds the heading.
TEST(HeadingScannerTest, LevelIsTheMatchingMarksPosition) {
    struct Case {
        const char* name;
        TitleMarkList marks;
        std::string text;
        std::vector<int> levels;
    };
    const Case cases[] = {
        {"default marks",
         TitleMarksFromText(kDefaultTitleMarksText),
         "\x81\xa1"
         "a\n--b\n//@c\nplain\n  --d\n",
         {3, 2, 1, 2}},
        {"the first match decides", {"--", "---"}, "---x\n--y\n", {1, 1}},
        {"longer mark first", {"---", "--"}, "---x\n--y\n", {1, 2}},
        {"case folded", {"#", "#h"}, "#H1\n", {1}},
        {"empty mark last is no mark", {"==", ""}, "==a\nb\n\n", {1}},
        {"empty mark first counts no level", {"", "=="}, "==a\n", {1}},
        {"blank line between marks",
         {"//@", "", "\x81\xa1"},
         "\x81\xa1"
         "a\nb\n\n//@c\n",
         {2, 1}},
        {"duplicate mark", {"==", "=="}, "==a\n", {1}},
    };
    for (const Case& c : cases) {
        const HeadingRules rules{c.marks, true, false};
        EXPECT_EQ(Levels(ScanHeadingsCp932(c.text, rules)), c.levels) << c.name;
        EXPECT_EQ(Levels(ScanHeadingsUtf8(Cp932ToUtf8(c.text), rules)), c.levels) << c.name;
    }
    // A line the editor keeps by its own bytes gets its level as well.
    const HeadingRules ibm{{"--", "\xfa\x4a"}, true, false};
    EXPECT_EQ(Levels(ScanHeadingsUtf8(Cp932ToUtf8("\xfa\x4ax\n"), ibm, {{0, "\xfa\x4ax"}})),
              (std::vector<int>{2}));
}

TEST(HeadingScannerTest, IndentationShowsTheLevel) {
    const IndexEntry first{"a", 0, 1}, third{"c", 0, 3};
    EXPECT_EQ(IndentedText(first, true), "a");
    EXPECT_EQ(IndentedText(third, true),
              "\x81\x40\x81\x40"
              "c");
    EXPECT_EQ(IndentedText(third, false), "c");
    EXPECT_EQ(LevelIndentBytes(third, true), 4u);
    EXPECT_EQ(LevelIndentBytes(third, false), 0u);
}

// Reports the time of both scans on a 20 MB document; the figures are for reading, not asserted.
}  // namespace
}  // namespace oruvan
