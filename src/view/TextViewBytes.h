#pragma once
// What the text view's source files share about its UTF-8 buffer and the files it reads and writes.
#include <QtGlobal>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/LineBreaks.h"

namespace oruvan::textview {

// Files are read and written in blocks of this size.
constexpr qint64 kChunk = 4 << 20;

// The breaks in a piece of the view's text, which holds each line's break as read. Every break counts
// as the two bytes CR LF in positions: a lone LF or CR needs one byte more than the text holds.
struct BreakTally {
    long breaks = 0;  // CR LF, lone CR and lone LF, one each
    long lone = 0;    // lone CR and lone LF
};

inline BreakTally tallyBreaks(std::string_view u) {
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

// Shared with the encoder of kept codes.
using oruvan::lastBreakEnd;
using oruvan::nextBreak;

}  // namespace oruvan::textview
