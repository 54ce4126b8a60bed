#include <gtest/gtest.h>

#include <vector>

#include "outline/Sections.h"

namespace oruvan {
namespace {

Index Headings(const std::vector<std::pair<int, int>>& lineLevels) {
    Index index;
    for (const auto& [line, level] : lineLevels) index.push_back({"h", line, level});
    return index;
}

TEST(SectionsTest, BoundsWithLevelsOnAndOff) {
    // Levels 1 2 3 2 1 3 on lines 0 2 3 5 8 9; the text has 12 lines.
    const Index index = Headings({{0, 1}, {2, 2}, {3, 3}, {5, 2}, {8, 1}, {9, 3}});
    struct Case {
        bool levels;
        std::vector<std::size_t> ends;
        std::vector<int> endLines;
    };
    const Case cases[] = {
        {true, {4, 3, 3, 4, 6, 6}, {8, 5, 5, 8, 12, 12}},
        {false, {1, 2, 3, 4, 5, 6}, {2, 3, 5, 8, 9, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.levels);
        EXPECT_EQ(SectionEnds(index, c.levels), c.ends);
        for (std::size_t i = 0; i < index.size(); ++i) {
            EXPECT_EQ(SectionEnd(index, i, c.levels), c.ends[i]);
            EXPECT_EQ(SectionEndLine(index, i, c.levels, 12), c.endLines[i]);
        }
    }
    EXPECT_FALSE(SectionAt(index, -1));
    EXPECT_EQ(SectionAt(index, 4), 2u);
    EXPECT_EQ(SectionAt(index, 11), 5u);
    // Characters of the 12 lines 1, 2, ..., 12: each section sums its own lines.
    std::vector<std::int64_t> lineCharacters(12);
    for (int i = 0; i < 12; ++i) lineCharacters[static_cast<std::size_t>(i)] = i + 1;
    EXPECT_EQ(SectionCharacters(index, true, lineCharacters),
              (std::vector<std::int64_t>{36, 12, 9, 21, 42, 33}));
    EXPECT_EQ(SectionCharacters(index, false, lineCharacters),
              (std::vector<std::int64_t>{3, 3, 9, 21, 9, 33}));
    const Index late = Headings({{3, 2}});
    EXPECT_FALSE(SectionAt(late, 2));
    EXPECT_EQ(SectionEndLine(late, 0, true, 7), 7);
}

// The same headings: which sections trade places with a neighbour, and which can change level.
TEST(SectionsTest, SwapsAndShifts) {
    const Index index = Headings({{0, 1}, {2, 2}, {3, 3}, {5, 2}, {8, 1}, {9, 3}});
    using Swap = std::optional<LineSwap>;
    struct Case {
        bool levels;
        std::vector<Swap> up, down;
    };
    const Case cases[] = {
        {true,
         {{}, {}, {}, LineSwap{2, 5, 8}, LineSwap{0, 8, 12}, {}},
         {LineSwap{0, 8, 12}, LineSwap{2, 5, 8}, {}, {}, {}, {}}},
        {false,
         {{}, LineSwap{0, 2, 3}, LineSwap{2, 3, 5}, LineSwap{3, 5, 8}, LineSwap{5, 8, 9}, LineSwap{8, 9, 12}},
         {LineSwap{0, 2, 3}, LineSwap{2, 3, 5}, LineSwap{3, 5, 8}, LineSwap{5, 8, 9}, LineSwap{8, 9, 12}, {}}},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < index.size(); ++i) {
            SCOPED_TRACE(testing::Message() << c.levels << " entry " << i);
            EXPECT_EQ(SectionSwapUp(index, i, c.levels, 12), c.up[i]);
            EXPECT_EQ(SectionSwapDown(index, i, c.levels, 12), c.down[i]);
        }
    }
    const TitleMarkList marks{"", "#", "##", "###"};
    EXPECT_EQ(MarkOfLevel(marks, 1), "#");
    EXPECT_FALSE(MarkOfLevel(marks, 4));
    EXPECT_TRUE(CanShiftSection(index, 1, true, marks, -1));   // levels 2 and 3 become 1 and 2
    EXPECT_FALSE(CanShiftSection(index, 0, true, marks, -1));  // nothing above level 1
    EXPECT_FALSE(CanShiftSection(index, 1, true, marks, +1));  // its level-3 subsection has no level 4
    EXPECT_TRUE(CanShiftSection(index, 3, true, marks, +1));
    EXPECT_FALSE(CanShiftSection(index, 3, false, marks, +1));
}

}  // namespace
}  // namespace oruvan
