#pragma once
#include <string>
#include <vector>

namespace oruvan {

// One heading of the document: its index text (cp932) and its zero-based document line.
struct IndexEntry {
    std::string text;
    int line = 0;
    bool operator==(const IndexEntry& o) const { return line == o.line && text == o.text; }
};
using Index = std::vector<IndexEntry>;

}  // namespace oruvan
