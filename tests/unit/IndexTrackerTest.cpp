#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "outline/IndexTracker.h"

namespace oruvan {
namespace {

const HeadingRules kDefaultRules{TitleMarksFromText(kDefaultTitleMarksText), true, false};
// An empty mark among others, which marks nothing, and a mark that many lines begin with.
const HeadingRules kWithEmptyMark{{"--", "", "x"}, false, false};

// A text that reports its edits as the view does, and whose lines end as the view's do.
class EditedText : public TextAccess {
public:
    explicit EditedText(std::string text) : m_text(std::move(text)) {}

    void insert(IndexTracker& t, long pos, const std::string& s) {
        t.beforeInsert(*this, pos, static_cast<long>(s.size()));
        m_text.insert(static_cast<std::size_t>(pos), s);
    }
    void erase(IndexTracker& t, long pos, long n) {
        t.beforeDelete(*this, pos, n);
        m_text.erase(static_cast<std::size_t>(pos), static_cast<std::size_t>(n));
    }
    const std::string& str() const { return m_text; }

    long length() const override { return static_cast<long>(m_text.size()); }
    std::string_view range(long start, long end) const override {
        return std::string_view(m_text).substr(static_cast<std::size_t>(start),
                                               static_cast<std::size_t>(end - start));
    }
    long lineCount() const override { return static_cast<long>(starts().size()); }
    long lineFromPosition(long pos) const override {
        const std::vector<long> s = starts();
        return static_cast<long>(std::upper_bound(s.begin(), s.end(), pos) - s.begin()) - 1;
    }
    long positionFromLine(long line) const override {
        const std::vector<long> s = starts();
        return line < static_cast<long>(s.size()) ? s[static_cast<std::size_t>(line)] : length();
    }

private:
    std::vector<long> starts() const {
        std::vector<long> s{0};
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            if (m_text[i] == '\r' && i + 1 < m_text.size() && m_text[i + 1] == '\n') ++i;
            if (m_text[i] == '\r' || m_text[i] == '\n') s.push_back(static_cast<long>(i + 1));
        }
        return s;
    }
    std::string m_text;
};

// Brings the index up to date through the tracker, as the re-index timer does.
void Follow(IndexTracker& tracker, const EditedText& text, Index& index, const HeadingRules& rules) {
    ASSERT_TRUE(tracker.linesTracked(text));
    ApplySplices(index, tracker.update(text, index, rules));
    tracker.indexed();
}

TEST(IndexTrackerTest, EditsAgainstAWholeScan) {
    struct Edit {
        bool insert;
        long pos;
        std::string text;  // inserted, or as many bytes deleted
    };
    struct Case {
        const char* name;
        std::string before;
        std::vector<Edit> edits;
    };
    const Case cases[] = {
        {"a heading typed on a new line", "--a\nb\n--c", {{true, 5, "\n"}, {true, 6, "-"}, {true, 7, "-x"}}},
        {"a heading's mark deleted", "--a\n--b\n--c\n", {{false, 4, "-"}}},
        {"lines pasted above headings", "x\n--a\n--b", {{true, 0, "--p\nq\n--r\n"}}},
        {"a deletion spanning headings", "--a\nx\n--b\ny\n--c\nz", {{false, 2, "a\nx\n--b\ny\n--"}}},
        {"an LF meeting a CR", "--a\r--b\n--c", {{true, 4, "\n"}}},
        {"a CR LF split", "--a\r\n--b\n--c", {{true, 4, "--d"}}},
        {"a CR LF made by deleting between", "--a\rx\n--b", {{false, 4, "x"}}},
        {"an empty last line typed into", "--a\n", {{true, 4, "--b"}}},
        {"the last line emptied", "--a\n--b", {{false, 4, "--b"}}},
        {"everything deleted", "--a\n--b\n", {{false, 0, "--a\n--b\n"}}},
        {"edits far apart",
         "--a\nx\nx\nx\n--b\nx\nx\n--c",
         {{true, 0, "--z\n"}, {true, 24, "\n--y"}, {false, 4, "--a\n"}}},
        {"a span meeting another",
         "--a\nx\n--b\nx\n--c",
         {{true, 5, "\n--n"}, {true, 14, "\n"}, {false, 3, "\nx"}}},
        {"characters cp932 lacks typed into a heading",
         "--a\n--b",
         {{true, 3, "\xed\x95\x9c"}, {true, 0, "--\xc3\xa9\n"}}},
        {"the last character cp932 lacks deleted", "--a\xc3\xa9\n--b", {{false, 3, "\xc3\xa9"}}},
    };
    for (const HeadingRules* rules : {&kDefaultRules, &kWithEmptyMark}) {
        for (const Case& c : cases) {
            EditedText text(c.before);
            Index index = ScanHeadingsUtf8(text.str(), *rules);
            IndexTracker tracker;
            tracker.indexed();
            for (const Edit& e : c.edits) {
                if (e.insert)
                    text.insert(tracker, e.pos, e.text);
                else
                    text.erase(tracker, e.pos, static_cast<long>(e.text.size()));
            }
            EXPECT_EQ(tracker.unchanged(text), std::optional<bool>(text.str() == c.before)) << c.name;
            Follow(tracker, text, index, *rules);
            EXPECT_EQ(index, ScanHeadingsUtf8(text.str(), *rules)) << c.name;
        }
    }
}

TEST(IndexTrackerTest, ComparisonWithTheIndexedText) {
    EditedText text("--a\nbody\n--b\n");
    IndexTracker tracker;
    tracker.indexed();
    EXPECT_EQ(tracker.unchanged(text), true);
    text.insert(tracker, 5, "x");
    text.erase(tracker, 5, 1);
    EXPECT_EQ(tracker.unchanged(text), true) << "typed and deleted again";
    text.erase(tracker, 4, 4);
    text.insert(tracker, 4, "BODY");
    EXPECT_EQ(tracker.unchanged(text), false) << "same length, other bytes";
    tracker.compared();
    EXPECT_EQ(tracker.unchanged(text), true);
    // Deleting more than the window keeps (a section of megabytes moved) leaves the answer unknown
    // rather than copying the whole text.
    text.insert(tracker, 0, std::string(ChangeWindow::kMaxKept + 1, 'x'));
    EXPECT_EQ(tracker.unchanged(text), false);
    tracker.compared();
    text.erase(tracker, 0, static_cast<long>(ChangeWindow::kMaxKept + 1));
    EXPECT_EQ(tracker.unchanged(text), std::nullopt);
    tracker.compared();
    EXPECT_EQ(tracker.unchanged(text), true);
    tracker.lost();
    EXPECT_EQ(tracker.unchanged(text), std::nullopt);
    EXPECT_TRUE(tracker.wholeScanNeeded(text));
}

// Lines kept with their own bytes: only the touched lines' are asked for, and those are tested on them.
TEST(IndexTrackerTest, OwnBytesOfTheTouchedLinesAlone) {
    EditedText text("--a\nx\nx\nx\n--b\n");
    Index index = ScanHeadingsUtf8(text.str(), kDefaultRules);
    IndexTracker tracker;
    tracker.indexed();
    text.insert(tracker, 6, "y");
    const LineBytesList own{{2, "--c"}};
    std::vector<std::pair<long, long>> asked;
    ApplySplices(index, tracker.update(text, index, kDefaultRules, [&](long first, long end) {
        asked.emplace_back(first, end);
        return own;
    }));
    EXPECT_EQ(asked, (std::vector<std::pair<long, long>>{{2, 3}}));
    EXPECT_EQ(index, ScanHeadingsUtf8(text.str(), kDefaultRules, own));
}

TEST(IndexTrackerTest, TooManyStretchesNeedAWholeScan) {
    std::string body;
    for (int i = 0; i < 200; ++i) body += "--h\nline\n";
    EditedText text(body);
    IndexTracker tracker;
    tracker.indexed();
    for (long pos = 0; pos < 199 * 9; pos += 18) text.insert(tracker, pos, "x");
    EXPECT_FALSE(tracker.linesTracked(text));
    EXPECT_EQ(tracker.unchanged(text), false);
}

// Random edits of random pieces, undone at times, checked against a whole scan after every few.
TEST(IndexTrackerTest, RandomEditsMatchAWholeScan) {
    const std::vector<std::string> pieces = {
        "--", "//@",  "\xE2\x96\xA0", "x",         "見出し",      " ",           "\t",          "\r",
        "\n", "\r\n", "--a\n",        "\n--b\r\n", "body text\n", "Caf\xC3\xA9", "\xED\x95\x9C"};
    std::mt19937 rng(20240611);
    auto pick = [&](long n) { return static_cast<long>(rng() % static_cast<unsigned long>(n)); };
    for (const HeadingRules* rules : {&kDefaultRules, &kWithEmptyMark}) {
        EditedText text("--one\nbody\n--two\r\nmore\r--three\n");
        IndexTracker tracker;
        Index index = ScanHeadingsUtf8(text.str(), *rules);
        tracker.indexed();
        std::string indexedText = text.str();
        for (int round = 0; round < 3000; ++round) {
            const int edits = 1 + pick(6);
            std::vector<std::pair<long, std::string>> undo;  // deletions to take back insertions
            for (int k = 0; k < edits; ++k) {
                if (text.length() > 0 && pick(3) == 0) {
                    const long pos = pick(text.length());
                    text.erase(tracker, pos, 1 + pick(std::min(40L, text.length() - pos)));
                } else {
                    const long pos = pick(text.length() + 1);
                    const std::string& s =
                        pieces[static_cast<std::size_t>(pick(static_cast<long>(pieces.size())))];
                    text.insert(tracker, pos, s);
                    undo.emplace_back(pos, s);
                }
            }
            // Taking the insertions back in reverse, while each still stands where it was put.
            const bool takeBack = pick(4) == 0;
            for (auto it = undo.rbegin(); takeBack && it != undo.rend(); ++it) {
                const auto at = static_cast<std::size_t>(it->first);
                if (at + it->second.size() > text.str().size() ||
                    text.str().compare(at, it->second.size(), it->second))
                    break;
                text.erase(tracker, it->first, static_cast<long>(it->second.size()));
            }
            ASSERT_EQ(tracker.unchanged(text), std::optional<bool>(text.str() == indexedText)) << round;
            if (text.length() > 4000) text.erase(tracker, 0, text.length() - 1000);
            Follow(tracker, text, index, *rules);
            ASSERT_EQ(index, ScanHeadingsUtf8(text.str(), *rules)) << "round " << round << ": " << text.str();
            indexedText = text.str();
        }
    }
}

}  // namespace
}  // namespace oruvan
