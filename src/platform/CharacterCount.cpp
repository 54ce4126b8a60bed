#include "platform/CharacterCount.h"

#include <unigbrk.h>

#include <algorithm>
#include <string>

#include "platform/TextLines.h"

namespace oruvan {

namespace {

bool IsBreakByte(char c) { return c == '\r' || c == '\n'; }

std::int64_t NonBreakBytes(std::string_view s) {
    return static_cast<std::int64_t>(s.size()) - std::count_if(s.begin(), s.end(), IsBreakByte);
}

}  // namespace

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
