#include "platform/Cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace oruvan {

namespace {

// Decode entries pack the character's UTF-8 bytes (first byte lowest), the byte count in bits 24-26 and
// a non-canonical flag in bit 31. Zero means the code is not assigned.
constexpr std::uint32_t kNonCanonical = 0x80000000u;
constexpr int kLeadCount = 60;

inline bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
inline int LeadIndex(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

std::uint32_t PackUtf8(char32_t c) {
    if (c < 0x80) return (1u << 24) | c;
    if (c < 0x800) return (2u << 24) | (0xC0 | c >> 6) | (0x80 | (c & 0x3F)) << 8;
    return (3u << 24) | (0xE0 | c >> 12) | (0x80 | ((c >> 6) & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16;
}

struct Tables {
    std::uint32_t single[256] = {};
    std::uint32_t pair[kLeadCount * 256] = {};
    // Unicode (BMP) to cp932 code; 0 means not encodable, except for U+0000 itself.
    std::uint16_t encode[0x10000] = {};
    bool asciiIsIdentity = false;
    bool available = false;
};

// Runs one conversion from a fresh state; true when all input converted. outSize becomes the bytes written.
bool ConvertOnce(iconv_t cd, const char* in, std::size_t inSize, char* out, std::size_t& outSize) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    std::size_t inLeft = inSize, outLeft = outSize;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) return false;
    outSize -= outLeft;
    return true;
}

// The one BMP character a cp932 code decodes to, or -1.
long DecodeOne(iconv_t cd, unsigned code) {
    const char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    const bool single = code < 0x100;
    unsigned char out[8];
    std::size_t outSize = sizeof out;
    if (!ConvertOnce(cd, single ? in + 1 : in, single ? 1 : 2, reinterpret_cast<char*>(out), outSize) ||
        outSize != 4 || out[2] != 0 || out[3] != 0)
        return -1;
    return long(out[0]) | long(out[1]) << 8;
}

// The cp932 code the system converter gives for a character, or -1.
long EncodeOne(iconv_t cd, char32_t c) {
    const char in[4] = {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), char(c >> 24)};
    unsigned char out[8];
    std::size_t outSize = sizeof out;
    if (!ConvertOnce(cd, in, 4, reinterpret_cast<char*>(out), outSize)) return -1;
    if (outSize == 1) return out[0];
    if (outSize == 2) return long(out[0]) << 8 | out[1];
    return -1;
}

void BuildTables(Tables& t) {
    for (unsigned b = 0; b < 0x80; ++b) {
        t.single[b] = PackUtf8(b);
        t.encode[b] = static_cast<std::uint16_t>(b);
    }
    t.asciiIsIdentity = true;
    iconv_t dec = iconv_open("UTF-32LE", "CP932");
    iconv_t enc = iconv_open("CP932", "UTF-32LE");
    const auto bad = reinterpret_cast<iconv_t>(-1);
    if (dec == bad || enc == bad) {
        if (dec != bad) iconv_close(dec);
        if (enc != bad) iconv_close(enc);
        return;
    }
    t.available = true;
    std::fill(std::begin(t.encode), std::end(t.encode), std::uint16_t(0));

    // Every code the converter knows, with its character; codes run in ascending order, so the first
    // code seen for a character is the fallback when the converter's own choice is unusable.
    std::vector<unsigned> codes;
    std::vector<std::int32_t> charOf(0x10000, -1);
    for (unsigned b = 0; b < 0x100; ++b)
        if (!IsLeadByte(static_cast<unsigned char>(b))) codes.push_back(b);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
            if (IsTrailByte(static_cast<unsigned char>(trail))) codes.push_back(lead << 8 | trail);
    }
    std::vector<std::uint8_t> codeCount(0x10000, 0);
    for (unsigned code : codes) {
        const long c = DecodeOne(dec, code);
        charOf[code] = static_cast<std::int32_t>(c);
        if (c < 0) continue;
        if (codeCount[c] < 2 && codeCount[c]++ == 0) t.encode[c] = static_cast<std::uint16_t>(code);
    }
    for (unsigned c = 0; c < 0x10000; ++c) {
        if (codeCount[c] < 2) continue;
        const long chosen = EncodeOne(enc, c);
        if (chosen >= 0 && charOf[chosen] == long(c)) t.encode[c] = static_cast<std::uint16_t>(chosen);
    }
    iconv_close(dec);
    iconv_close(enc);

