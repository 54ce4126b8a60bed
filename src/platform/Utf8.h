#pragma once
// UTF-8 as the text view holds it, and the raw-byte code points that carry bytes a document's encoding
// does not define.
//
// Every converter in this folder turns a byte it cannot read into the code point kRawByteBase + byte,
// and turns that code point back into the byte, so any file survives a round trip through the view.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace oruvan {

// Not U+10FF00: U+10FFFE and U+10FFFF are noncharacters, which the text view splits into four bytes
// the caret could then stop between.
constexpr char32_t kRawByteBase = 0x10FE00;
inline bool IsRawByteCodePoint(char32_t c) { return c >= kRawByteBase && c <= kRawByteBase + 0xFF; }

// Reads one strict UTF-8 character at p (no overlong forms, surrogates or values past U+10FFFF); returns
// its length and sets c, or returns 0 when p does not start one. p < end. Always inlined: the
// converters call it once a character.
[[gnu::always_inline]] inline std::size_t ReadUtf8(const unsigned char* p, const unsigned char* end, char32_t& c) {
    const unsigned char b = p[0];
    if (b < 0x80) {
        c = b;
        return 1;
    }
    const std::size_t avail = static_cast<std::size_t>(end - p);
    auto cont = [&](std::size_t i) { return i < avail && (p[i] & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF) {
        if (!cont(1)) return 0;
        c = char32_t(b & 0x1F) << 6 | (p[1] & 0x3F);
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] > 0x9F)) return 0;
        c = char32_t(b & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] > 0x8F)) return 0;
        c = char32_t(b & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
            (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

// Like ReadUtf8, for the characters of the basic plane alone: a four-byte character (a raw byte among
// them) gives 0 too.
[[gnu::always_inline]] inline std::size_t ReadUtf8Bmp(const unsigned char* p, const unsigned char* end,
                                                      char32_t& c) {
    const std::size_t n = ReadUtf8(p, end, c);
    return n == 4 ? 0 : n;
}

inline bool IsUtf8Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

namespace detail {
// See Utf8SequenceLength.
constexpr std::array<std::uint8_t, 256> kUtf8SequenceLength = [] {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 0x80; ++b) t[b] = b == '\r' || b == '\n' ? 0 : 1;
    for (int b = 0xC2; b <= 0xDF; ++b) t[b] = 2;
    for (int b = 0xE1; b <= 0xEF; ++b) t[b] = b == 0xED ? 0 : 3;
    for (int b = 0xF1; b <= 0xF3; ++b) t[b] = 4;
    return t;
}();
// Over four bytes read little-endian: which bits of the continuation bytes to test, and what they must be.
constexpr std::uint32_t kContinuationMask[5] = {0, 0, 0xC000, 0xC0C000, 0xC0C0C000};
constexpr std::uint32_t kContinuationBits[5] = {0, 0, 0x8000, 0x808000, 0x80808000};
}  // namespace detail

// The length of the character b starts when its continuation bytes alone decide whether it is valid:
// ASCII but CR and LF, and the lead bytes but those whose second byte has a narrower range (E0, ED, F0,
// F4). 0 sends the byte to a closer look (ReadUtf8, or the break it is).
inline std::size_t Utf8SequenceLength(unsigned char b) { return detail::kUtf8SequenceLength[b]; }

// Steps from p over the characters Utf8SequenceLength vouches for, with their continuation bytes tested
// four bytes at a time and no branch that depends on the text, while p < stop and four bytes can be read
// (end - p >= 4). Returns where it stopped: at stop or past it, or at a byte that needs the closer look.
[[gnu::always_inline]] inline const unsigned char* SkipValidUtf8(const unsigned char* p,
                                                                 const unsigned char* stop,
                                                                 const unsigned char* end) {
    while (p < stop && end - p >= 4) {
        const std::size_t n = Utf8SequenceLength(*p);
        if (n == 0) break;
        std::uint32_t w;
        std::memcpy(&w, p, 4);
        if ((w & detail::kContinuationMask[n]) != detail::kContinuationBits[n]) break;
        p += n;
    }
    return p;
}

// True when the bytes from p to end (p < end), fewer than a whole character, could still begin one.
inline bool IsUtf8Prefix(const unsigned char* p, const unsigned char* end) {
    const auto avail = static_cast<std::size_t>(end - p);
    if (avail >= 4) return false;
    // Completed with the lowest or the highest continuation byte, a prefix reads as a longer character.
    for (const unsigned char pad : {0x80, 0xBF}) {
        unsigned char whole[4] = {pad, pad, pad, pad};
        std::memcpy(whole, p, avail);
        char32_t c;
        if (ReadUtf8(whole, whole + 4, c) > avail) return true;
    }
    return false;
}

// Writes the UTF-8 of a code point at o (room for four bytes) and advances o.
inline void PutUtf8(char*& o, char32_t c) {
    if (c < 0x80) {
        *o++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *o++ = static_cast<char>(0xC0 | c >> 6);
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *o++ = static_cast<char>(0xE0 | c >> 12);
        *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *o++ = static_cast<char>(0xF0 | c >> 18);
        *o++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
}

inline void AppendUtf8(char32_t c, std::string& out) {
    char buffer[4];
    char* o = buffer;
    PutUtf8(o, c);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
}

// The raw-byte code point of b, as UTF-8.
inline void PutRaw(char*& o, unsigned char b) { PutUtf8(o, kRawByteBase + b); }

}  // namespace oruvan
