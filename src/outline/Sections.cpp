#include "outline/Sections.h"

#include <algorithm>

namespace oruvan {

std::vector<std::size_t> SectionEnds(const Index& index, bool levels) {
    std::vector<std::size_t> ends(index.size(), index.size());
    std::vector<std::size_t> open;  // entries whose sections are still open, levels rising
    for (std::size_t i = 0; i < index.size(); ++i) {
        const int level = SectionLevel(index[i], levels);
        while (!open.empty() && SectionLevel(index[open.back()], levels) >= level) {
            ends[open.back()] = i;
            open.pop_back();
        }
        open.push_back(i);
    }
    return ends;
}

std::size_t SectionEnd(const Index& index, std::size_t i, bool levels) {
    const int level = SectionLevel(index[i], levels);
    std::size_t j = i + 1;
    while (j < index.size() && SectionLevel(index[j], levels) > level) ++j;
    return j;
}

int SectionEndLine(const Index& index, std::size_t i, bool levels, int lineCount) {
    const std::size_t end = SectionEnd(index, i, levels);
    return end < index.size() ? index[end].line : lineCount;
}

std::optional<std::size_t> SectionAt(const Index& index, int line) {
    const auto after = std::upper_bound(index.begin(), index.end(), line,
                                        [](int l, const IndexEntry& e) { return l < e.line; });
    if (after == index.begin()) return std::nullopt;
    return static_cast<std::size_t>(after - index.begin()) - 1;
}

}  // namespace oruvan
