#pragma once
// Finding headings by typed words: a heading matches when its text contains every word of the filter,
// letter case folded as the heading test folds it (ASCII, full-width Latin, Greek, Cyrillic) while widths
// and kana kinds stay apart. Texts are cp932, or UTF-8 where a heading is kept as written: the filter
// compares characters, so a character cp932 lacks matches only itself, never the '?' standing for it.
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
// The same for UTF-8: a character cp932 encodes gives its cp932 code, as above; one it lacks gives a pair
// of codes no cp932 character has, the first of which no pair ends with.
void AppendFoldedUtf8(std::string_view utf8, std::u16string& out);

class HeadingFilter {
public:
    // The empty filter, which every heading passes.
    HeadingFilter() = default;
    // The words of `cp932`: the runs between blanks (space, tab, the full-width space).
    explicit HeadingFilter(std::string_view cp932);

    bool empty() const { return m_words.empty(); }
    bool matches(std::string_view cp932Text) const;
    bool matchesUtf8(std::string_view utf8Text) const;
    // The heading as written when the entry keeps it, else its cp932 text.
    bool matches(const IndexEntry& e) const { return e.utf8.empty() ? matches(e.text) : matchesUtf8(e.utf8); }
    bool matchesFolded(std::u16string_view folded) const;
    // Where the words stand in the text, as byte ranges [first, second): every occurrence of every
    // word, in order, overlapping ones merged. Empty when the text does not match.
    std::vector<std::pair<std::size_t, std::size_t>> matchRanges(std::string_view cp932Text) const;
    std::vector<std::pair<std::size_t, std::size_t>> matchRangesUtf8(std::string_view utf8Text) const;

private:
    friend HeadingFilter HeadingFilterFromUtf8(std::string_view utf8);
    friend class FoldedHeadings;
    void addWords(std::u16string_view folded);
    std::vector<std::pair<std::size_t, std::size_t>> rangesIn(std::u16string_view folded,
                                                              const std::vector<std::size_t>& byteAt) const;
    // Where the first (longest) word next stands in folded text from pos on, or npos.
    std::size_t firstWordIn(std::u16string_view folded, std::size_t pos) const {
        return folded.find(m_words.front(), pos);
    }
    std::vector<std::u16string> m_words;
};

// The filter for words typed as UTF-8.
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
