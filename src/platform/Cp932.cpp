#include "platform/Cp932.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodeTables.h"
#include "platform/ConvertLoops.h"

namespace oruvan {

using namespace detail;

namespace {

constexpr int kLeadCount = 60;

inline int LeadIndex(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

struct Tables {
    std::uint32_t single[256] = {};
    std::uint32_t pair[kLeadCount * 256] = {};
    // Unicode (BMP) to cp932 code; 0 means not encodable, except for U+0000 itself.
    std::uint16_t encode[0x10000] = {};
    bool asciiIsIdentity = false;
    bool available = false;
};

void BuildTables(Tables& t) {
    for (unsigned b = 0; b < 0x80; ++b) {
        t.single[b] = PackUtf8(b);
        t.encode[b] = static_cast<std::uint16_t>(b);
    }
    t.asciiIsIdentity = true;
    std::vector<std::uint32_t> codes;
    for (unsigned b = 0; b < 0x100; ++b)
        if (!IsLeadByte(static_cast<unsigned char>(b))) codes.push_back(b);
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
            if (IsTrailByte(static_cast<unsigned char>(trail))) codes.push_back(lead << 8 | trail);
    }
    const CodeMap map = MapCodes("CP932", codes);
    if (!map.available) return;
    t.available = true;
    for (unsigned c = 0; c < 0x10000; ++c)
        t.encode[c] = map.codeOf[c] == kNoCode ? 0 : static_cast<std::uint16_t>(map.codeOf[c]);
    AddTypedForms(t.encode);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::uint32_t code = codes[i];
        const std::uint32_t e = DecodeEntry(map, codes, i);
        if (code < 0x100)
            t.single[code] = e;
        else
            t.pair[LeadIndex(static_cast<unsigned char>(code >> 8)) * 256 + (code & 0xFF)] = e;
    }
    t.asciiIsIdentity = AsciiIsIdentity(t.single, t.encode);
}

#ifdef ORUVAN_CP932_GENERATED_TABLES
// Built with the program from the system converter (see TableSource): no start-up cost.
#include "Cp932Tables.inc"
const Tables& GetTables() { return kGeneratedTables; }
#else
const Tables& GetTables() { return TablesBuiltNow(BuildTables); }
#endif

// The common units for the decoding loops: ASCII but the breaks, the double-byte codes and the
// single-byte katakana that read as one character of their own.
const UnitTable* Units(const Tables& t) {
    static const std::vector<std::uint32_t> entries = [&t] {
        // Row by row: every process that reads a file pays for this once, the outline tool too.
        std::vector<std::uint32_t> u(0x10000, 0);
        for (unsigned b = 0; b < 0x100; ++b) {
            const auto lead = static_cast<unsigned char>(b);
            std::uint32_t* row = &u[b << 8];
            if (b == '\r' || b == '\n') continue;
            if (!IsLeadByte(lead)) {
                std::fill(row, row + 256, UnitEntry(t.single[b], 1));
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
                if (IsTrailByte(static_cast<unsigned char>(trail)))
                    row[trail] = UnitEntry(t.pair[LeadIndex(lead) * 256 + trail], 2);
        }
        return u;
    }();
    static const UnitTable units{entries.data(), {0x81, 0x9F, 0xE0, 0xFC}, {0x40, 0x7E, 0x80, 0xFC}};
    return &units;
}

// One unit that is not ASCII: a double-byte code, a single-byte code or a raw byte.
struct Cp932Step {
    const Tables* t;
    ORUVAN_STEP const unsigned char* operator()(const unsigned char* p, const unsigned char*,
                                                const unsigned char* end, bool final, char*& o,
                                                LineState& ls) const {
        const unsigned char b = *p;
        if (IsLeadByte(b)) {
            if (p + 1 == end) {
                if (!final) return nullptr;
                PutRaw(o, b);
                return p + 1;
            }
            const unsigned char trail = p[1];
            if (!IsTrailByte(trail)) {
                PutRaw(o, b);
                return p + 1;
            }
            const std::uint32_t e = t->pair[LeadIndex(b) * 256 + trail];
            if (e == 0) {
                // Unassigned codes keep both bytes raw, so the pair stays one unit on the way back.
                PutRaw(o, b);
                PutRaw(o, trail);
            } else {
                PutPacked(o, e);
                if (e & kNonCanonical) ls.noteNonCanonical();
            }
            return p + 2;
        }
        const std::uint32_t e = t->single[b];
        if (e == 0) {
            PutRaw(o, b);
        } else {
            PutPacked(o, e);
            if (e & kNonCanonical) ls.noteNonCanonical();
        }
        return p + 1;
    }
};

// The cp932 code of a character, or kUnencodable.
inline std::uint32_t CodeOf(const Tables& t, char32_t c) {
    if (c >= 0x10000) return kUnencodable;
    const std::uint32_t code = t.encode[c];
    return code == 0 && c != 0 ? kUnencodable : code;
}

// The cp932 length of a unit as Utf8ToCp932 writes it.
inline std::size_t EncodedWidth(const Tables& t, const Utf8Unit& u) {
    if (u.isByte) return 1;
    const std::uint32_t code = CodeOf(t, u.c);
    return code >= 0x100 && code != kUnencodable ? 2 : 1;
}

// The columns of a unit: its cp932 length, or for a character cp932 lacks, 1 where it is narrow.
inline std::size_t ColumnWidth(const Tables& t, const Utf8Unit& u) {
    if (u.isByte) return 1;
    const char32_t c = u.c;
    if (CodeOf(t, c) != kUnencodable) return EncodedWidth(t, u);
    const bool narrow = c < 0x1100 || (c >= 0xFF61 && c <= 0xFFDC) || (c >= 0xFFE8 && c <= 0xFFEE);
    return narrow ? 1 : 2;
}

template <typename Width>
std::size_t TotalWidth(const Tables& t, std::string_view utf8, const Width& width) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    std::size_t total = 0;
    while (p < end) {
        if (end - p >= 8 && IsAscii8(p) && t.asciiIsIdentity) {
            total += 8;
            p += 8;
            continue;
        }
        const Utf8Unit u = ReadUnit(p, end);
        total += width(t, u);
        p += u.length;
    }
    return total;
}

// The UTF-8 offset at which `limit` has been reached without a unit straddling it.
template <typename Width>
std::size_t OffsetOfWidth(const Tables& t, std::string_view utf8, std::size_t limit, const Width& width) {
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* p = begin;
    const auto* end = p + utf8.size();
    std::size_t consumed = 0;
    while (p < end) {
        const Utf8Unit u = ReadUnit(p, end);
        const std::size_t w = width(t, u);
        if (consumed + w > limit) break;
        consumed += w;
        p += u.length;
    }
    return static_cast<std::size_t>(p - begin);
}

}  // namespace

