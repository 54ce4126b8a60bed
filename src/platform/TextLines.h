#pragma once
// Finding the breaks of text that holds each line's break as read: CR LF, a lone LF or a lone CR.
// Opening, re-indexing and the outline tool run these over whole files, so they stay inline.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/TextEncoding.h"

namespace oruvan {

// One bit for each CR or LF among 64 bytes.
inline std::uint64_t BreakMask64(const char* p) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
        mask |= std::uint64_t(static_cast<std::uint16_t>(_mm_movemask_epi8(hit))) << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i) mask |= std::uint64_t(p[i] == '\n' || p[i] == '\r') << i;
    return mask;
#endif
}

// Splits text into lines. The breaks of 64 bytes are found at once, so a short line costs a few
// instructions rather than a library call.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : m_text(text) {
        if (!text.empty()) m_mask = maskAt(0);
    }

    // The next line without its break, and in `brk` the break that ends it (empty for a last line that
    // has none); false once the text is used up. Text that ends in a break has no empty line after it.
    bool next(std::string_view& line, std::string_view& brk) {
        if (m_pos == m_text.size()) return false;
        const std::size_t lineEnd = nextBreak();
        line = m_text.substr(m_pos, lineEnd - m_pos);
        std::size_t length = 0;
        if (lineEnd != m_text.size())
            length =
                m_text[lineEnd] == '\r' && lineEnd + 1 < m_text.size() && m_text[lineEnd + 1] == '\n' ? 2 : 1;
        brk = m_text.substr(lineEnd, length);
        m_pos = lineEnd + length;
        return true;
    }

    bool next(std::string_view& line) {
        std::string_view brk;
        return next(line, brk);
    }

private:
    std::size_t nextBreak() {
        for (;;) {
            while (m_mask != 0) {
                const std::size_t at = m_block + static_cast<std::size_t>(__builtin_ctzll(m_mask));
                m_mask &= m_mask - 1;
                if (at >= m_pos) return at;  // the LF of a CR LF already stepped over is not a break
            }
            if (m_text.size() - m_block <= 64) return m_text.size();
            m_block += 64;
            m_mask = maskAt(m_block);
        }
    }

    std::uint64_t maskAt(std::size_t block) const {
        if (m_text.size() - block >= 64) return BreakMask64(m_text.data() + block);
        char tail[64] = {};
        std::memcpy(tail, m_text.data() + block, m_text.size() - block);
        return BreakMask64(tail);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_block = 0;  // the offset of the 64 bytes m_mask describes
    std::uint64_t m_mask = 0;
};

// The next break at or after `from`: its start (u.size() when none) and its length.
inline std::size_t NextBreak(std::string_view u, std::size_t from, std::size_t& length) {
    for (std::size_t j = from; j < u.size(); ++j) {
        if (u[j] == '\n') {
            length = 1;
            return j;
        }
        if (u[j] == '\r') {
            length = j + 1 < u.size() && u[j + 1] == '\n' ? 2 : 1;
            return j;
        }
    }
    length = 0;
    return u.size();
}

// The end of the last break that ends within u[from, limit), npos when there is none. A CR at the limit
// takes its LF along; a CR that ends u is no break yet when moreMayFollow (its LF may be still to come).
inline std::size_t LastBreakEnd(std::string_view u, std::size_t from, std::size_t limit,
                                bool moreMayFollow = false) {
    limit = std::min(limit, u.size());
    if (limit <= from) return std::string_view::npos;
    // memrchr, not a byte loop: a reader looking for the end of whole lines in a long line without
    // breaks asks again at every read.
    const char* const base = u.data();
    const void* lf = memrchr(base + from, '\n', limit - from);
    const std::size_t afterLf = lf ? static_cast<const char*>(lf) - base + 1 : from;
    for (std::size_t end = limit; end > afterLf;) {
        const void* cr = memrchr(base + afterLf, '\r', end - afterLf);
        if (!cr) break;
        const std::size_t j = static_cast<const char*>(cr) - base + 1;
        if (j < u.size()) return u[j] == '\n' ? j + 1 : j;
        if (!moreMayFollow) return j;
        end = j - 1;
    }
    return lf ? afterLf : std::string_view::npos;
}

// The breaks in a piece of text. The text view counts every break as the two bytes CR LF in positions,
// so a lone LF or CR needs one byte more than the text holds.
struct BreakTally {
    long breaks = 0;  // CR LF, lone CR and lone LF, one each
    long lone = 0;    // lone CR and lone LF
};

inline BreakTally TallyBreaks(std::string_view u) {
    const char* p = u.data();
    const std::size_t n = u.size();
    long cr = 0, lf = 0, crlf = 0;
    char prev = 0;
    std::size_t i = 0;
    while (i < n) {
        // Eight bytes none of which is below 0x0E hold no break: skipped at once.
        if (n - i >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p + i, 8);
            if (((v - 0x0E0E0E0E0E0E0E0EULL) & ~v & 0x8080808080808080ULL) == 0) {
                prev = p[i + 7];
                i += 8;
                continue;
            }
        }
        const char c = p[i++];
        cr += c == '\r';
        lf += c == '\n';
        crlf += prev == '\r' && c == '\n';
        prev = c;
    }
    return {cr + lf - crlf, cr + lf - 2 * crlf};
}

// For a stream read a piece at a time: the end of the break at p (a CR or an LF), setting its kind; null
// for a CR that ends a piece when more is to come (`final` false), which must wait for the LF that may
// follow.
inline const unsigned char* BreakEnd(const unsigned char* p, const unsigned char* end, bool final,
                                     LineBreak& kind) {
    kind = LineBreak::Lf;
    if (*p == '\n') return p + 1;
    if (p + 1 == end && !final) return nullptr;
    kind = LineBreak::Cr;
    if (p + 1 == end || p[1] != '\n') return p + 1;
    kind = LineBreak::CrLf;
    return p + 2;
}

}  // namespace oruvan
