#include "platform/TextCompare.h"

#include "platform/Cp932.h"

namespace oruvan {

namespace {

// Reads one character at pos and advances pos. A lead byte pairs with the next byte only when that byte
// can be a trail byte, the same split the converter makes.
unsigned NextChar(std::string_view s, std::size_t& pos) {
    const auto b = static_cast<unsigned char>(s[pos++]);
    if (IsLeadByte(b) && pos < s.size()) {
        const auto t = static_cast<unsigned char>(s[pos]);
        if (IsTrailByte(t)) {
            ++pos;
            return (unsigned(b) << 8) | t;
        }
    }
    return b;
}

// Orders a single byte as if it were followed by a zero byte, so folded characters sort like their
// bytes would and a lone lead byte never equals a double-byte character.
unsigned SortKey(unsigned code) { return code < 0x100 ? code << 8 : code; }

}  // namespace

unsigned FoldCp932Char(unsigned code) {
    if (code < 0x100) return (code >= 'A' && code <= 'Z') ? code + 0x20 : code;
    if (code >= 0x8260 && code <= 0x8279) return code + 0x21;  // full-width Latin
    if (code >= 0x839F && code <= 0x83B6) return code + 0x20;  // Greek
    if (code >= 0x8440 && code <= 0x844E) return code + 0x30;  // Cyrillic up to Н
    if (code >= 0x844F && code <= 0x8460) return code + 0x31;  // the lower half skips 0x847F
    return code;
}

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            const unsigned fa = (ca >= 'A' && ca <= 'Z') ? ca + 0x20u : ca;
            const unsigned fb = (cb >= 'A' && cb <= 'Z') ? cb + 0x20u : cb;
            if (fa != fb) return fa < fb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        const unsigned ka = SortKey(FoldCp932Char(NextChar(a, i)));
        const unsigned kb = SortKey(FoldCp932Char(NextChar(b, j)));
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace oruvan
