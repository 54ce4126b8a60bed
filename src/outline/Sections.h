#pragma once
// Sections: a heading line and every line after it up to the next heading of the same or a higher level
// (a smaller number), or the end of the text. With levels off every heading is of level 1, so a section
// runs to the next heading.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "outline/IndexEntry.h"
#include "outline/TitleMarks.h"

namespace oruvan {

// The level a section's bounds read: the entry's own, or 1 when levels are off.
inline int SectionLevel(const IndexEntry& e, bool levels) { return levels ? e.level : 1; }

// For every entry, the index of the entry that ends its section, or index.size() when the text does.
std::vector<std::size_t> SectionEnds(const Index& index, bool levels);

// The entry that ends entry i's section, or index.size().
std::size_t SectionEnd(const Index& index, std::size_t i, bool levels);

// The line after entry i's section: the line of the entry that ends it, or `lineCount`.
int SectionEndLine(const Index& index, std::size_t i, bool levels, int lineCount);

// The innermost section holding `line`: the last entry at or before it; nothing before the first.
std::optional<std::size_t> SectionAt(const Index& index, int line);

// The characters of every entry's section, given the characters of every line of the text.
std::vector<std::int64_t> SectionCharacters(const Index& index, bool levels,
                                            const std::vector<std::int64_t>& lineCharacters);

// Two neighbouring runs of lines, [first, middle) and [middle, end), that trade places.
struct LineSwap {
    int first = 0, middle = 0, end = 0;
    bool operator==(const LineSwap& o) const { return first == o.first && middle == o.middle && end == o.end; }
};

// Entry i's section trading places with the section of its level before it, or after it, under the same
// heading of a higher level: nothing at the first or the last of them.
std::optional<LineSwap> SectionSwapUp(const Index& index, std::size_t i, bool levels, int lineCount);
std::optional<LineSwap> SectionSwapDown(const Index& index, std::size_t i, bool levels, int lineCount);

// The mark of a level: the level-th mark that is not empty; nothing past the last.
std::optional<std::string> MarkOfLevel(const TitleMarkList& marks, int level);

// Whether every heading of entry i's section (its own and its subsections') has a mark `step` levels
// away (-1 promotes, +1 demotes). Never with levels off.
bool CanShiftSection(const Index& index, std::size_t i, bool levels, const TitleMarkList& marks, int step);

}  // namespace oruvan
