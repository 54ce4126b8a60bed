#pragma once
// Finding headings by typed words: a heading matches when its text contains every word of the filter,
// letter case folded as the heading test folds it (ASCII, full-width Latin, Greek, Cyrillic) while widths
// and kana kinds stay apart. Texts are cp932.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outline/IndexEntry.h"

namespace oruvan {

// One case-folded character code per character (a single byte, or lead << 8 | trail, split as the
// converter splits text), so that a match can neither start nor end inside a double-byte character.
void AppendFolded(std::string_view cp932, std::u16string& out);

class HeadingFilter {
public:
    // The empty filter, which every heading passes.
    HeadingFilter() = default;
    // The words of `cp932`: the runs between blanks (space, tab, the full-width space).
    explicit HeadingFilter(std::string_view cp932);

    bool empty() const { return m_words.empty() && !m_impossible; }
    bool matches(std::string_view cp932Text) const;
    bool matchesFolded(std::u16string_view folded) const;
    // Where the words stand in the text, as byte ranges [first, second): every occurrence of every
    // word, in order, overlapping ones merged. Empty when the text does not match.
    std::vector<std::pair<std::size_t, std::size_t>> matchRanges(std::string_view cp932Text) const;

private:
    friend HeadingFilter HeadingFilterFromUtf8(std::string_view utf8);
    friend class FoldedHeadings;
    // Where the first (longest) word next stands in folded text from pos on, or npos.
    std::size_t firstWordIn(std::u16string_view folded, std::size_t pos) const {
        return m_impossible ? std::u16string_view::npos : folded.find(m_words.front(), pos);
    }
    std::vector<std::u16string> m_words;
    bool m_impossible = false;  // a word holds a character no heading can hold
};

// The filter for words typed as UTF-8. A word with a character cp932 cannot encode matches nothing:
// converting it would give a "?" that real question marks would then match.
HeadingFilter HeadingFilterFromUtf8(std::string_view utf8);

// The headings of an index folded once, so that every keystroke of a filter costs a search only.
class FoldedHeadings {
public:
    FoldedHeadings() = default;
    explicit FoldedHeadings(const Index& index);

    std::size_t size() const { return m_ends.size(); }
    // The numbers of the entries the filter matches, ascending; every entry for the empty filter.
    std::vector<int> match(const HeadingFilter& filter) const;

private:
    std::u16string m_text;              // every heading, each followed by a code no text holds
    std::vector<std::uint32_t> m_ends;  // where each heading's text ends in m_text
};

}  // namespace oruvan