    for (unsigned code : codes) {
        const long c = charOf[code];
        std::uint32_t e = c < 0 ? 0 : PackUtf8(char32_t(c));
        if (e != 0 && t.encode[c] != code) e |= kNonCanonical;
        if (code < 0x100)
            t.single[code] = e;
        else
            t.pair[LeadIndex(static_cast<unsigned char>(code >> 8)) * 256 + (code & 0xFF)] = e;
    }
    for (unsigned b = 0; b < 0x80; ++b)
        if (t.single[b] != PackUtf8(b) || (b != 0 && t.encode[b] != b)) t.asciiIsIdentity = false;
}

#ifdef ORUVAN_CP932_GENERATED_TABLES
// Built with the program from the system converter (see TableSource): no start-up cost.
#include "Cp932Tables.inc"
const Tables& GetTables() { return kGeneratedTables; }
#else
const Tables& GetTables() {
    static const std::unique_ptr<const Tables> tables = [] {
        auto t = std::make_unique<Tables>();
        BuildTables(*t);
        return t;
    }();
    return *tables;
}
#endif

template <typename T, std::size_t N>
void AppendArray(const T (&values)[N], std::string& out) {
    out += "{";
    for (std::size_t i = 0; i < N; ++i) {
        out += std::to_string(values[i]);
        out += (i + 1) % 16 ? "," : ",\n";
    }
    out += "}";
}

inline std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// True when none of 8 bytes, all known to be ASCII, equals `value`.
inline bool LacksByte(std::uint64_t v, unsigned char value) {
    const std::uint64_t x = v ^ (kOnes * value);
    return ((x - kOnes) & ~x & kHighs) == 0;
}

inline void PutPacked(char*& o, std::uint32_t e) {
    o[0] = static_cast<char>(e & 0xFF);
    o[1] = static_cast<char>(e >> 8 & 0xFF);
    o[2] = static_cast<char>(e >> 16 & 0xFF);
    o += e >> 24 & 7;
}

