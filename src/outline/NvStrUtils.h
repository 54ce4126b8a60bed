#pragma once
// String helpers on cp932 byte strings. Lengths count bytes; double-byte characters are never split.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace oruvan {

// Bytes that can follow a lead byte to make a double-byte character.
inline bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The length (1 or 2) of the character that starts at pos, split as the converter splits text: a lead
// byte pairs with the next byte only when that byte can be a trail byte.
inline std::size_t Cp932CharLength(std::string_view s, std::size_t pos) {
    return IsLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() &&
                   IsTrailByte(static_cast<unsigned char>(s[pos + 1]))
               ? 2
               : 1;
}

// The length (1 or 2) of the character that starts at pos, read as the index rules read text from its
// start: a lead byte takes the next byte along whatever that byte is, so "\x81," is one character.
inline std::size_t LeadByteCharLength(std::string_view s, std::size_t pos) {
    return IsLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() ? 2 : 1;
}

// True when the first prefix.size() bytes of text (all of it when shorter) equal prefix, ignoring letter
// case. An empty prefix starts every text.
bool StartsWithText(std::string_view prefix, std::string_view text);

// Replaces every occurrence of pattern, matched ignoring letter case, that starts and ends on a character
// boundary (characters as LeadByteCharLength reads them). An empty pattern replaces nothing.
std::string ReplaceAllText(std::string_view text, std::string_view pattern, std::string_view replacement);

// The text after the last separator byte (all of path when there is none). The second byte of a
// double-byte character is never taken for a separator, so "\x95\x5c" (a kanji) does not split a path.
std::string ExtractFileName(std::string_view path, std::string_view separators);

}  // namespace oruvan
