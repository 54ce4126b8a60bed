#pragma once
// Sections: a heading line and every line after it up to the next heading of the same or a higher level
// (a smaller number), or the end of the text. With levels off every heading is of level 1, so a section
// runs to the next heading.
#include <cstddef>
#include <optional>
#include <vector>

#include "outline/IndexEntry.h"

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

}  // namespace oruvan
