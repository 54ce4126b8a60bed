#include <gtest/gtest.h>

#include <string>

#include "outline/IndexMenuLayout.h"
#include "platform/Cp932.h"

namespace oruvan {
namespace {

using Item = IndexMenuItem;
const Item kSep{Item::Separator, -1};
const Item kPage{Item::PageItem, -1};

TEST(IndexMenuLayoutTest, PageCount) {
    const std::pair<int, int> cases[] = {{0, 0}, {-1, 0}, {1, 1}, {16, 1}, {17, 2}, {32, 2}, {33, 3}};
    for (const auto& [n, pages] : cases) EXPECT_EQ(IndexMenuPageCount(n), pages) << n;
    EXPECT_TRUE(IndexMenuPage(17, 2, true).empty());
    EXPECT_TRUE(IndexMenuPage(17, -1, true).empty());
    EXPECT_TRUE(IndexMenuPage(0, 0, false).empty());
}

// Every entry shows once, in order; every page but the last ends its chain with one page item.
TEST(IndexMenuLayoutTest, PagesCoverTheIndex) {
    for (bool head : {true, false}) {
        for (int n : {1, 15, 16, 17, 31, 32, 33, 48, 49, 1000}) {
            SCOPED_TRACE(std::to_string(n) + (head ? " head" : " tail"));
            int nextEntry = 0;
            const int pages = IndexMenuPageCount(n);
            for (int page = 0; page < pages; ++page) {
                const std::vector<Item> items = IndexMenuPage(n, page, head);
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
    }
}

TEST(IndexMenuLayoutTest, Captions) {
    EXPECT_EQ(kNextPageCaption, Utf8ToCp932("次のページ (&>)"));
    EXPECT_TRUE(IsSeparatorCaption("-"));
    EXPECT_FALSE(IsSeparatorCaption("--"));
    EXPECT_FALSE(IsSeparatorCaption(" -"));
}

}  // namespace
}  // namespace oruvan
