#include "platform/CharacterCount.h"

#include <unictype.h>
#include <unigbrk.h>

#include <algorithm>
#include <string>

#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan {

namespace {

bool IsBreakByte(char c) { return c == '\r' || c == '\n'; }

std::int64_t NonBreakBytes(std::string_view s) {
    return static_cast<std::int64_t>(s.size()) - std::count_if(s.begin(), s.end(), IsBreakByte);
}

// A character no rule joins to its neighbours: a boundary lies on both sides of it unless the neighbour
// itself joins (a mark, a joiner, a prepended character).
bool IsSteady(std::string_view s, std::size_t start, std::size_t end) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    char32_t c = 0;
    if (ReadUtf8(p + start, p + s.size(), c) != end - start) return false;
    if (c < 0x80) return c >= 0x20 && c != 0x7F;
    return uc_graphemeclusterbreak_property(c) == GBP_OTHER && !uc_is_property_extended_pictographic(c);
}

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

bool IsCommonSteadyCharacter(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF9D) return true;  // full-width forms and half-width katakana
    if (c < 0x3000 || c > 0x9FFF) return false;   // CJK symbols, kana, ideographs
    return !(c >= 0x302A && c <= 0x302F) && c != 0x3030 && c != 0x303D && c != 0x3099 && c != 0x309A &&
           c != 0x3297 && c != 0x3299;
}

namespace {

// Whether bytes [first, end) are all three-byte characters of the common steady ranges: each is then a
// cluster of its own, and so is the ASCII character on either side.
bool AllCommonSteady(std::string_view s, std::size_t first, std::size_t end) {
    if ((end - first) % 3 != 0) return false;
    for (std::size_t i = first; i < end; i += 3) {
        const auto b0 = static_cast<unsigned char>(s[i]), b1 = static_cast<unsigned char>(s[i + 1]),
                   b2 = static_cast<unsigned char>(s[i + 2]);
        if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) return false;
        if (!IsCommonSteadyCharacter(char32_t(b0 & 0x0F) << 12 | char32_t(b1 & 0x3F) << 6 | (b2 & 0x3F)))
            return false;
    }
    return true;
}

// Where the character ending at `end` starts.
std::size_t CharStartBefore(std::string_view s, std::size_t end) {
    std::size_t start = end - 1;
    while (start > 0 && end - start < 4 && IsContinuation(s[start])) --start;
    return start;
}

std::size_t CharEndAfter(std::string_view s, std::size_t start) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    char32_t c = 0;
    const std::size_t n = ReadUtf8(p + start, p + s.size(), c);
    return start + (n ? n : 1);
}

}  // namespace

std::size_t SteadyBoundaryBefore(std::string_view s, std::size_t pos) {
    while (pos > 0) {
        const std::size_t right = CharStartBefore(s, pos);
        if (right == 0) break;
        const std::size_t left = CharStartBefore(s, right);
        if (IsSteady(s, left, right) && IsSteady(s, right, pos)) return right;
        pos = right;
    }
    return std::string_view::npos;
}

std::size_t SteadyBoundaryAfter(std::string_view s, std::size_t pos) {
    while (pos < s.size()) {
        const std::size_t middle = CharEndAfter(s, pos);
        if (middle >= s.size()) break;
        if (IsSteady(s, pos, middle) && IsSteady(s, middle, CharEndAfter(s, middle))) return middle;
        pos = middle;
    }
    return std::string_view::npos;
}

std::int64_t CountCharacters(std::string_view s) {
    // Two ASCII characters that are not CR LF never join, so only the runs of other characters go to the
    // library, each with the ASCII character on either side that a mark after it or a prepended
    // character before it may join.
    thread_local std::string breaks;
    const std::size_t n = s.size();
    std::int64_t count = 0;
    std::size_t pos = 0;
    bool joined = false;  // the character at pos belongs to the cluster before it
    while (pos < n) {
        const auto isWide = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
        const std::size_t wide = static_cast<std::size_t>(std::find_if(s.begin() + pos, s.end(), isWide) - s.begin());
        if (wide == n) {
            count += NonBreakBytes(s.substr(pos)) - joined;
            break;
        }
        const std::size_t start = wide > pos ? wide - 1 : pos;
        if (start > pos) {
            count += NonBreakBytes(s.substr(pos, start - pos)) - joined;
            joined = false;
        }
        const std::size_t narrow =
            static_cast<std::size_t>(std::find_if_not(s.begin() + wide, s.end(), isWide) - s.begin());
        // Most Japanese text: kana and kanji, counted without the library.
        if (AllCommonSteady(s, wide, narrow)) {
            if (start < wide) count += !IsBreakByte(s[start]) - joined;
            count += static_cast<std::int64_t>(narrow - wide) / 3;
            joined = false;
            pos = narrow;
            continue;
        }
        const std::size_t end = std::min(narrow + 1, n);
        breaks.resize(end - start);
        u8_grapheme_breaks(reinterpret_cast<const std::uint8_t*>(s.data() + start), end - start, breaks.data());
        for (std::size_t i = start; i < narrow; ++i) count += breaks[i - start] == 1 && !IsBreakByte(s[i]);
        count -= joined;
        joined = narrow < n && breaks[narrow - start] == 0;
        pos = narrow;
    }
    return count;
}

TextCount CountLines(std::string_view utf8) {
    TextCount total;
    LineSplitter lines(utf8);
    std::string_view line;
    while (lines.next(line)) total.addLine(CountCharacters(line));
    return total;
}

}  // namespace oruvan
