#pragma once
// Building the conversion tables of the multi-byte encodings from the system converter (iconv), shared
// by the cp932 and EUC-JP tables. Used inside this folder only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/TextEncoding.h"

namespace oruvan::detail {

// Decode entries pack the character's UTF-8 bytes (first byte lowest), the byte count in bits 24-26 and
// a non-canonical flag in bit 31. Zero means the code is not assigned.
constexpr std::uint32_t kNonCanonical = 0x80000000u;

constexpr std::uint32_t PackUtf8(char32_t c) {
    if (c < 0x80) return (1u << 24) | c;
    if (c < 0x800) return (2u << 24) | (0xC0 | c >> 6) | (0x80 | (c & 0x3F)) << 8;
    return (3u << 24) | (0xE0 | c >> 12) | (0x80 | ((c >> 6) & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16;
}

// Writes a packed entry's UTF-8 at o (room for four bytes) and advances o.
inline void PutPacked(char*& o, std::uint32_t e) {
    o[0] = static_cast<char>(e & 0xFF);
    o[1] = static_cast<char>(e >> 8 & 0xFF);
    o[2] = static_cast<char>(e >> 16 & 0xFF);
    o += e >> 24 & 7;
}

constexpr std::uint32_t kNoCode = 0xFFFFFFFFu;

// What the system converter says about a list of codes. A code is its bytes read big-endian (0x41,
// 0x82A0, 0x8FA2F1), listed in ascending order.
struct CodeMap {
    bool available = false;            // false: the converter has no such charset
    std::vector<std::int32_t> charOf;  // per listed code: the one BMP character it decodes to, or -1
    // Per BMP character: the code it is written as, or kNoCode. Where several codes share a character,
    // the converter's own choice when that decodes back to the character, else the first listed. Only
    // characters some code decodes to have one: the converter's one-way fallbacks would not survive
    // saving and reading again.
    std::vector<std::uint32_t> codeOf;
};
CodeMap MapCodes(const char* charset, const std::vector<std::uint32_t>& codes);

// The decode entry of the listed code at index i: zero when unassigned, flagged when not canonical.
inline std::uint32_t DecodeEntry(const CodeMap& map, const std::vector<std::uint32_t>& codes, std::size_t i) {
    const std::int32_t c = map.charOf[i];
    if (c < 0) return 0;
    const std::uint32_t e = PackUtf8(static_cast<char32_t>(c));
    return map.codeOf[static_cast<std::size_t>(c)] == codes[i] ? e : e | kNonCanonical;
}

// Gives the typed forms (TextEncoding.h) the codes of the characters files hold for them, where they
// have none of their own. Encoding only: the decode entries stay as the converter reads the codes.
template <typename Code>
void AddTypedForms(Code* encode) {
    for (const TypedForm& f : kTypedForms)
        if (encode[f.typed] == 0 && encode[f.read] != 0) encode[f.typed] = encode[f.read];
}

// True when the single-byte entries read ASCII as itself and write it back as itself.
template <std::size_t N>
bool AsciiIsIdentity(const std::uint32_t (&single)[N], const std::uint16_t* encode) {
    for (unsigned b = 0; b < 0x80; ++b)
        if (single[b] != PackUtf8(b) || (b != 0 && encode[b] != b)) return false;
    return true;
}

// The tables, built once from the system converter when the build did not compile them in.
template <typename Tables>
const Tables& TablesBuiltNow(void (*build)(Tables&)) {
    static const std::unique_ptr<const Tables> tables = [build] {
        auto t = std::make_unique<Tables>();
        build(*t);
        return t;
    }();
    return *tables;
}

// Appends an array as a C++ initialiser list.
template <typename T, std::size_t N>
void AppendArray(const T (&values)[N], std::string& out) {
    out += "{";
    for (std::size_t i = 0; i < N; ++i) {
        out += std::to_string(values[i]);
        out += (i + 1) % 16 ? "," : ",\n";
    }
    out += "},\n";
}

// The source of a table struct holding `arrays` then the flags asciiIsIdentity and available, as the
// build compiles it in.
template <typename... Arrays>
std::string TableSource(const char* charset, bool asciiIsIdentity, bool available, const Arrays&... arrays) {
    std::string out = std::string("// Generated at build time from the system's ") + charset +
                      " converter.\nconst Tables kGeneratedTables = {\n";
    (AppendArray(arrays, out), ...);
    out += asciiIsIdentity ? "true" : "false";
    out += available ? ", true};\n" : ", false};\n";
    return out;
}

}  // namespace oruvan::detail
