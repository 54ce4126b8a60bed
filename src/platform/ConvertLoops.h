#pragma once
// The conversion loops the encodings share. Decoding: ASCII runs copied eight bytes at a time, line
// breaks kept or made LF and counted, everything else handed to the encoding's own step. Encoding: the
// view's UTF-8 read a unit at a time, each written as its code. Used inside this folder only.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextDecoder.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan::detail {

// For the encodings' steps: a call per character would halve the speed of decoding.
#define ORUVAN_STEP __attribute__((always_inline)) inline

// Marks a character an encoding lacks.
constexpr std::uint32_t kUnencodable = 0xFFFFFFFFu;

// Ignore: breaks are ordinary ASCII, nothing is counted (the one-shot conversions).
enum class Breaks { Ignore, Keep, ToLf };

inline std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline bool IsAscii8(const unsigned char* p) { return (Load8(p) & kHighs) == 0; }

// True when none of 8 bytes, all known to be ASCII, equals `value`.
inline bool LacksByte(std::uint64_t v, unsigned char value) {
    const std::uint64_t x = v ^ (kOnes * value);
    return ((x - kOnes) & ~x & kHighs) == 0;
}

// Writes a break of `kind` read from p to next (as it is, or as LF) and ends the line.
template <Breaks kBreaks>
inline void PutBreak(const unsigned char* p, const unsigned char* next, LineBreak kind, char*& o,
                     LineState& ls) {
    if (kBreaks == Breaks::ToLf || kind == LineBreak::Lf) {
        *o++ = '\n';
    } else {
        *o++ = '\r';
        if (kind == LineBreak::CrLf) *o++ = '\n';
    }
    ls.endLine(p, next, kind);
}

// Decodes from p until p reaches stop; a character or CR LF that starts before stop may run on to end.
// `step(p, stop, end, final, o, ls)` decodes one unit that the loop does not (anything but ASCII, or anything
// but breaks when asciiFast is false) and returns the pointer past it, or null when the unit may go on
// past end and more input is to come; it may go on to further units that start before stop. A CR that is the
// last byte of a non-final input waits the same way for the LF that may follow. Returns where decoding
// stopped. Writes at most four bytes per byte read, plus eight bytes of slack. The step is taken by value, so
// its members stay in registers across the stores through o.
template <Breaks kBreaks, typename Step>
const unsigned char* DecodeSpan(Step step, bool asciiFast, const unsigned char* p, const unsigned char* stop,
                                const unsigned char* end, bool final, char*& o, LineState& ls) {
    while (p < stop) {
        if (asciiFast) {
            while (stop - p >= 8) {
                const std::uint64_t v = Load8(p);
                if ((v & kHighs) != 0) break;
                if (kBreaks != Breaks::Ignore && !(LacksByte(v, '\n') && LacksByte(v, '\r'))) break;
                std::memcpy(o, p, 8);
                o += 8;
                p += 8;
            }
            if (p >= stop) break;
        }
        const unsigned char b = *p;
        if (kBreaks != Breaks::Ignore && (b == '\r' || b == '\n')) {
            LineBreak kind;
            const unsigned char* next = BreakEnd(p, end, final, kind);
            if (!next) break;
            PutBreak<kBreaks>(p, next, kind, o, ls);
            p = next;
            continue;
        }
        if (b < 0x80 && asciiFast) {
            *o++ = static_cast<char>(b);
            ++p;
            continue;
        }
        const unsigned char* next = step(p, stop, end, final, o, ls);
        if (!next) break;
        p = next;
    }
    return p;
}

// Runs `span(p, blockStop, o)` over blocks of the input through a stack buffer: the output string only
// ever receives finished bytes, so it is neither zero-filled ahead nor sized for the worst case of four
// bytes per input byte. Returns where decoding stopped.
template <typename Span>
const unsigned char* DecodeBlocks(const unsigned char* p, const unsigned char* stop, std::string& out,
                                  const Span& span) {
    constexpr std::size_t kBlock = 4096;
    char buffer[4 * (kBlock + 4) + 8];
    while (p < stop) {
        const unsigned char* blockStop =
            p + std::min<std::size_t>(kBlock, static_cast<std::size_t>(stop - p));
        char* o = buffer;
        const unsigned char* next = span(p, blockStop, o);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (next < blockStop) return next;
        p = next;
    }
    return p;
}

template <typename Step>
const unsigned char* DecodeWith(Step step, bool asciiFast, Breaks breaks, const unsigned char* p,
                                const unsigned char* stop, const unsigned char* end, bool final,
                                std::string& out, LineState& ls) {
    return DecodeBlocks(p, stop, out, [&](const unsigned char* from, const unsigned char* to, char*& o) {
        switch (breaks) {
            case Breaks::Ignore:
                return DecodeSpan<Breaks::Ignore>(step, asciiFast, from, to, end, final, o, ls);
            case Breaks::Keep:
                return DecodeSpan<Breaks::Keep>(step, asciiFast, from, to, end, final, o, ls);
            case Breaks::ToLf:
                break;
        }
        return DecodeSpan<Breaks::ToLf>(step, asciiFast, from, to, end, final, o, ls);
    });
}

