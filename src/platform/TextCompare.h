#pragma once
// Case-insensitive comparison of cp932 byte strings, as the user's locale compares with the ignore-case
// flag alone: letter case is folded for ASCII, full-width Latin, Greek and Cyrillic; full-width and
// half-width forms, and hiragana and katakana, stay different. Double-byte characters are compared whole.
#include <string_view>

namespace oruvan {

// <0, 0, >0 like strcmp, on the case-folded characters.
int CompareTextIgnoreCase(std::string_view a, std::string_view b);
inline bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
    return CompareTextIgnoreCase(a, b) == 0;
}

// The case-folded (lower-case) form of one cp932 character code: a single byte (0x00-0xFF) or a
// double-byte code (lead << 8 | trail). Codes without case come back unchanged.
unsigned FoldCp932Char(unsigned code);

}  // namespace oruvan
