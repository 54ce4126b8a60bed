#pragma once
// The foldings a search applies to characters, and the regular expression that finds a literal text under
// them. Letter case folds exactly as the headings fold it (ASCII, full-width Latin, Greek, Cyrillic; width
// and kana kind kept); the width folding pairs the half-width and full-width forms of one letter, digit,
// sign or katakana, a half-width kana followed by its voiced mark standing for one full-width kana.
#include <string>
#include <string_view>

namespace oruvan {

// The lower-case partner of a letter whose case the headings fold; any other character comes back as is.
char32_t FoldLetterCase(char32_t c);

// The full-width form of a half-width character; any other character comes back as is.
char32_t WideForm(char32_t c);

// The half-width form of a full-width character: one character, or a kana and its voiced mark (ガ gives
// ｶﾞ). Empty when the character has none.
std::u32string NarrowForm(char32_t c);

// The full-width kana that a half-width kana and a half-width voiced or semi-voiced mark make together
// (ｶ and ﾞ give ガ); 0 when they make none.
char32_t ComposeHalfWidthKana(char32_t kana, char32_t mark);

// A PCRE2 pattern (UTF mode, itself plain ASCII) that matches the text literally, with letter case folded
// unless matchCase, and half-width and full-width forms matched alike when ignoreWidth. Every character is
// quoted, so any text gives a valid pattern.
std::string LiteralPattern(std::u32string_view text, bool matchCase, bool ignoreWidth);

}  // namespace oruvan
