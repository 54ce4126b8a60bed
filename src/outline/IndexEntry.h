#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace oruvan {

// One heading of the document: its index text (cp932), its zero-based document line, and its level: the
// position (from 1) of the title mark that matched among the marks.
struct IndexEntry {
    std::string text;
    int line = 0;
    int level = 1;
    // The level is left out: scans of one text under the same marks give every line the same one.
    bool operator==(const IndexEntry& o) const { return line == o.line && text == o.text; }
};
using Index = std::vector<IndexEntry>;

// The full-width space (cp932 0x81 0x40) that indents a heading by one level.
constexpr const char* kLevelIndent = "\x81\x40";

// The bytes of indentation an entry is shown with: one full-width space per level below the first when
// levels are shown, none otherwise.
inline std::size_t LevelIndentBytes(const IndexEntry& e, bool showLevels) {
    return showLevels && e.level > 1 ? 2 * static_cast<std::size_t>(e.level - 1) : 0;
}

// The entry's text as the index views show it.
inline std::string IndentedText(const IndexEntry& e, bool showLevels) {
    std::string out;
    const std::size_t indent = LevelIndentBytes(e, showLevels);
    out.reserve(indent + e.text.size());
    for (std::size_t i = 0; i < indent; i += 2) out += kLevelIndent;
    out += e.text;
    return out;
}

}  // namespace oruvan
