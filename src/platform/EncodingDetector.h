#pragma once
// Which encoding a file being opened is in, by checks that are certain, in this order: a byte order mark;
// NUL bytes in a UTF-16 pattern (the byte order whose code units all make sense as text, with the NUL
// bytes in the high byte of its ASCII units); ISO-2022-JP escape sequences with no byte of 0x80 or above;
// valid UTF-8 holding at least one multi-byte character. Otherwise cp932 against EUC-JP: the one with
// fewer bytes it cannot read wins, and a tie goes to the reading whose kana and kanji look more like
// Japanese text (EUC-JP text nearly always reads as valid cp932 too, as half-width katakana and signs;
// short cp932 half-width katakana can read as EUC-JP kanji). Both are read side by side and stop once
// one trails the other by 256 unreadable bytes, which the rest of a text does not turn round. Pure ASCII, an
// empty file and anything undecided are Shift_JIS. Statistical detectors misread short Shift_JIS text as
// Windows-1252.
#include <cstddef>
#include <string_view>

#include "platform/TextEncoding.h"

namespace oruvan {

// How much of the start of a file detection looks at.
constexpr std::size_t kDetectionWindow = std::size_t(4) << 20;

// The encoding of a file from its first bytes: `head` is the file's start (bytes past kDetectionWindow
// are not looked at); `whole` says it is the entire file, so a character cut at its end is invalid
// rather than cut by the window. A file with a byte order mark gives the encoding's form with one.
Encoding DetectEncoding(std::string_view head, bool whole);

}  // namespace oruvan
