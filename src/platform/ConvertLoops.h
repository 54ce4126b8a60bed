#pragma once
// The conversion loops the encodings share. Decoding: ASCII runs copied sixteen bytes at a time, the
// common double-byte characters through a flat table, line breaks kept or made LF and counted, everything
// else handed to the encoding's own step. Encoding: ASCII runs copied sixteen bytes at a time, the
// three-byte characters of Japanese text through the code table, the rest a unit at a time. Used inside
// this folder only.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The bytes before the first one that is not ASCII, or (unless kBreaks is Ignore) that is a CR or an LF,
// among the 16 at p (16 when there is none); all 16 are copied to o, which must have room.
template <Breaks kBreaks>
[[gnu::always_inline]] inline unsigned CopyAscii16(const unsigned char* p, char* o) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
    unsigned stops = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (kBreaks != Breaks::Ignore) {
        const __m128i brk =
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
        stops |= static_cast<unsigned>(_mm_movemask_epi8(brk));
    }
    return stops == 0 ? 16 : static_cast<unsigned>(__builtin_ctz(stops));
#else
    unsigned n = 0;
    while (n < 16 && p[n] < 0x80 && (kBreaks == Breaks::Ignore || (p[n] != '\n' && p[n] != '\r'))) ++n;
    std::memcpy(o, p, 16);
    return n;
#endif
}

// A table over the first two bytes of a unit, for the characters most text is made of: the UTF-8 of the
// character those bytes begin, packed as CodeTables.h packs it, with the input bytes it takes (1 or 2)
// in bits 27-28; zero for anything the encoding's own step or the loop must look at (breaks, codes shared
// by two characters, unassigned codes, bytes that are not the encoding's). 256 KB, indexed first << 8 |
// second. `leads` and `trails` give, as two ranges [lo, hi] each, the bytes that can begin a two-byte unit
// and the bytes that can end one; where the table holds a unit of two bytes, its bytes lie in those ranges.
struct UnitTable {
    const std::uint32_t* entries;
    unsigned char leads[4];
    unsigned char trails[4];
};
constexpr unsigned kUnitInputShift = 27;
constexpr std::uint32_t UnitEntry(std::uint32_t packed, unsigned inputBytes) {
    return packed == 0 || (packed & 0x80000000u) ? 0 : packed | inputBytes << kUnitInputShift;
}

// Decodes the units the table holds from p while two bytes remain before stop; returns where it stopped.
// Each stores four bytes at o, of which the character's own are kept.
[[gnu::always_inline]] inline const unsigned char* DecodeTableUnits(const UnitTable& units,
                                                                    const unsigned char* p,
                                                                    const unsigned char* stop, char*& o) {
    char* out = o;
    while (stop - p >= 2) {
        const std::uint32_t e = units.entries[unsigned(p[0]) << 8 | p[1]];
        if (e == 0) break;
        std::memcpy(out, &e, 4);
        out += e >> 24 & 7;
        p += e >> kUnitInputShift;
    }
    o = out;
    return p;
}

#if defined(__SSE2__)
// One bit per byte of the 16 at p that lies in [ranges[0], ranges[1]] or [ranges[2], ranges[3]].
inline unsigned InRanges16(const unsigned char* p, const unsigned char* ranges) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto in = [&v](unsigned char lo, unsigned char hi) {
        const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo)));
        return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(hi - lo))), d);
    };
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(in(ranges[0], ranges[1]), in(ranges[2], ranges[3]))));
}

#endif

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

