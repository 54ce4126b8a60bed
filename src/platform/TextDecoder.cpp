#include "platform/TextDecoder.h"

#include <algorithm>
#include <array>

#include "platform/ConvertLoops.h"

namespace oruvan {

using namespace detail;

namespace {

// A UTF-8 document is copied; a byte that does not start a valid character becomes a raw byte and
// reading resumes at the next byte. A file's own U+10FE00..U+10FEFF would come back as single bytes,
// so their four bytes are read as raw bytes too. Returns the length of the valid character at p, or 0
// (then sets wait when the character may go on past end and more input is to come).
ORUVAN_STEP std::size_t ValidUtf8(const unsigned char* p, const unsigned char* end, bool final, bool& wait) {
    char32_t c;
    const std::size_t n = ReadUtf8(p, end, c);
    if (n != 0 && !IsRawByteCodePoint(c)) return n;
    wait = n == 0 && !final && IsUtf8Prefix(p, end);
    return 0;
}

struct Utf8Step {
    ORUVAN_STEP const unsigned char* operator()(const unsigned char* p, const unsigned char*,
                                                const unsigned char* end, bool final, char*& o,
                                                LineState&) const {
        bool wait = false;
        const std::size_t n = ValidUtf8(p, end, final, wait);
        if (wait) return nullptr;
        if (n == 0) {
            PutRaw(o, *p);
            return p + 1;
        }
        std::memcpy(o, p, n);
        o += n;
        return p + n;
    }
};

// With breaks kept, valid text goes to the output in long runs straight from the input: only checked,
// and the breaks counted.
const unsigned char* DecodeUtf8Runs(const unsigned char* p, const unsigned char* stop,
                                    const unsigned char* end, bool final, bool countBreaks, std::string& out,
                                    LineState& ls) {
    const unsigned char* copied = p;
    const auto flush = [&](const unsigned char* to) {
        out.append(reinterpret_cast<const char*>(copied), static_cast<std::size_t>(to - copied));
        copied = to;
        return to;
    };
    const bool blocks = HasUtf8BlockCheck();
    while (p < stop) {
        const unsigned char* pause = stop;
        // p starts a character here: whole blocks are checked at once, then the breaks in them counted.
        if (blocks && stop - p >= 64) {
            std::uint64_t breaks = 0;
            std::size_t cut = 0;
            if (CheckUtf8Block(p, breaks, cut)) {
                const unsigned char* next = p + 64 - cut;
                for (; countBreaks && breaks != 0; breaks &= breaks - 1) {
                    const unsigned char* at = p + __builtin_ctzll(breaks);
                    LineBreak kind;
                    const unsigned char* after = BreakEnd(at, end, final, kind);
                    if (!after) return flush(at);
                    ls.endLine(at, after, kind);
                    // The LF of a CR LF is no break of its own: within the 64 its bit goes too, past them
                    // the next block starts after it.
                    if (kind == LineBreak::CrLf && at + 1 < p + 64) breaks &= breaks - 1;
                    next = std::max(next, after);
                }
                p = next;
                continue;
            }
            pause = p + 64;  // the bytes that fail go a character at a time
        }
        if (!blocks && stop - p >= 8) {
            const std::uint64_t v = Load8(p);
            if ((v & kHighs) == 0 && (!countBreaks || (LacksByte(v, '\n') && LacksByte(v, '\r')))) {
                p += 8;
                continue;
            }
        }
        // Then a character at a time until the next clean run of ASCII or block: most by their lead
        // byte's length and a mask over their continuation bytes, without a branch that depends on the text.
        if (!blocks) pause = stop - p > 32 ? p + 32 : stop;
        while (p < pause) {
            p = SkipValidUtf8(p, pause, end);
            if (p >= pause) break;
            const unsigned char b = *p;
            if (b == '\r' || b == '\n') {
                LineBreak kind;
                const unsigned char* next = countBreaks ? BreakEnd(p, end, final, kind) : p + 1;
                if (!next) return flush(p);
                if (countBreaks) ls.endLine(p, next, kind);
                p = next;
                continue;
            }
            bool wait = false;
            const std::size_t valid = ValidUtf8(p, end, final, wait);
            if (wait) return flush(p);
            if (valid != 0) {
                p += valid;
                continue;
            }
            flush(p);
            char raw[4];
            char* o = raw;
            PutRaw(o, b);
            out.append(raw, 4);
            copied = ++p;
        }
    }
    return flush(p);
}

// UTF-16: a code unit at a time. Breaks are the units CR and LF; a lone surrogate, a pair that would
// give a raw-byte code point and an odd last byte become raw bytes, so every input comes back as it was.
template <bool kBigEndian, Breaks kBreaks>
const unsigned char* DecodeUtf16Span(const unsigned char* p, const unsigned char* stop,
                                     const unsigned char* end, bool final, char*& o, LineState& ls) {
    const auto unit = [](const unsigned char* q) -> char32_t {
        return kBigEndian ? char32_t(q[0]) << 8 | q[1] : char32_t(q[1]) << 8 | q[0];
    };
    while (p < stop) {
        if (end - p < 2) {
            if (!final) break;
            PutRaw(o, *p++);
            continue;
        }
        const char32_t u = unit(p);
        if (kBreaks != Breaks::Ignore && (u == '\r' || u == '\n')) {
            const unsigned char* next = p + 2;
            LineBreak kind = LineBreak::Lf;
            if (u == '\r') {
                if (end - next < 2 && !final) break;
                kind = LineBreak::Cr;
                if (end - next >= 2 && unit(next) == '\n') {
                    next += 2;
                    kind = LineBreak::CrLf;
                }
            }
            PutBreak<kBreaks>(p, next, kind, o, ls);
            p = next;
            continue;
        }
        if (u < 0xD800 || u > 0xDFFF) {
            PutUtf8(o, u);
            p += 2;
            continue;
        }
        if (u <= 0xDBFF) {
            if (end - p < 4) {
                if (!final) break;
            } else if (const char32_t low = unit(p + 2); low >= 0xDC00 && low <= 0xDFFF) {
                const char32_t c = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                if (!IsRawByteCodePoint(c)) {
                    PutUtf8(o, c);
                    p += 4;
                    continue;
                }
            }
        }
        PutRaw(o, p[0]);
        PutRaw(o, p[1]);
        p += 2;
    }
    return p;
}

template <bool kBigEndian>
const unsigned char* DecodeUtf16(const unsigned char* p, const unsigned char* stop, const unsigned char* end,
                                 bool final, Breaks breaks, std::string& out, LineState& ls) {
    return DecodeBlocks(p, stop, out, [&](const unsigned char* from, const unsigned char* to, char*& o) {
        switch (breaks) {
            case Breaks::Ignore:
                return DecodeUtf16Span<kBigEndian, Breaks::Ignore>(from, to, end, final, o, ls);
            case Breaks::Keep:
                return DecodeUtf16Span<kBigEndian, Breaks::Keep>(from, to, end, final, o, ls);
            case Breaks::ToLf:
                break;
        }
        return DecodeUtf16Span<kBigEndian, Breaks::ToLf>(from, to, end, final, o, ls);
    });
}

}  // namespace

const unsigned char* detail::DecodeUtf8(const unsigned char* p, const unsigned char* stop,
                                        const unsigned char* end, bool final, Breaks breaks, std::string& out,
                                        LineState& ls) {
    if (breaks == Breaks::ToLf) return DecodeWith(Utf8Step{}, true, nullptr, breaks, p, stop, end, final, out, ls);
    return DecodeUtf8Runs(p, stop, end, final, breaks == Breaks::Keep, out, ls);
}

const unsigned char* detail::DecodeUtf16Le(const unsigned char* p, const unsigned char* stop,
                                           const unsigned char* end, bool final, Breaks breaks,
                                           std::string& out, LineState& ls) {
    return DecodeUtf16<false>(p, stop, end, final, breaks, out, ls);
}

const unsigned char* detail::DecodeUtf16Be(const unsigned char* p, const unsigned char* stop,
                                           const unsigned char* end, bool final, Breaks breaks,
                                           std::string& out, LineState& ls) {
    return DecodeUtf16<true>(p, stop, end, final, breaks, out, ls);
}

TextDecoder::TextDecoder(Encoding encoding, BreakMode breaks)
    : m_encoding(WithByteOrderMark(encoding, false)), m_breaks(breaks) {}

std::vector<std::size_t> TextDecoder::nonCanonicalLines() const {
    std::vector<std::size_t> lines;
    lines.reserve(m_nonCanonical.size());
    for (const NonCanonicalLine& l : m_nonCanonical) lines.push_back(l.line);
    return lines;
}

void TextDecoder::decode(std::string_view in, bool last, std::string& out) {
    const auto* begin = reinterpret_cast<const unsigned char*>(in.data());
    const auto* p = begin;
    const auto* end = begin + in.size();
    const std::uint64_t inOffset = m_received;
    m_received += in.size();
    m_state.spans = &m_nonCanonical;

    if (!m_started) {
        const std::string_view bom = ByteOrderMark(WithByteOrderMark(m_encoding, true));
        if (!bom.empty()) {
            if (m_pending.size() + in.size() < bom.size() && !last) {
                m_pending.append(in);
                return;
            }
            const std::size_t take = std::min(in.size(), bom.size() - m_pending.size());
            if (m_pending + std::string(in.substr(0, take)) == bom) {
                m_bom = true;
                m_pending.clear();
                p += take;
                m_state.lineStart = bom.size();
            }
        }
        m_started = true;
    }

    if (!m_pending.empty()) {
        // The held bytes meet the next ones; eight more complete any unit the held bytes begin.
        const std::size_t extra = std::min<std::size_t>(static_cast<std::size_t>(end - p), 8);
        const bool all = p + extra == end;
        std::string joined = m_pending;
        joined.append(reinterpret_cast<const char*>(p), extra);
        const auto* jb = reinterpret_cast<const unsigned char*>(joined.data());
        const auto* je = jb + joined.size();
        m_state.base = jb;
        m_state.baseOffset = inOffset + static_cast<std::uint64_t>(p - begin) - m_pending.size();
        const unsigned char* q = decodeSpan(jb, all ? je : jb + m_pending.size(), je, all && last, out);
        if (all) {
            m_pending.assign(reinterpret_cast<const char*>(q), static_cast<std::size_t>(je - q));
            p = end;
        } else {
            p += static_cast<std::size_t>(q - jb) - m_pending.size();
            m_pending.clear();
        }
    }
    if (m_pending.empty()) {
        m_state.base = begin;
        m_state.baseOffset = inOffset;
        const unsigned char* q = decodeSpan(p, end, end, last, out);
        m_pending.assign(reinterpret_cast<const char*>(q), static_cast<std::size_t>(end - q));
    }
    if (last) {
        if (!m_isoLine.empty()) finishIsoLine(false, true, out);
        m_state.endInput(m_received);
    }
}

const unsigned char* TextDecoder::decodeSpan(const unsigned char* p, const unsigned char* stop,
                                             const unsigned char* end, bool final, std::string& out) {
    const Breaks breaks = m_breaks == BreakMode::Keep ? Breaks::Keep : Breaks::ToLf;
    switch (m_encoding) {
        case Encoding::ShiftJis:
            return DecodeCp932(p, stop, end, final, breaks, out, m_state);
        case Encoding::EucJp:
            return DecodeEucJp(p, stop, end, final, breaks, out, m_state);
        case Encoding::Utf8:
        case Encoding::Utf8Bom:
            return DecodeUtf8(p, stop, end, final, breaks, out, m_state);
        case Encoding::Utf16Le:
        case Encoding::Utf16LeBom:
            return DecodeUtf16Le(p, stop, end, final, breaks, out, m_state);
        case Encoding::Utf16Be:
        case Encoding::Utf16BeBom:
            return DecodeUtf16Be(p, stop, end, final, breaks, out, m_state);
        case Encoding::Iso2022Jp:
            break;
    }
    return decodeIsoLines(p, stop, end, final, out);
}

const unsigned char* TextDecoder::decodeIsoLines(const unsigned char* p, const unsigned char* stop,
                                                 const unsigned char* end, bool final, std::string& out) {
    while (p < stop) {
        const unsigned char* q = p;
        while (q < stop && *q != '\r' && *q != '\n') ++q;
        m_isoLine.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(q - p));
        if (q == stop) return q;
        LineBreak kind;
        const unsigned char* next = BreakEnd(q, end, final, kind);
        if (!next) return q;
        finishIsoLine(*q == '\n', false, out);
        m_isoLineBefore = m_state.lineStart;
        char buffer[2];
        char* o = buffer;
        if (m_breaks == BreakMode::Keep)
            PutBreak<Breaks::Keep>(q, next, kind, o, m_state);
        else
            PutBreak<Breaks::ToLf>(q, next, kind, o, m_state);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        m_isoAfterCr = kind == LineBreak::Cr;
        p = next;
    }
    return p;
}

void TextDecoder::finishIsoLine(bool beforeLf, bool last, std::string& out) {
    // A line is canonical when writing its text gives its bytes back.
    const std::size_t start = out.size();
    const bool asBytes = (m_isoAfterCr && beforeLf) || (last && (m_state.line == 0 || m_isoBeforeAsBytes));
    const bool escapesAlone = DecodeIso2022JpLine(m_isoLine, asBytes, out);
    m_isoBeforeAsBytes = asBytes && escapesAlone;
    std::string back;
    EncodeIso2022Jp(std::string_view(out).substr(start), back);
    if (back != m_isoLine && last && out.size() == start) {
        // Escape sequences alone at the end, with no text to keep them: they go with the break before,
        // the line before reported up to the end of the input.
        std::vector<NonCanonicalLine>& lines = *m_state.spans;
        if (lines.empty() || lines.back().line + 1 != m_state.line)
            lines.push_back({m_state.line - 1, m_isoLineBefore, m_isoLineBefore});
        m_state.spanOpen = true;
    } else if (back != m_isoLine) {
        m_state.noteNonCanonical();
    }
    m_isoLine.clear();
}

}  // namespace oruvan
