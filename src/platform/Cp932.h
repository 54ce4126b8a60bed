#pragma once
// Shift-JIS (cp932) helpers: the lead-byte test and a byte-faithful converter to and from UTF-8.
//
// The text view holds UTF-8; the documents are cp932 bytes. Every cp932 byte string converts to valid
// UTF-8 and back to the very same bytes, with one exception handled by the caller: codes that share one
// Unicode character with another code (NEC row 13 and the IBM extensions, e.g. 0x8790 and 0x81E0) come
// back as the canonical code. IsCanonicalRun() tells a caller which text needs its original bytes kept.
//
// Bytes that are not valid cp932 (0x80, 0xA0, 0xFD-0xFF, a lead byte with a bad trail byte, an
// unassigned double-byte code, a lone lead byte at the end) become one code point each in
// U+10FE00..U+10FEFF ("raw byte" code points), which converts back to the byte itself. A lead byte with a
// bad trail byte turns only the lead raw and the next byte is read afresh; an unassigned code such as
// 0x8540 turns both its bytes raw, so text splits into characters the same way in both directions.
// The tables come from the system converter (iconv "CP932"), built with the program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextDecoder.h"
#include "platform/Utf8.h"

namespace oruvan {

// Shift-JIS lead bytes: 0x81-0x9F and 0xE0-0xFC.
inline bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes that can follow a lead byte to make a double-byte character.
inline bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The length (1 or 2) of the character that starts at pos, split as the converter splits text: a lead
// byte pairs with the next byte only when that byte can be a trail byte, so a broken sequence never
// swallows the byte after it.
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

// Converts cp932 bytes to UTF-8, appending to out. Line breaks are left as they are.
void Cp932ToUtf8(std::string_view cp932, std::string& out);
std::string Cp932ToUtf8(std::string_view cp932);

// Converts UTF-8 to cp932, appending to out. Raw-byte code points give their byte; a character cp932
// cannot encode gives '?'; bytes that are not valid UTF-8 are copied as they are.
void Utf8ToCp932(std::string_view utf8, std::string& out);
std::string Utf8ToCp932(std::string_view utf8);

// The cp932 code of one character as Utf8ToCp932 writes it: a byte, or lead << 8 | trail; a raw-byte code
// point gives its byte. kNoCp932Code when cp932 lacks the character (Utf8ToCp932 writes '?').
constexpr std::uint32_t kNoCp932Code = 0xFFFFFFFFu;
std::uint32_t Cp932CodeOf(char32_t c);

// True when every double-byte code in the cp932 text converts back to itself (no NEC/IBM duplicate).
bool IsCanonicalRun(std::string_view cp932);

// The cp932 length of a UTF-8 text, as Utf8ToCp932 would produce it, without building it.
std::size_t Cp932Length(std::string_view utf8);

// The UTF-8 byte offset within utf8 at which `cp932Offset` cp932 bytes have been consumed. An offset
// that falls inside a double-byte character stops before that character; past the end gives utf8.size().
std::size_t Utf8OffsetOfCp932(std::string_view utf8, std::size_t cp932Offset);

// True when cp932 can write a Unicode code point: some cp932 code decodes to it, or it is a typed form
// (TextEncoding.h, U+301C to 0x8160 and the like), or a raw-byte code point other than those of CR and
// LF, which would save as a line break the view never showed. The system converter's other one-way
// fallbacks (U+00A5 to 0x5C, U+203E to 0x7E) would turn into other characters, so they give '?'.
bool IsCp932Encodable(char32_t c);

// False when the system converter has no CP932 module: every byte other than ASCII then decodes as a
// raw byte (still saved back unchanged), and the caller should tell the user.
bool IsCp932ConverterAvailable();

// The conversion tables as C++ source, built now from the system converter. The build compiles them
// into the program, so no process pays for building them at start-up.
std::string Cp932TableSource();

// The width of a character in columns, as the status bar counts them in every encoding: its cp932 length
// (a raw-byte code point 1); a character cp932 lacks counts 1 below U+1100 (Latin, Greek, Cyrillic and
// other alphabets) and in the half-width forms U+FF61-U+FFDC and U+FFE8-U+FFEE, otherwise 2.
int Cp932Width(char32_t c);
// The columns of a UTF-8 text: the sum of its characters' widths, a byte that is not valid UTF-8 1.
// Equal to Cp932Length for any text cp932 can hold.
std::size_t Cp932Columns(std::string_view utf8);
// The UTF-8 byte offset within utf8 at which `columns` columns have been passed, as Utf8OffsetOfCp932.
std::size_t Utf8OffsetOfCp932Columns(std::string_view utf8, std::size_t columns);

// The streaming decoder of cp932 with every break made LF.
class Cp932Decoder : public TextDecoder {
public:
    Cp932Decoder() : TextDecoder(Encoding::ShiftJis, BreakMode::ToLf) {}
};

}  // namespace oruvan