const unsigned char* detail::DecodeCp932(const unsigned char* p, const unsigned char* stop,
                                         const unsigned char* end, bool final, Breaks breaks,
                                         std::string& out, LineState& ls) {
    const Tables& t = GetTables();
    return DecodeWith(Cp932Step{&t}, t.asciiIsIdentity, Units(t), breaks, p, stop, end, final, out, ls);
}

void Cp932ToUtf8(std::string_view cp932, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(cp932.data());
    // Typical text needs at most half as much again; untouched capacity costs no memory.
    out.reserve(out.size() + cp932.size() + cp932.size() / 2);
    LineState ls;
    DecodeCp932(p, p + cp932.size(), p + cp932.size(), true, Breaks::Ignore, out, ls);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    std::string out;
    Cp932ToUtf8(cp932, out);
    return out;
}

void Utf8ToCp932(std::string_view utf8, std::string& out) {
    const Tables& t = GetTables();
    EncodeWith<false>(utf8, t.asciiIsIdentity, t.encode, out, [&t](char32_t c) { return CodeOf(t, c); });
}

std::string Utf8ToCp932(std::string_view utf8) {
    std::string out;
    Utf8ToCp932(utf8, out);
    return out;
}

std::uint32_t Cp932CodeOf(char32_t c) {
    static_assert(kNoCp932Code == kUnencodable);
    return IsRawByteCodePoint(c) ? c - kRawByteBase : CodeOf(GetTables(), c);
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

std::size_t Cp932Length(std::string_view utf8) { return TotalWidth(GetTables(), utf8, EncodedWidth); }

std::size_t Utf8OffsetOfCp932(std::string_view utf8, std::size_t cp932Offset) {
    return OffsetOfWidth(GetTables(), utf8, cp932Offset, EncodedWidth);
}

int Cp932Width(char32_t c) {
    const Utf8Unit u = {1, IsRawByteCodePoint(c) ? c - kRawByteBase : c, IsRawByteCodePoint(c)};
    return static_cast<int>(ColumnWidth(GetTables(), u));
}

std::size_t Cp932Columns(std::string_view utf8) { return TotalWidth(GetTables(), utf8, ColumnWidth); }

std::size_t Utf8OffsetOfCp932Columns(std::string_view utf8, std::size_t columns) {
    return OffsetOfWidth(GetTables(), utf8, columns, ColumnWidth);
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
    return TableSource("CP932", t->asciiIsIdentity, t->available, t->single, t->pair, t->encode);
}

}  // namespace oruvan
