#pragma once
// Text helpers on cp932 byte strings. Lengths count bytes; double-byte characters are never split.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace oruvan {

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