#if defined(__SSE2__)
// Decodes 64 bytes at a time from p, which starts a unit, while 65 bytes remain before stop, breaks as
// DecodeSpan writes them; returns where it stopped: before a unit neither the table nor a break is, before
// a CR that must wait for its LF, or where fewer bytes remain. Where the units start
// is worked out for the 64 at once, so the table lookups do not wait on one another: a byte that can begin
// a two-byte unit, followed by one that can end it, begins one unless it ends the unit before, which
// within a run of such bytes holds for every other one from the run's start.
template <Breaks kBreaks>
[[gnu::always_inline]] inline const unsigned char* DecodeUnitBlocks(const UnitTable& units,
                                                                    const unsigned char* p,
                                                                    const unsigned char* stop,
                                                                    const unsigned char* end, bool final,
                                                                    char*& o, LineState& ls) {
    constexpr std::uint64_t kEven = 0x5555555555555555ull;
    // Held apart from the table: the stores through out could otherwise change it, for all the compiler
    // knows, and it would be read again for every unit.
    const std::uint32_t* const entries = units.entries;
    char* out = o;
    while (stop - p >= 65) {
        std::uint64_t high = 0, lead = 0, trail = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            high |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(v))) << (16 * k);
            lead |= std::uint64_t(InRanges16(p + 16 * k, units.leads)) << (16 * k);
            trail |= std::uint64_t(InRanges16(p + 16 * k + 1, units.trails)) << (16 * k);
        }
        if ((high | BreakMask64(reinterpret_cast<const char*>(p))) == 0) {  // ASCII without a break
            std::memcpy(out, p, 64);
            out += 64;
            p += 64;
            continue;
        }
        const std::uint64_t pairs = lead & trail;
        const std::uint64_t runStarts = pairs & ~(pairs << 1);
        const std::uint64_t oddRuns = (pairs + (runStarts & kEven)) & pairs;  // the carry clears the even
        const std::uint64_t pairStarts = ((pairs & ~oddRuns) & kEven) | (oddRuns & ~kEven);
        const unsigned char* next = p + 64 + (pairStarts >> 63);
        for (std::uint64_t starts = ~(pairStarts << 1); starts != 0; starts &= starts - 1) {
            const unsigned i = static_cast<unsigned>(__builtin_ctzll(starts));
            std::uint16_t pair;
            std::memcpy(&pair, p + i, 2);
            const std::uint32_t e = entries[__builtin_bswap16(pair)];
            if (e != 0) {
                std::memcpy(out, &e, 4);
                out += e >> 24 & 7;
                continue;
            }
            const unsigned char* at = p + i;
            if (*at != '\r' && *at != '\n') {
                o = out;
                return at;
            }
            if (kBreaks == Breaks::Ignore) {
                *out++ = static_cast<char>(*at);
                continue;
            }
            LineBreak kind;
            const unsigned char* after = BreakEnd(at, end, final, kind);
            if (!after) {
                o = out;
                return at;
            }
            PutBreak<kBreaks>(at, after, kind, out, ls);
            // The LF of a CR LF is no unit of its own: within the 64 its bit goes, past them the next
            // block starts after it.
            if (kind == LineBreak::CrLf && i + 1 < 64) starts &= starts - 1;
            next = std::max(next, after);
        }
        p = next;
    }
    o = out;
    return p;
}
#endif