inline void PutRaw(char*& o, unsigned char b) {
    const char32_t c = kRawByteBase + b;
    o[0] = static_cast<char>(0xF0 | c >> 18);
    o[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    o[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    o[3] = static_cast<char>(0x80 | (c & 0x3F));
    o += 4;
}

struct LineState {
    std::size_t line = 0;
    std::vector<std::size_t>* nonCanonicalLines = nullptr;
    bool afterCr = false;  // the input ended on a CR whose LF partner may start the next chunk
};

// Decodes from p until p reaches stop; a character or CR LF that starts before stop may run on to end. With
// kBreaks, line breaks become LF and lines are counted. A lead byte that is the very last byte of a
// non-final input is left unread: the returned pointer is where decoding stopped. Writes at most four
// bytes per byte read, plus eight bytes of slack.
template <bool kBreaks>
const unsigned char* DecodeSpan(const Tables& t, const unsigned char* p, const unsigned char* stop,
                                const unsigned char* end, bool final, char*& o, LineState* ls) {
    // Local copies: the compiler cannot keep them in registers across stores through char pointers.
    const bool asciiFast = t.asciiIsIdentity;
    std::size_t line = ls ? ls->line : 0;
    std::vector<std::size_t>* nonCanonicalLines = ls ? ls->nonCanonicalLines : nullptr;
    auto noteNonCanonical = [&] {
        if (nonCanonicalLines && (nonCanonicalLines->empty() || nonCanonicalLines->back() != line))
            nonCanonicalLines->push_back(line);
    };
    while (p < stop) {
        if (asciiFast) {
            while (stop - p >= 8) {
                const std::uint64_t v = Load8(p);
                if ((v & kHighs) != 0) break;
                if (kBreaks && !(LacksByte(v, '\n') && LacksByte(v, '\r'))) break;
                std::memcpy(o, p, 8);
                o += 8;
                p += 8;
            }
            if (p >= stop) break;
        }
        const unsigned char b = *p;
        if (kBreaks && (b == '\r' || b == '\n')) {
            *o++ = '\n';
            ++line;
            ++p;
            if (b == '\r') {
                if (p < end) {
                    if (*p == '\n') ++p;
                } else if (!final) {
                    ls->afterCr = true;
                }
            }
            continue;
        }
        if (b < 0x80 && asciiFast) {
            *o++ = static_cast<char>(b);
            ++p;
            continue;
        }
        if (IsLeadByte(b)) {
            if (p + 1 == end) {
                if (!final) break;
                PutRaw(o, b);
                ++p;
                continue;
            }
            const unsigned char trail = p[1];
            if (!IsTrailByte(trail)) {
                PutRaw(o, b);
                ++p;
                continue;
            }
            const std::uint32_t e = t.pair[LeadIndex(b) * 256 + trail];
            if (e == 0) {
                // Unassigned codes keep both bytes raw, so the pair stays one unit on the way back.
                PutRaw(o, b);
                PutRaw(o, trail);
            } else {
                PutPacked(o, e);
                if (e & kNonCanonical) noteNonCanonical();
            }
            p += 2;
            continue;
        }
        const std::uint32_t e = t.single[b];
        if (e == 0) {
            PutRaw(o, b);
        } else {
            PutPacked(o, e);
            if (e & kNonCanonical) noteNonCanonical();
        }
        ++p;
    }
    if (ls) ls->line = line;
    return p;
}

// Decodes in blocks through a stack buffer: the output string only ever receives finished bytes, so it
// is neither zero-filled ahead nor sized for the worst case of four bytes per input byte.
template <bool kBreaks>
const unsigned char* DecodeInto(const Tables& t, const unsigned char* p, const unsigned char* end, bool final,
                                std::string& out, LineState* ls) {
    constexpr std::size_t kBlock = 4096;
    char buffer[4 * (kBlock + 1) + 8];
    while (p < end) {
        const unsigned char* stop = p + std::min<std::size_t>(kBlock, static_cast<std::size_t>(end - p));
        char* o = buffer;
        const unsigned char* next = DecodeSpan<kBreaks>(t, p, stop, end, final, o, ls);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (next < stop) return next;
        p = next;
    }
    return p;
}

// Reads one UTF-8 character; returns its length, or 0 when p does not start a valid sequence.
inline std::size_t ReadUtf8(const unsigned char* p, const unsigned char* end, char32_t& c) {
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

// Reads one unit of UTF-8 (a character, or one byte that is not valid UTF-8) and gives the cp932 code it
// becomes: below 0x100 a single byte, otherwise a double-byte code. Returns the unit's UTF-8 length.
inline std::size_t NextUnit(const Tables& t, const unsigned char* p, const unsigned char* end,
                            unsigned& code) {
    char32_t c;
    const std::size_t n = ReadUtf8(p, end, c);
    if (n == 0) {
        code = *p;
        return 1;
    }
    if (c < 0x10000) {
        code = t.encode[c];
        if (code == 0 && c != 0) code = '?';
    } else if (IsRawByteCodePoint(c)) {
        code = c - kRawByteBase;
    } else {
        code = '?';
    }
    return n;
}

inline bool IsAscii8(const unsigned char* p) { return (Load8(p) & kHighs) == 0; }

}  // namespace

void Cp932ToUtf8(std::string_view cp932, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    // Typical text needs at most half as much again; untouched capacity costs no memory.
    out.reserve(out.size() + cp932.size() + cp932.size() / 2);
    DecodeInto<false>(GetTables(), p, p + cp932.size(), true, out, nullptr);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    Cp932ToUtf8(cp932, out);
    return out;
}

void Utf8ToCp932(std::string_view utf8, std::string& out) {
    const Tables& t = GetTables();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    // No unit grows: one to four UTF-8 bytes give one or two cp932 bytes.
    const std::size_t pos = out.size();
    out.resize(pos + utf8.size());
    char* o = &out[pos];
    while (p < end) {
        if (t.asciiIsIdentity) {
            while (end - p >= 8 && IsAscii8(p)) {
                std::memcpy(o, p, 8);
                o += 8;
                p += 8;
            }
            if (p >= end) break;
        }
        unsigned code;
        p += NextUnit(t, p, end, code);
        if (code >= 0x100) *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

std::string Utf8ToCp932(std::string_view utf8) {
    std::string out;
    Utf8ToCp932(utf8, out);
    return out;
}

bool IsCanonicalRun(std::string_view cp932) {
    const Tables& t = GetTables();
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    const auto* end = p + cp932.size();
    while (p < end) {
        const unsigned char b = *p;
        if (IsLeadByte(b) && end - p >= 2 && IsTrailByte(p[1])) {
            if (t.pair[LeadIndex(b) * 256 + p[1]] & kNonCanonical) return false;
            p += 2;
        } else {
            if (t.single[b] & kNonCanonical) return false;
            ++p;
        }
    }
    return true;
}

std::size_t Cp932Length(std::string_view utf8) {
    const Tables& t = GetTables();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    std::size_t length = 0;
    while (p < end) {
        if (end - p >= 8 && IsAscii8(p) && t.asciiIsIdentity) {
            length += 8;
            p += 8;
            continue;
        }
        unsigned code;
        p += NextUnit(t, p, end, code);
        length += code >= 0x100 ? 2 : 1;
    }
    return length;
}

std::size_t Utf8OffsetOfCp932(std::string_view utf8, std::size_t cp932Offset) {
    const Tables& t = GetTables();
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* p = begin;
    const auto* end = p + utf8.size();
    std::size_t consumed = 0;
    while (p < end) {
        unsigned code;
        const std::size_t n = NextUnit(t, p, end, code);
        const std::size_t width = code >= 0x100 ? 2 : 1;
        if (consumed + width > cp932Offset) break;
        consumed += width;
        p += n;
    }
    return static_cast<std::size_t>(p - begin);
}

bool IsCp932Encodable(char32_t c) {
    if (c == kRawByteBase + '\r' || c == kRawByteBase + '\n') return false;
    if (c == 0 || IsRawByteCodePoint(c)) return true;
    return c < 0x10000 && GetTables().encode[c] != 0;
}

bool IsCp932ConverterAvailable() { return GetTables().available; }

std::string Cp932TableSource() {
    auto t = std::make_unique<Tables>();
    BuildTables(*t);
    std::string out = "// Generated at build time from the system's CP932 converter.\nconst Tables kGeneratedTables = {\n";
    AppendArray(t->single, out);
    out += ",\n";
    AppendArray(t->pair, out);
    out += ",\n";
    AppendArray(t->encode, out);
    out += t->asciiIsIdentity ? ",\ntrue" : ",\nfalse";
    out += t->available ? ", true};\n" : ", false};\n";
    return out;
}

void Cp932Decoder::decode(std::string_view in, bool last, std::string& out) {
    const Tables& t = GetTables();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    LineState ls;
    ls.line = m_line;
    ls.nonCanonicalLines = &m_nonCanonicalLines;

    if (m_afterCr && p < end) {
        if (*p == '\n') ++p;
        m_afterCr = false;
    }
    if (!m_pending.empty() && (p < end || last)) {
        // The held lead byte meets its possible trail byte; only the lead is guaranteed to be consumed.
        unsigned char pairBytes[2] = {static_cast<unsigned char>(m_pending[0]), 0};
        const bool haveNext = p < end;
        if (haveNext) pairBytes[1] = *p;
        m_pending.clear();
        char buffer[16];
        char* o = buffer;
        const unsigned char* done =
            DecodeSpan<true>(t, pairBytes, pairBytes + 1, pairBytes + (haveNext ? 2 : 1), true, o, &ls);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (done - pairBytes == 2) ++p;
    }

    const unsigned char* rest = DecodeInto<true>(t, p, end, last, out, &ls);
    if (rest < end)
        m_pending.assign(reinterpret_cast<const char*>(rest), static_cast<std::size_t>(end - rest));
    if (ls.afterCr) m_afterCr = true;
    m_line = ls.line;
}

}  // namespace oruvan
