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
    const Index late = Headings({{3, 2}});
    EXPECT_FALSE(SectionAt(late, 2));
    EXPECT_EQ(SectionEndLine(late, 0, true, 7), 7);
}

}  // namespace
}  // namespace oruvan