// Decodes from p until p reaches stop; a character or CR LF that starts before stop may run on to end.
// `step(p, stop, end, final, o, ls)` decodes one unit that the loop does not (anything but ASCII, or anything
// but breaks when asciiFast is false) and returns the pointer past it, or null when the unit may go on
// past end and more input is to come; it may go on to further units that start before stop. A CR that is the
// last byte of a non-final input waits the same way for the LF that may follow. Returns where decoding
// stopped. Writes at most four bytes per byte read, plus sixteen bytes of slack. `units` (or null) is the
// encoding's table of common units (see UnitEntry). The step is taken by value, so its members stay in
// registers across the stores through o.
template <Breaks kBreaks, typename Step>
const unsigned char* DecodeSpan(Step step, bool asciiFast, const UnitTable* units, const unsigned char* p,
                                const unsigned char* stop, const unsigned char* end, bool final, char*& o,
                                LineState& ls) {
    while (p < stop) {
        if (asciiFast) {
#if defined(__SSE2__)
            if (units) p = DecodeUnitBlocks<kBreaks>(*units, p, stop, end, final, o, ls);
#endif
            while (stop - p >= 16) {
                const unsigned n = CopyAscii16<kBreaks>(p, o);
                o += n;
                p += n;
                if (n == 16) continue;
                if (units && *p >= 0x80) p = DecodeTableUnits(*units, p, stop, o);
                if (stop - p < 16 || *p >= 0x80 || *p == '\r' || *p == '\n') break;
            }
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
    char buffer[4 * (kBlock + 4) + 16];
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
const unsigned char* DecodeWith(Step step, bool asciiFast, const UnitTable* units, Breaks breaks,
                                const unsigned char* p, const unsigned char* stop, const unsigned char* end,
                                bool final, std::string& out, LineState& ls) {
    return DecodeBlocks(p, stop, out, [&](const unsigned char* from, const unsigned char* to, char*& o) {
        switch (breaks) {
            case Breaks::Ignore:
                return DecodeSpan<Breaks::Ignore>(step, asciiFast, units, from, to, end, final, o, ls);
            case Breaks::Keep:
                return DecodeSpan<Breaks::Keep>(step, asciiFast, units, from, to, end, final, o, ls);
            case Breaks::ToLf:
                break;
        }
        return DecodeSpan<Breaks::ToLf>(step, asciiFast, units, from, to, end, final, o, ls);
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

// Checks the 64 bytes at p, which start a character, for valid UTF-8 sixteen at a time. True when they
// hold valid characters alone, none of them from U+100000 up (which the raw-byte code points lie among,
// so the callers' own steps must see them); a character cut by the end of the 64 counts as valid, and
// `cut` receives how many of its bytes they hold. `breaks` receives a bit per CR or LF. Only where
// HasUtf8BlockCheck() (the processor has the instructions).
bool CheckUtf8Block(const unsigned char* p, std::uint64_t& breaks, std::size_t& cut);
bool HasUtf8BlockCheck();
// The same sixteen bytes at a time (SSSE3, HasUtf8BlockCheck()) and 32 (AVX2, HasUtf8BlockCheck32()),
// which CheckUtf8Block chooses between.
bool CheckUtf8Block16(const unsigned char* p, std::uint64_t& breaks, std::size_t& cut);
bool CheckUtf8Block32(const unsigned char* p, std::uint64_t& breaks, std::size_t& cut);
bool HasUtf8BlockCheck32();

// Encodes UTF-8 to a multi-byte encoding, appending to out: `codeOf(c)` gives a character's code as its
// bytes read big-endian (one byte below 0x100, two below 0x10000, else three) or kUnencodable for '?'.
// `bmpCodes` (or null) is the encoding's table of codes by BMP character, which the three-byte characters
// of Japanese text are looked up in straight away: a code below 0x100 is one byte, one from 0x8000 two;
// anything else (zero among them) goes through codeOf. No code is longer than its character's UTF-8, or
// with three-byte codes, one and a half times it.
template <bool kThreeByteCodes, typename CodeOf>
void EncodeWith(std::string_view utf8, bool asciiFast, const std::uint16_t* bmpCodes, std::string& out,
                const CodeOf& codeOf) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    const std::size_t pos = out.size();
    out.resize(pos + utf8.size() + (kThreeByteCodes ? utf8.size() / 2 : 0));
    char* o = &out[pos];
    while (p < end) {
        if (asciiFast) {
            // Sixteen bytes still to read leave room for sixteen written.
            while (end - p >= 16) {
                const unsigned n = CopyAscii16<Breaks::Ignore>(p, o);
                o += n;
                p += n;
                if (n < 16) break;
            }
            while (end - p >= 8 && IsAscii8(p)) {
                std::memcpy(o, p, 8);
                o += 8;
                p += 8;
            }
            if (p >= end) break;
        }
        if (bmpCodes) {
            while (end - p >= 3 && (p[0] & 0xF0) == 0xE0 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
                const char32_t c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
                const std::uint16_t code = bmpCodes[c];
                // Overlong forms (below U+0800) are no characters; surrogates have no code.
                if (c < 0x800 || code == 0 || (code >= 0x100 && code < 0x8000)) break;
                if (code >= 0x100) *o++ = static_cast<char>(code >> 8);
                *o++ = static_cast<char>(code & 0xFF);
                p += 3;
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
