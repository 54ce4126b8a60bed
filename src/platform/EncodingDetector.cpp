#include "platform/EncodingDetector.h"

#include <algorithm>
#include <cstring>

#include "platform/ConvertLoops.h"

namespace oruvan {

using namespace detail;

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The windows are read in blocks that start small and double up to 64 KiB: most files are decided by
// their first few kilobytes, and a command-line tool pays detection on every run.
constexpr std::size_t kFirstBlock = std::size_t(4) << 10;
constexpr std::size_t kLargestBlock = std::size_t(64) << 10;
std::size_t NextBlock(std::size_t block) { return std::min(block * 2, kLargestBlock); }

// Code units no text holds: NUL, C0 controls but TAB, LF, VT, FF, CR and ESC, C1 controls, U+FFFE, U+FFFF.
bool IsOddUnit(char32_t u) {
    if (u < 0x20) return u == 0 || !(u == '\t' || (u >= '\n' && u <= '\r') || u == 0x1B);
    return (u >= 0x80 && u < 0xA0) || u >= 0xFFFE;
}

struct Utf16Reading {
    bool plausible = false;
    std::size_t asciiUnits = 0;  // ASCII units but NUL: the units whose high byte is a NUL of the pattern
};

Utf16Reading ReadUtf16(std::string_view s, bool bigEndian, bool whole, bool needBreaks) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t units = s.size() / 2;
    const auto unit = [&](std::size_t i) -> char32_t {
        const unsigned char a = p[2 * i], b = p[2 * i + 1];
        return bigEndian ? char32_t(a) << 8 | b : char32_t(b) << 8 | a;
    };
    Utf16Reading r;
    std::size_t odd = 0, breaks = 0;
    // A stray odd unit in a long text is allowed; in a short one, none.
    const std::size_t allowed = units / 1024;
    for (std::size_t i = 0; i < units && odd <= allowed; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < units) {
                const char32_t low = unit(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    ++i;
                    continue;
                }
            } else if (!whole) {
                continue;  // the window cut the pair
            }
            ++odd;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            ++odd;
        } else if (IsOddUnit(u)) {
            ++odd;
        }
        if (u != 0 && u < 0x80) ++r.asciiUnits;
        if (u == '\n' || u == '\r') ++breaks;
    }
    r.plausible = odd <= allowed && r.asciiUnits > 0 && (breaks > 0 || !needBreaks);
    return r;
}

// UTF-16 when one byte order reads as text and puts more NUL bytes in its ASCII units than the other.
// A file whose bytes hold CR or LF must have them as break units too, which a single-byte text with a
// stray NUL does not.
bool DetectUtf16(std::string_view s, bool whole, Encoding& found) {
    if (s.empty() || !std::memchr(s.data(), 0, s.size())) return false;
    const bool needBreaks = std::memchr(s.data(), '\n', s.size()) || std::memchr(s.data(), '\r', s.size());
    const Utf16Reading le = ReadUtf16(s, false, whole, needBreaks);
    const Utf16Reading be = ReadUtf16(s, true, whole, needBreaks);
    if (le.plausible && (!be.plausible || le.asciiUnits > be.asciiUnits)) {
        found = Encoding::Utf16Le;
        return true;
    }
    if (be.plausible && (!le.plausible || be.asciiUnits > le.asciiUnits)) {
        found = Encoding::Utf16Be;
        return true;
    }
    return false;
}

bool HasHighByte(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    for (; end - p >= 8; p += 8)
        if (!IsAscii8(p)) return true;
    for (; p < end; ++p)
        if (*p >= 0x80) return true;
    return false;
}

bool HasJisEscape(std::string_view s) {
    static const char* const kEscapes[] = {"\x1B$B", "\x1B$@", "\x1B(J", "\x1B(I", "\x1B$(D", "\x1B$(B"};
    for (std::size_t at = s.find('\x1B'); at != std::string_view::npos; at = s.find('\x1B', at + 1))
        for (const char* e : kEscapes)
            if (StartsWith(s.substr(at), e)) return true;
    return false;
}

// How likely a character of one reading is in real Japanese text, per byte it takes. Full-width kana
// count most, kanji half as much. Half-width katakana count between, and the half-width signs (｡｢｣､･)
// against: EUC-JP kana and symbols read as cp932 turn into those signs followed by half-width katakana,
// and EUC-JP kanji into pairs of half-width katakana; cp932 half-width katakana read as EUC-JP turn into
// kanji. User-defined characters count against too.
int Likelihood(char32_t c, int halfWidthBytes) {
    if (c >= 0x3041 && c <= 0x30FF) return 8;
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF))
        return 4;
    if (c >= 0xFF66 && c <= 0xFF9F) return 3 * halfWidthBytes;
    if (c >= 0xFF61 && c <= 0xFF65) return -3 * halfWidthBytes;
    if (c >= 0xE000 && c <= 0xF8FF) return -4;
    return 0;
}

