#pragma once
// What the fuzz targets share. A failed property aborts, so libFuzzer keeps the input as a crash file
// like any other fault.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"
#include "platform/Utf8.h"

#define FUZZ_CHECK(cond)                                                                            \
    do {                                                                                            \
        if (!(cond)) {                                                                              \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (0)

namespace oruvan::fuzz {

// The input as bytes; libFuzzer's buffer is exactly its size, so a read past a view's end is caught.
inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Strict UTF-8: the length of the sequence at pos and its code point, 0 when it is not one.
inline std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t& c) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
    const unsigned char b = at(0);
    std::size_t n;
    char32_t min;
    if (b < 0x80) {
        c = b;
        return 1;
    } else if (b >= 0xC0 && b <= 0xDF) {
        n = 2, min = 0x80, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3, min = 0x800, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF7) {
        n = 4, min = 0x10000, c = b & 0x07;
    } else {
        return 0;
    }
    if (s.size() - pos < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
        c = c << 6 | (at(i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

// The character c reads back as once a Japanese encoding writes it: the one files hold for a typed form.
inline char32_t ReadBackAs(char32_t c) {
    for (const TypedForm& f : kTypedForms)
        if (f.typed == c) return f.read;
    return c;
}

inline std::string Utf8Of(char32_t c) {
    std::string s;
    AppendUtf8(c, s);
    return s;
}

}  // namespace oruvan::fuzz
