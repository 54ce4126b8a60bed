#include "outline/HeadingFilter.h"

#include <algorithm>
#include <numeric>

#include "outline/Cp932Strings.h"
#include "platform/Cp932.h"
#include "platform/TextCompare.h"
#include "platform/Utf8.h"

namespace oruvan {

namespace {

// Follows every heading in FoldedHeadings: no cp932 character has this code (0xFF is no lead byte).
constexpr char16_t kEndOfHeading = 0xFFFF;

unsigned CharCodeAt(std::string_view s, std::size_t pos, std::size_t len) {
    const auto b = static_cast<unsigned char>(s[pos]);
    return len == 2 ? (unsigned(b) << 8 | static_cast<unsigned char>(s[pos + 1])) : b;
}

bool IsFilterBlank(unsigned code) { return code == ' ' || code == '\t' || code == 0x8140; }

// A character cp932 lacks folds to two codes from these ranges, which no cp932 code uses (single bytes lie
// below 0x100, pairs from 0x8140): a word starts and ends on whole characters, so a match does too.
constexpr char16_t kLackedFirst = 0x1000;   // + the code point's bits above the lowest ten
constexpr char16_t kLackedSecond = 0x2000;  // + its lowest ten bits

// Folding is what a filter's first search over a whole index costs most: each character is one look-up in
// a table of every code's folded form, written through a pointer rather than appended.
const std::vector<char16_t>& FoldTable() {
    static const std::vector<char16_t> folded = [] {
        std::vector<char16_t> table(0x10000);
        for (unsigned code = 0; code < table.size(); ++code)
            table[code] = static_cast<char16_t>(FoldCp932Char(code));
        return table;
    }();
    return folded;
}

}  // namespace

void AppendFolded(std::string_view cp932, std::u16string& out) {
    const std::vector<char16_t>& folded = FoldTable();
    const std::size_t start = out.size();
    out.resize(start + cp932.size());
    char16_t* o = out.data() + start;
    for (std::size_t i = 0; i < cp932.size();) {
        const std::size_t len = Cp932CharLength(cp932, i);
        *o++ = folded[CharCodeAt(cp932, i, len)];
        i += len;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

namespace {

// Calls emit(code, byte) for each folded code of UTF-8 text and the byte its character starts at.
template <typename Emit>
void ForEachFoldedUtf8(std::string_view utf8, const Emit& emit) {
    const std::vector<char16_t>& folded = FoldTable();
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = begin + utf8.size();
    for (const unsigned char* p = begin; p < end;) {
        const auto at = static_cast<std::size_t>(p - begin);
        char32_t c = 0;
        const std::size_t len = ReadUtf8(p, end, c);
        // A byte that is no UTF-8 is written as it is, so it stands for itself.
        const std::uint32_t code = len == 0 ? *p : Cp932CodeOf(c);
        p += len == 0 ? 1 : len;
        if (code != kNoCp932Code) {
            emit(folded[code], at);
        } else {
            emit(static_cast<char16_t>(kLackedFirst + (c >> 10)), at);
            emit(static_cast<char16_t>(kLackedSecond + (c & 0x3FF)), at);
        }
    }
}

}  // namespace

void AppendFoldedUtf8(std::string_view utf8, std::u16string& out) {
    ForEachFoldedUtf8(utf8, [&out](char16_t code, std::size_t) { out.push_back(code); });
}

HeadingFilter::HeadingFilter(std::string_view cp932) {
    std::u16string folded;
    AppendFolded(cp932, folded);
    addWords(folded);
}

void HeadingFilter::addWords(std::u16string_view folded) {
    std::u16string word;
    for (std::size_t i = 0; i <= folded.size(); ++i) {
        if (i < folded.size() && !IsFilterBlank(folded[i])) {
            word.push_back(folded[i]);
        } else if (!word.empty()) {
            // A word met twice narrows nothing more.
            if (std::find(m_words.begin(), m_words.end(), word) == m_words.end()) m_words.push_back(word);
            word.clear();
        }
    }
    // The longest word first: it is the likeliest to rule a heading out at once.
    std::stable_sort(m_words.begin(), m_words.end(),
                     [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
}

HeadingFilter HeadingFilterFromUtf8(std::string_view utf8) {
    std::u16string folded;
    AppendFoldedUtf8(utf8, folded);
    HeadingFilter filter;
    filter.addWords(folded);
    return filter;
}

bool HeadingFilter::matchesFolded(std::u16string_view folded) const {
    for (const std::u16string& word : m_words)
        if (folded.find(word) == std::u16string_view::npos) return false;
    return true;
}

bool HeadingFilter::matches(std::string_view cp932Text) const {
    if (m_words.empty()) return true;
    std::u16string folded;
    AppendFolded(cp932Text, folded);
    return matchesFolded(folded);
}

bool HeadingFilter::matchesUtf8(std::string_view utf8Text) const {
    if (m_words.empty()) return true;
    std::u16string folded;
    AppendFoldedUtf8(utf8Text, folded);
    return matchesFolded(folded);
}

std::vector<std::pair<std::size_t, std::size_t>> HeadingFilter::matchRanges(
    std::string_view cp932Text) const {
    if (m_words.empty()) return {};
    std::u16string folded;
    AppendFolded(cp932Text, folded);
    std::vector<std::size_t> byteAt;  // where each character starts, and the end
    byteAt.reserve(folded.size() + 1);
    for (std::size_t i = 0; i < cp932Text.size(); i += Cp932CharLength(cp932Text, i)) byteAt.push_back(i);
    byteAt.push_back(cp932Text.size());
    return rangesIn(folded, byteAt);
}

std::vector<std::pair<std::size_t, std::size_t>> HeadingFilter::matchRangesUtf8(
    std::string_view utf8Text) const {
    if (m_words.empty()) return {};
    std::u16string folded;
    std::vector<std::size_t> byteAt;  // where the character of each code starts, and the end
    ForEachFoldedUtf8(utf8Text, [&](char16_t code, std::size_t at) {
        folded.push_back(code);
        byteAt.push_back(at);
    });
    byteAt.push_back(utf8Text.size());
    return rangesIn(folded, byteAt);
}

// A word starts and ends on whole characters, so every run found begins and ends at a character's bytes.
std::vector<std::pair<std::size_t, std::size_t>> HeadingFilter::rangesIn(
    std::u16string_view text, const std::vector<std::size_t>& byteAt) const {
    std::vector<std::pair<std::size_t, std::size_t>> chars;
    for (const std::u16string& word : m_words) {
        std::size_t at = text.find(word);
        if (at == std::u16string_view::npos) return {};
        for (; at != std::u16string_view::npos; at = text.find(word, at + 1))
            chars.emplace_back(at, at + word.size());
    }
    std::sort(chars.begin(), chars.end());
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const auto& [first, last] : chars) {
        if (!ranges.empty() && byteAt[first] <= ranges.back().second)
            ranges.back().second = std::max(ranges.back().second, byteAt[last]);
        else
            ranges.emplace_back(byteAt[first], byteAt[last]);
    }
    return ranges;
}

FoldedHeadings::FoldedHeadings(const Index& index) {
    std::size_t bytes = 0;
    for (const IndexEntry& e : index) bytes += e.text.size() + 1;
    m_text.reserve(bytes);
    m_ends.reserve(index.size());
    for (const IndexEntry& e : index) {
        if (e.utf8.empty())
            AppendFolded(e.text, m_text);
        else
            AppendFoldedUtf8(e.utf8, m_text);
        m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
        m_text.push_back(kEndOfHeading);
    }
}

// The first word is searched through all the headings at once; the others only inside a heading it hit.
std::vector<int> FoldedHeadings::match(const HeadingFilter& filter) const {
    std::vector<int> entries;
    if (filter.empty()) {
        entries.resize(m_ends.size());
        std::iota(entries.begin(), entries.end(), 0);
        return entries;
    }
    const std::u16string_view text(m_text);
    std::size_t heading = 0;
    std::size_t start = 0;  // where `heading` begins
    for (std::size_t pos = 0; heading < m_ends.size();) {
        const std::size_t hit = filter.firstWordIn(text, pos);
        if (hit == std::u16string_view::npos) break;
        while (m_ends[heading] < hit) start = m_ends[heading++] + 1;
        if (filter.matchesFolded(text.substr(start, m_ends[heading] - start)))
            entries.push_back(static_cast<int>(heading));
        pos = m_ends[heading] + 1;
        start = pos;
        ++heading;
    }
    return entries;
}

}  // namespace oruvan