// The decoders of each encoding, over [p, stop) as DecodeSpan reads them; each returns where it stopped.
using DecodeFunction = const unsigned char* (*)(const unsigned char* p, const unsigned char* stop,
                                                const unsigned char* end, bool final, Breaks breaks,
                                                std::string& out, LineState& ls);
const unsigned char* DecodeCp932(const unsigned char* p, const unsigned char* stop, const unsigned char* end,
                                 bool final, Breaks breaks, std::string& out, LineState& ls);
const unsigned char* DecodeEucJp(const unsigned char* p, const unsigned char* stop, const unsigned char* end,
                                 bool final, Breaks breaks, std::string& out, LineState& ls);
const unsigned char* DecodeUtf8(const unsigned char* p, const unsigned char* stop, const unsigned char* end,
                                bool final, Breaks breaks, std::string& out, LineState& ls);
const unsigned char* DecodeUtf16Le(const unsigned char* p, const unsigned char* stop,
                                   const unsigned char* end, bool final, Breaks breaks, std::string& out,
                                   LineState& ls);
const unsigned char* DecodeUtf16Be(const unsigned char* p, const unsigned char* stop,
                                   const unsigned char* end, bool final, Breaks breaks, std::string& out,
                                   LineState& ls);

// ISO-2022-JP, which TextDecoder reads a line at a time: every CR and LF returns to ASCII. A line of
// escape sequences alone between a lone CR and an LF shows its bytes, so that the view never sees the
// CR and the LF as one CR LF; so does such a last line with no break after it where no break before can
// keep them (the input's only line, or the line before shows its bytes).
void DecodeIso2022Jp(std::string_view bytes, std::string& out);
// One line; with `asBytes`, escape sequences alone show their bytes. True when it holds those alone.
bool DecodeIso2022JpLine(std::string_view line, bool asBytes, std::string& out);
void EncodeIso2022Jp(std::string_view utf8, std::string& out);
bool IsIso2022JpEncodable(char32_t c);
// The ends of the pieces of a line that each start and end in ASCII: an ASCII character read in ASCII is
// a piece of its own, the bytes between two such bytes (escape sequences and what they shift to, bytes no
// set reads) another. With `atEscapes`, those are cut further before each escape sequence.
std::vector<std::size_t> Iso2022JpPieceEnds(std::string_view line, bool atEscapes = false);
// Whether bytes read from ASCII leave another set in effect.
bool Iso2022JpEndsShifted(std::string_view bytes);
// Whether bytes start with an escape sequence, which sets what follows whatever came before.
bool Iso2022JpStartsWithEscape(std::string_view bytes);

// EUC-JP, and its tables for ISO-2022-JP: a character's code (kUnencodable for none), and the decode
// entry (as CodeTables.h packs it, zero when unassigned) of a code of two bytes 0xA1A1-0xFEFE or three
// bytes 0x8FA1A1-0x8FFEFE.
void EncodeEucJp(std::string_view utf8, std::string& out);
std::uint32_t EucJpCode(char32_t c);
std::uint32_t EucJpEntry(std::uint32_t code);

// One unit of the view's UTF-8: a character, or a byte to write as it is (a raw-byte code point's
// byte, or a byte that is not valid UTF-8).
struct Utf8Unit {
    std::size_t length;
    char32_t c;
    bool isByte;
};
inline Utf8Unit ReadUnit(const unsigned char* p, const unsigned char* end) {
    char32_t c;
    const std::size_t n = ReadUtf8(p, end, c);
    if (n == 0) return {1, *p, true};
    if (IsRawByteCodePoint(c)) return {n, c - kRawByteBase, true};
    return {n, c, false};
}

// Encodes UTF-8 to a multi-byte encoding, appending to out: `codeOf(c)` gives a character's code as its
// bytes read big-endian (one byte below 0x100, two below 0x10000, else three) or kUnencodable for '?'.
// No code is longer than its character's UTF-8, or with three-byte codes, one and a half times it.
template <bool kThreeByteCodes, typename CodeOf>
void EncodeWith(std::string_view utf8, bool asciiFast, std::string& out, const CodeOf& codeOf) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    const std::size_t pos = out.size();
    out.resize(pos + utf8.size() + (kThreeByteCodes ? utf8.size() / 2 : 0));
    char* o = &out[pos];
    while (p < end) {
        if (asciiFast) {
            while (end - p >= 8 && IsAscii8(p)) {
                std::memcpy(o, p, 8);
                o += 8;
                p += 8;
            }
            if (p >= end) break;
        }
        const Utf8Unit u = ReadUnit(p, end);
        p += u.length;
        const std::uint32_t code = u.isByte ? u.c : codeOf(u.c);
        if (code == kUnencodable) {
            *o++ = '?';
            continue;
        }
        if (kThreeByteCodes && code >= 0x10000) *o++ = static_cast<char>(code >> 16);
        if (code >= 0x100) *o++ = static_cast<char>(code >> 8 & 0xFF);
        *o++ = static_cast<char>(code & 0xFF);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

}  // namespace oruvan::detail
