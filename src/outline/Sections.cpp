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

std::vector<std::int64_t> SectionCharacters(const Index& index, bool levels,
                                            const std::vector<std::int64_t>& lineCharacters) {
    const std::size_t lines = lineCharacters.size();
    std::vector<std::int64_t> before(lines + 1, 0);  // the characters of the lines above each line
    for (std::size_t i = 0; i < lines; ++i) before[i + 1] = before[i] + lineCharacters[i];
    const auto at = [&](int line) { return before[std::min(static_cast<std::size_t>(line), lines)]; };
    const std::vector<std::size_t> ends = SectionEnds(index, levels);
    std::vector<std::int64_t> counts(index.size());
    for (std::size_t i = 0; i < index.size(); ++i)
        counts[i] = (ends[i] < index.size() ? at(index[ends[i]].line) : before[lines]) - at(index[i].line);
    return counts;
}

std::optional<LineSwap> SectionSwapUp(const Index& index, std::size_t i, bool levels, int lineCount) {
    const int level = SectionLevel(index[i], levels);
    for (std::size_t j = i; j-- > 0;) {
        const int other = SectionLevel(index[j], levels);
        if (other < level) break;  // the heading above: no earlier section of this level under it
        if (other == level) return LineSwap{index[j].line, index[i].line, SectionEndLine(index, i, levels, lineCount)};
    }
    return std::nullopt;
}

std::optional<LineSwap> SectionSwapDown(const Index& index, std::size_t i, bool levels, int lineCount) {
    const std::size_t next = SectionEnd(index, i, levels);
    if (next == index.size() || SectionLevel(index[next], levels) != SectionLevel(index[i], levels))
        return std::nullopt;
    return LineSwap{index[i].line, index[next].line, SectionEndLine(index, next, levels, lineCount)};
}

std::optional<std::string> MarkOfLevel(const TitleMarkList& marks, int level) {
    if (level < 1) return std::nullopt;
    for (const std::string& mark : marks)
        if (!mark.empty() && --level == 0) return mark;
    return std::nullopt;
}

bool CanShiftSection(const Index& index, std::size_t i, bool levels, const TitleMarkList& marks, int step) {
    if (!levels || i >= index.size()) return false;
    const std::size_t end = SectionEnd(index, i, levels);
    for (std::size_t j = i; j < end; ++j)
        if (!MarkOfLevel(marks, index[j].level + step)) return false;
    return true;
}

}  // namespace oruvan