// How one encoding reads the window, a block at a time: the bytes it cannot read, and how much the
// characters it reads look like Japanese text (Likelihood).
class Reader {
public:
    Reader(DecodeFunction decode, int halfWidthBytes, std::string_view s, bool whole)
        : m_decode(decode),
          m_halfWidthBytes(halfWidthBytes),
          m_p(reinterpret_cast<const unsigned char*>(s.data())),
          m_end(m_p + s.size()),
          m_whole(whole) {}

    bool done() const { return m_p == m_end; }
    std::size_t invalid() const { return m_invalid; }
    long likelihood() const { return m_likelihood; }

    void readBlock() {
        const unsigned char* stop = m_p + std::min(m_blockSize, static_cast<std::size_t>(m_end - m_p));
        m_blockSize = NextBlock(m_blockSize);
        m_block.clear();
        const unsigned char* next = m_decode(m_p, stop, m_end, m_whole, Breaks::Ignore, m_block, m_ls);
        // A character cut by the window ends the reading.
        m_p = next < stop ? m_end : next;
        const auto* u = reinterpret_cast<const unsigned char*>(m_block.data());
        const auto* uEnd = u + m_block.size();
        while (u < uEnd) {
            if (uEnd - u >= 8 && IsAscii8(u)) {
                u += 8;
                continue;
            }
            if (*u < 0x80) {
                ++u;
                continue;
            }
            // The decoders write only valid UTF-8.
            char32_t c = 0;
            u += ReadUtf8(u, uEnd, c);
            if (IsRawByteCodePoint(c))
                ++m_invalid;
            else
                m_likelihood += Likelihood(c, m_halfWidthBytes);
        }
    }

private:
    DecodeFunction m_decode;
    int m_halfWidthBytes;  // what a half-width katakana takes in this encoding
    std::size_t m_blockSize = kFirstBlock;
    const unsigned char* m_p;
    const unsigned char* m_end;
    bool m_whole;
    std::size_t m_invalid = 0;
    long m_likelihood = 0;
    std::string m_block;
    LineState m_ls;
};

// Valid UTF-8 decodes to itself; each byte that is not grows into a raw-byte code point.
bool IsValidUtf8(std::string_view s, bool whole) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    std::string block;
    LineState ls;
    for (std::size_t size = kFirstBlock; p < end; size = NextBlock(size)) {
        const unsigned char* stop = p + std::min(size, static_cast<std::size_t>(end - p));
        block.clear();
        const unsigned char* next = DecodeUtf8(p, stop, end, whole, Breaks::Ignore, block, ls);
        if (block.size() != static_cast<std::size_t>(next - p)) return false;
        if (next < stop) break;
        p = next;
    }
    return true;
}

// cp932 against EUC-JP, read side by side until the end of the window or until one cannot read so many
// more bytes than the other that the rest of the window would not turn it round.
Encoding Cp932OrEucJp(std::string_view s, bool whole) {
    constexpr std::size_t kDecisive = 256;
    Reader sjis(DecodeCp932, 1, s, whole), euc(DecodeEucJp, 2, s, whole);
    while (!(sjis.done() && euc.done())) {
        if (!sjis.done()) sjis.readBlock();
        if (!euc.done()) euc.readBlock();
        if (std::max(sjis.invalid(), euc.invalid()) - std::min(sjis.invalid(), euc.invalid()) >= kDecisive)
            break;
    }
    if (euc.invalid() != sjis.invalid())
        return euc.invalid() < sjis.invalid() ? Encoding::EucJp : Encoding::ShiftJis;
    return euc.likelihood() > sjis.likelihood() ? Encoding::EucJp : Encoding::ShiftJis;
}

}  // namespace

Encoding DetectEncoding(std::string_view head, bool whole) {
    if (head.size() > kDetectionWindow) {
        head = head.substr(0, kDetectionWindow);
        whole = false;
    }
    for (Encoding e : {Encoding::Utf8Bom, Encoding::Utf16LeBom, Encoding::Utf16BeBom})
        if (StartsWith(head, ByteOrderMark(e))) return e;
    Encoding utf16;
    if (DetectUtf16(head, whole, utf16)) return utf16;
    const bool highBytes = HasHighByte(head);
    if (!highBytes) return HasJisEscape(head) ? Encoding::Iso2022Jp : Encoding::ShiftJis;
    // With bytes of 0x80 and above, valid UTF-8 holds a character of more than one byte.
    if (IsValidUtf8(head, whole)) return Encoding::Utf8;
    return Cp932OrEucJp(head, whole);
}

}  // namespace oruvan
