#pragma once
// The encodings a document is read and saved in, its line breaks, and the conversions between the text
// view's UTF-8 and a document's bytes.
//
// Byte-faithful in every encoding: any bytes decode to valid UTF-8, and EncodeText of the unedited text
// gives the very same bytes, except where a code shares its character with another code (cp932 and
// EUC-JP) or an ISO-2022-JP line is not in canonical form. TextDecoder reports those lines, so the caller
// can keep their original bytes while they stay unedited. Bytes an encoding does not define become
// raw-byte code points (Utf8.h), which encode back to the byte itself.
//
// Reading a whole file goes through TextDecoder (TextDecoder.h); DetectEncoding (EncodingDetector.h)
// picks the encoding of a file being opened.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oruvan {

enum class Encoding : std::uint8_t {
    ShiftJis,  // cp932, the default
    Utf8,
    Utf8Bom,
    EucJp,  // the eucJP-ms variant, which holds the cp932 extensions
    Utf16Le,
    Utf16LeBom,
    Utf16Be,
    Utf16BeBom,
    // JIS X 0208 (with NEC row 13 and the user-defined rows, read as EUC-JP reads them) after ESC $ B,
    // ASCII after ESC ( B, half-width katakana after ESC ( I; ESC $ @, ESC ( J and ESC $ ( D are read too.
    Iso2022Jp,
};

// For the status bar and the menus: "Shift_JIS", "UTF-8", "UTF-8 BOM", "EUC-JP", "UTF-16LE", "UTF-16BE",
// "ISO-2022-JP". UTF-16 shows the same name with or without a byte order mark.
const char* EncodingName(Encoding e);

// The encoding a name stands for, ASCII case ignored: the display names and the spellings "shift_jis",
// "sjis", "cp932", "utf-8", "utf8", "utf-8-bom", "euc-jp", "eucjp-ms", "utf-16le", "utf-16be",
// "iso-2022-jp". UTF-16 names give the form without a byte order mark. Nothing for anything else.
std::optional<Encoding> EncodingFromName(std::string_view name);

// The byte order mark a file in this encoding starts with ("" for none); EncodeText never writes it.
std::string_view ByteOrderMark(Encoding e);
// The same encoding with or without its byte order mark; encodings that have none are returned as they are.
Encoding WithByteOrderMark(Encoding e, bool bom);
// True for UTF-8 and UTF-16, which hold every character.
bool IsUnicode(Encoding e);

enum class LineBreak : std::uint8_t { CrLf, Lf, Cr };

// "CRLF", "LF", "CR".
const char* LineBreakName(LineBreak b);
// The break as the view holds it: "\r\n", "\n" or "\r".
std::string_view LineBreakText(LineBreak b);

// The breaks of each kind in a document as read.
struct BreakCounts {
    std::size_t crlf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;

    // The break a typed or pasted line break takes: the most common one; CR LF on a tie with it and
    // when there is none, LF before CR.
    LineBreak dominant() const;
    // More than one kind of break (the status bar then says "混在").
    bool mixed() const;
    std::size_t total() const { return crlf + lf + cr; }
};

// Decodes a piece of a document to UTF-8, appending to out. Line breaks stay as they are; a byte order
// mark is not looked for (it decodes as U+FEFF); UTF-16 input starts on a code unit. ISO-2022-JP starts
// in ASCII and returns to ASCII at every line break.
void DecodeText(Encoding e, std::string_view bytes, std::string& out);
std::string DecodeText(Encoding e, std::string_view bytes);

// Encodes UTF-8 to the encoding, appending to out; never writes a byte order mark. A raw-byte code point
// gives its byte, a byte that is not valid UTF-8 is copied as it is, and a character the encoding cannot
// hold gives '?' (never in UTF-8 and UTF-16). ISO-2022-JP is written in its canonical form: ESC $ B
// before JIS X 0208, ESC ( I before half-width katakana, ESC ( B back to ASCII before every CR and LF and
// at the end, so every line stands alone.
void EncodeText(Encoding e, std::string_view utf8, std::string& out);
std::string EncodeText(Encoding e, std::string_view utf8);

// What Japanese input methods type for 〜 − ‖ — ¢ £ ¬, and the characters Shift_JIS, EUC-JP and
// ISO-2022-JP files hold for them. Having no code of their own, they are written in the code of the
// character held, as the system converter writes them; reading that code gives the character held.
struct TypedForm {
    char32_t typed;
    char32_t read;
};
inline constexpr TypedForm kTypedForms[] = {{0x301C, 0xFF5E}, {0x2212, 0xFF0D}, {0x2016, 0x2225},
                                            {0x2014, 0x2015}, {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1},
                                            {0x00AC, 0xFFE2}};

// True when the encoding can write c: it has a code that decodes to c, c is a typed form, or c is a
// raw-byte code point other than those of CR and LF (which would save as a line break the view never
// showed), except in UTF-16, where a single byte would shift every code unit after it. Surrogates and
// values past U+10FFFF never are.
bool IsEncodable(Encoding e, char32_t c);

// The first character of a UTF-8 text that an encoding cannot hold (as IsEncodable says), for asking
// before a document changes to that encoding. Bytes that are not valid UTF-8 count as held.
struct Unencodable {
    std::size_t offset;  // byte offset of the character in the UTF-8 text
    std::size_t line;    // zero-based; CR LF, LF and CR each end a line
    char32_t c;
};
std::optional<Unencodable> FindUnencodable(Encoding e, std::string_view utf8);
// The first character EncodeText would write as '?', one the encoding has no code for, for asking before
// a save. Raw-byte code points write their bytes and never count.
std::optional<Unencodable> FindUnwritable(Encoding e, std::string_view utf8);

}  // namespace oruvan
