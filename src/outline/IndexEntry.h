#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace oruvan {

// One heading of the document: its index text (cp932 in the editor; UTF-8 in the outline tool's scans of
// decoded text), its zero-based document line, and its level: the position (from 1) of the title mark
// that matched among the marks.
struct IndexEntry {
    std::string text;
    int line = 0;
    int level = 1;
    // The heading as written (UTF-8) when text lacks some of its characters (a '?' in their place, in a
    // document of another encoding) or reads them as others (a typed form, TextEncoding.h); empty
    // otherwise, so that the views show text.
    std::string utf8{};
    // The level is left out: scans of one text under the same marks give every line the same one.
    bool operator==(const IndexEntry& o) const { return line == o.line && text == o.text && utf8 == o.utf8; }
};
using Index = std::vector<IndexEntry>;

// The full-width space (cp932 0x81 0x40) that indents a heading by one level.
constexpr const char* kLevelIndent = "\x81\x40";

// The same in UTF-8 (U+3000).
constexpr const char* kLevelIndentUtf8 = "\xe3\x80\x80";

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

// The same for an entry that keeps its heading as written, in UTF-8.
inline std::string IndentedUtf8(const IndexEntry& e, bool showLevels) {
    std::string out;
    for (std::size_t i = LevelIndentBytes(e, showLevels); i > 0; i -= 2) out += kLevelIndentUtf8;
    out += e.utf8;
    return out;
}

}  // namespace oruvan
