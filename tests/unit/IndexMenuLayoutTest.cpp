#include <gtest/gtest.h>

#include <string>

#include "outline/IndexMenuLayout.h"
#include "platform/Cp932.h"

namespace oruvan {
namespace {

using Item = IndexMenuItem;
const Item kSep{Item::Separator, -1};
const Item kPage{Item::PageItem, -1};

// An index of n entries named "e0", "e1", ...; the entries listed in `lines` have the text "-".
Index MakeIndex(int n, std::initializer_list<int> lines = {}) {
    Index index;
    for (int i = 0; i < n; ++i) index.push_back({"e" + std::to_string(i), i});
    for (int i : lines) index[static_cast<std::size_t>(i)].text = "-";
    return index;
}

TEST(IndexMenuLayoutTest, PageCount) {
    const std::pair<int, int> cases[] = {{0, 0}, {-1, 0}, {1, 1}, {16, 1}, {17, 2}, {32, 2}, {33, 3}};
    for (const auto& [n, pages] : cases) EXPECT_EQ(IndexMenuPageCount(n), pages) << n;
    EXPECT_TRUE(IndexMenuPage(MakeIndex(17), 2, true).empty());
    EXPECT_TRUE(IndexMenuPage(MakeIndex(17), -1, true).empty());
    EXPECT_TRUE(IndexMenuPage(MakeIndex(0), 0, false).empty());
}

// Every entry shows once, in order; every page but the last ends its chain with one page item.
TEST(IndexMenuLayoutTest, PagesCoverTheIndex) {
    for (bool head : {true, false}) {
        for (int n : {1, 15, 16, 17, 31, 32, 33, 48, 49, 1000}) {
            SCOPED_TRACE(std::to_string(n) + (head ? " head" : " tail"));
            int nextEntry = 0;
            const int pages = IndexMenuPageCount(n);
            const Index index = MakeIndex(n);
            for (int page = 0; page < pages; ++page) {
                const std::vector<Item> items = IndexMenuPage(index, page, head);
                const bool last = page + 1 == pages;
                ASSERT_EQ(items.size(), last ? std::size_t(n - 16 * page) : 18u);
                std::size_t first = 0;
                if (!last && head) {
                    ASSERT_EQ(items[0], kPage);
                    ASSERT_EQ(items[1], kSep);
                    first = 2;
                } else if (!last) {
                    ASSERT_EQ(items[16], kSep);
                    ASSERT_EQ(items[17], kPage);
                }
                for (std::size_t i = first; i < first + (last ? items.size() : 16); ++i)
                    ASSERT_EQ(items[i], (Item{Item::Entry, nextEntry++}));
            }
            EXPECT_EQ(nextEntry, n);
        }
    }
}

// A page as text: an entry's number, "-n" for entry n shown as a line, "|" the page's separator, ">" the
// page item.
std::string Describe(const std::vector<Item>& items) {
    std::string out;
    for (const Item& item : items) {
        if (!out.empty()) out += ' ';
        if (item == kSep)
            out += '|';
        else if (item == kPage)
            out += '>';
        else
            out += (item.kind == Item::Separator ? "-" : "") + std::to_string(item.entry);
    }
    return out;
}

std::string Numbers(int first, int last) {
    std::string out;
    for (int i = first; i <= last; ++i) out += (i > first ? " " : "") + std::to_string(i);
    return out;
}

// Entries "-" become separator lines, and the menu leaves out a separator at a page's top or bottom or
// right after another one.
TEST(IndexMenuLayoutTest, SeparatorLines) {
    struct Case {
        const char* name;
        Index index;
        int page;
        bool head;
        std::string expected;
    };
    const Case cases[] = {
        {"one between entries", MakeIndex(3, {1}), 0, true, "0 -1 2"},
        {"two in a row", MakeIndex(4, {1, 2}), 0, true, "0 -1 3"},
        {"first and last", MakeIndex(4, {0, 3}), 0, true, "1 2"},
        {"nothing but lines", MakeIndex(3, {0, 1, 2}), 0, true, ""},
        {"after the page separator", MakeIndex(17, {0}), 0, true, "> | " + Numbers(1, 15)},
        {"before the page separator", MakeIndex(17, {15}), 0, false, Numbers(0, 14) + " -15 >"},
        {"a page of lines keeps its page item",
         MakeIndex(33, {16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}), 1, true, ">"},
        {"last page starts with a line", MakeIndex(18, {16}), 1, true, "17"},
        {"last page ends with a line", MakeIndex(18, {17}), 1, false, "16"},
        {"two dashes are no line", {{"--", 0}, {"e1", 1}}, 0, true, "0 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(IndexMenuPage(c.index, c.page, c.head)), c.expected);
    }
}

std::string Repeat(const std::string& s, int times) {
    std::string out;
    while (times-- > 0) out += s;
    return out;
}

TEST(IndexMenuLayoutTest, ShortenMenuCaption) {
    const std::string a38(38, 'a'), a39(39, 'a'), a40(40, 'a');
    struct Case {
        const char* name;
        std::string text, expected;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"40 bytes", a40, a40},
        {"41 bytes", a40 + "b", a40 + "..."},
        {"byte 40 leads a kanji", a39 + "\x8c\xa9z", a39 + "\x8c\xa9.."},
        {"kanji ends at byte 40", a38 + "\x8c\xa9z", a38 + "\x8c\xa9..."},
        {"byte 40 is a trail that looks like a lead", a38 + "\x95\x81\x81\xa1", a38 + "\x95\x81..."},
        {"byte 40 is a lead before a blank", a39 + "\x81 zzzz", a39 + "\x81 .."},
        {"byte 40 is a lead before an invalid trail", a39 + "\x81\x7f", a39 + "\x81\x7f.."},
        {"byte 40 is the second of two lead bytes", a38 + "\x81\x81 z", a38 + "\x81\x81..."},
        {"kanji only", Repeat("\x8c\xa9", 21), Repeat("\x8c\xa9", 20) + "..."},
        {"kanji after one byte", "a" + Repeat("\x8c\xa9", 21), "a" + Repeat("\x8c\xa9", 20) + ".."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string caption = ShortenMenuCaption(c.text);
        EXPECT_EQ(caption, c.expected);
        if (c.text.size() > 40) {
            EXPECT_EQ(caption.size(), 43u);
        }
        // Read from another encoding, whole characters are cut the same way.
        if (Cp932ToUtf8(c.text).find("\xf4\x8f") == std::string::npos) {
            EXPECT_EQ(ShortenMenuCaptionUtf8(Cp932ToUtf8(c.text)), Cp932ToUtf8(c.expected));
        }
    }
}

// Characters cp932 lacks count as the status bar counts them: wide ones two columns, others one.
TEST(IndexMenuLayoutTest, ShortenMenuCaptionUtf8) {
    const std::string a38(38, 'a'), a39(39, 'a');
    const std::string emoji = "\xf0\x9f\x98\x80", kanji = "\xe4\xba\x9c", eAcute = "\xc3\xa9";
    struct Case {
        const char* name;
        std::string text, expected;
    };
    const Case cases[] = {
        {"emoji, 40 columns", emoji + a38, emoji + a38},
        {"emoji, 41 columns", emoji + a39, emoji + a38 + "..."},
        {"emoji in the last column", a39 + emoji + "z", a39 + emoji + ".."},
        {"e acute in the last column", a39 + eAcute + "z", a39 + eAcute + "..."},
        {"kanji in the last column", a39 + kanji + "z", a39 + kanji + ".."},
        {"kanji ends in the last column", a38 + kanji + emoji, a38 + kanji + "..."},
    };
    for (const Case& c : cases) EXPECT_EQ(ShortenMenuCaptionUtf8(c.text), c.expected) << c.name;
}

TEST(IndexMenuLayoutTest, AccessKeys) {
    struct Case {
        const char* name;
        std::vector<std::string> texts, expected;
        std::vector<bool> utf8{};  // the texts of headings cp932 cannot hold
    };
    const std::string next = kNextPageCaption;
    const Case cases[] = {
        {"first free character", {"Alpha", "apple", "Apricot"}, {"&Alpha", "a&pple", "Ap&ricot"}},
        {"case does not matter", {"b", "B", "bB"}, {"&b", "B", "bB"}},
        {"letters and digits first", {"(1) x", "(2) x", "(1) y"}, {"(&1) x", "(&2) x", "(1) &y"}},
        {"then other characters", {"a-b", "a-b", "a-b", "a-b"}, {"&a-b", "a-&b", "a&-b", "a-b"}},
        {"blanks make no key", {"a", " a"}, {"&a", " a"}},
        {"the page item keeps its key", {next, ">x", "x"}, {next, ">&x", "x"}},
        {"a key already marked is taken", {"z", "&zed"}, {"z", "&zed"}},
        {"a literal ampersand is no key", {"&&a", "&&"}, {"&&&a", "&&"}},
        {"separators have none", {"", "a", ""}, {"", "&a", ""}},
        {"kanji when nothing else is left",
         {"\x8c\xa9\x8f\x6f", "\x8c\xa9"},
         {"&\x8c\xa9\x8f\x6f", "\x8c\xa9"}},
        {"full-width letters fold", {"\x82\x60", "\x82\x81"}, {"&\x82\x60", "\x82\x81"}},
        {"a lead byte with no trail is no key", {"\x81 a", "\x81 a"}, {"\x81 &a", "\x81 a"}},
        {"half-width katakana", {"\xb1", "\xb1"}, {"&\xb1", "\xb1"}},
        {"a character cp932 lacks makes no key",
         {"\xc3\xa9t\xc3\xa9", "\xed\x95\x9c", "?\xc3\xa9"},
         {"\xc3\xa9&t\xc3\xa9", "\xed\x95\x9c", "&?\xc3\xa9"},
         {true, true, true}},
        {"UTF-8 and cp932 texts share the keys", {"Caf\xc3\xa9", "cafe"}, {"&Caf\xc3\xa9", "c&afe"}, {true}},
        {"a kanji in UTF-8 is its cp932 code",
         {"\xe6\xbc\xa2", "\x8a\xbf"},
         {"&\xe6\xbc\xa2", "\x8a\xbf"},
         {true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> texts = c.texts;
        AssignAccessKeys(texts, c.utf8);
        EXPECT_EQ(texts, c.expected);
    }
    EXPECT_EQ(EscapeMenuText("Tom & Jerry &&"), "Tom && Jerry &&&&");
}

TEST(IndexMenuLayoutTest, Captions) {
    EXPECT_EQ(kNextPageCaption, Utf8ToCp932("次のページ (&>)"));
    EXPECT_TRUE(IsSeparatorCaption("-"));
    EXPECT_FALSE(IsSeparatorCaption("--"));
    EXPECT_FALSE(IsSeparatorCaption(" -"));
}

}  // namespace
}  // namespace oruvan
