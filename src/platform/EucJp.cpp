#include "platform/EucJp.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/CodeTables.h"
#include "platform/ConvertLoops.h"

namespace oruvan {

using namespace detail;

namespace {

constexpr unsigned kSs2 = 0x8E;  // a half-width katakana follows
constexpr unsigned kSs3 = 0x8F;  // a JIS X 0212 (or IBM extension) code of two more bytes follows
constexpr int kCells = 94;

inline bool IsEucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }
inline int CellIndex(unsigned char lead, unsigned char trail) {
    return (lead - 0xA1) * kCells + (trail - 0xA1);
}

struct Tables {
    std::uint32_t single[128] = {};
    std::uint32_t kana[64] = {};  // after 0x8E, indexed by the byte less 0xA0
    std::uint32_t pair[kCells * kCells] = {};
    std::uint32_t triple[kCells * kCells] = {};
    // Unicode (BMP) to code, 0 meaning none except for U+0000: below 0x100 a single byte, 0x8E00 and up
    // two bytes, 0x2121-0x7E7E the last two bytes of a three-byte code less 0x80 each.
    std::uint16_t encode[0x10000] = {};
    bool asciiIsIdentity = false;
    bool available = false;
};

std::uint16_t StoredCode(std::uint32_t code) {
    return static_cast<std::uint16_t>(code < 0x10000 ? code : code & 0x7F7F);
}

std::uint32_t FullCode(std::uint16_t stored) {
    return stored < 0x100 || (stored & 0x8000) ? stored : 0x8F8080u | stored;
}

void BuildTables(Tables& t) {
    for (unsigned b = 0; b < 0x80; ++b) {
        t.single[b] = PackUtf8(b);
        t.encode[b] = static_cast<std::uint16_t>(b);
    }
    t.asciiIsIdentity = true;
    // Ascending, as MapCodes wants. The C1 bytes the converter passes through stay raw bytes, as they
    // are in cp932: they mark text that is not EUC-JP.
    std::vector<std::uint32_t> codes;
    for (unsigned b = 0; b < 0x80; ++b) codes.push_back(b);
    for (unsigned b = 0xA1; b <= 0xDF; ++b) codes.push_back(kSs2 << 8 | b);
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) codes.push_back(lead << 8 | trail);
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) codes.push_back(kSs3 << 16 | lead << 8 | trail);
    const CodeMap map = MapCodes("EUC-JP-MS", codes);
    if (!map.available) return;
    t.available = true;
    for (unsigned c = 0; c < 0x10000; ++c)
        t.encode[c] = map.codeOf[c] == kNoCode ? 0 : StoredCode(map.codeOf[c]);
    AddTypedForms(t.encode);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::uint32_t code = codes[i];
        const std::uint32_t e = DecodeEntry(map, codes, i);
        const auto lead = static_cast<unsigned char>(code >> 8 & 0xFF);
        const auto trail = static_cast<unsigned char>(code & 0xFF);
        if (code < 0x80)
            t.single[code] = e;
        else if (code >> 8 == kSs2)
            t.kana[trail - 0xA0] = e;
        else if (code < 0x10000)
            t.pair[CellIndex(lead, trail)] = e;
        else
            t.triple[CellIndex(lead, trail)] = e;
    }
    t.asciiIsIdentity = AsciiIsIdentity(t.single, t.encode);
}

#ifdef ORUVAN_EUCJP_GENERATED_TABLES
// Built with the program from the system converter (see TableSource): no start-up cost.
#include "EucJpTables.inc"
const Tables& GetTables() { return kGeneratedTables; }
#else
const Tables& GetTables() { return TablesBuiltNow(BuildTables); }
#endif

inline void PutEntry(char*& o, std::uint32_t e, LineState& ls) {
    PutPacked(o, e);
    if (e & kNonCanonical) ls.noteNonCanonical();
}

// The common units for the decoding loops: ASCII but the breaks, and the codes of two bytes (three-byte
// codes take the step).
const UnitTable* Units(const Tables& t) {
    static const std::vector<std::uint32_t> entries = [&t] {
        std::vector<std::uint32_t> u(0x10000, 0);
        for (unsigned b = 0; b < 0x80; ++b)
            if (b != '\r' && b != '\n') std::fill(&u[b << 8], &u[b << 8] + 256, UnitEntry(t.single[b], 1));
        for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
            for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
                u[lead << 8 | trail] = UnitEntry(
                    t.pair[CellIndex(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))], 2);
        for (unsigned trail = 0xA1; trail <= 0xDF; ++trail) u[kSs2 << 8 | trail] = UnitEntry(t.kana[trail - 0xA0], 2);
        return u;
    }();
    static const UnitTable units{entries.data(), {0xA1, 0xFE, kSs2, kSs2}, {0xA1, 0xFE, 0xA1, 0xFE}};
    return &units;
}

// One unit that is not ASCII: a code of two or three bytes, or a raw byte.
struct EucJpStep {
    const Tables* t;
    ORUVAN_STEP const unsigned char* operator()(const unsigned char* p, const unsigned char*,
                                                const unsigned char* end, bool final, char*& o,
                                                LineState& ls) const {
        const unsigned char b = *p;
        const bool lead = IsEucByte(b) || b == kSs2 || b == kSs3;
        if (!lead) {
            const std::uint32_t e = b < 0x80 ? t->single[b] : 0;
            if (e == 0)
                PutRaw(o, b);
            else
                PutEntry(o, e, ls);
            return p + 1;
        }
        // Every byte of the code must be there before any of it is judged.
        const std::size_t length = b == kSs3 ? 3 : 2;
        for (std::size_t i = 1; i < length; ++i) {
            if (p + i == end) {
                if (!final) return nullptr;
                break;
            }
            const bool valid = b == kSs2 ? p[i] >= 0xA1 && p[i] <= 0xDF : IsEucByte(p[i]);
            if (!valid) break;
            if (i + 1 < length) continue;
            const std::uint32_t e = b == kSs2   ? t->kana[p[1] - 0xA0]
                                    : b == kSs3 ? t->triple[CellIndex(p[1], p[2])]
                                                : t->pair[CellIndex(b, p[1])];
            if (e != 0) {
                PutEntry(o, e, ls);
            } else {
                // Unassigned codes keep all their bytes raw, so the code stays one unit on the way back.
                for (std::size_t k = 0; k < length; ++k) PutRaw(o, p[k]);
            }
            return p + length;
        }
        PutRaw(o, b);
        return p + 1;
    }
};

inline std::uint32_t CodeOf(const Tables& t, char32_t c) {
    if (c >= 0x10000 || (t.encode[c] == 0 && c != 0)) return kUnencodable;
    return FullCode(t.encode[c]);
}

}  // namespace

const unsigned char* detail::DecodeEucJp(const unsigned char* p, const unsigned char* stop,
                                         const unsigned char* end, bool final, Breaks breaks,
                                         std::string& out, LineState& ls) {
    const Tables& t = GetTables();
    return DecodeWith(EucJpStep{&t}, t.asciiIsIdentity, Units(t), breaks, p, stop, end, final, out, ls);
}

void detail::EncodeEucJp(std::string_view utf8, std::string& out) {
    const Tables& t = GetTables();
    EncodeWith<true>(utf8, t.asciiIsIdentity, t.encode, out, [&t](char32_t c) { return CodeOf(t, c); });
}

std::uint32_t detail::EucJpCode(char32_t c) { return CodeOf(GetTables(), c); }

std::uint32_t detail::EucJpEntry(std::uint32_t code) {
    const Tables& t = GetTables();
    const auto lead = static_cast<unsigned char>(code >> 8 & 0xFF);
    const auto trail = static_cast<unsigned char>(code & 0xFF);
    if (!IsEucByte(lead) || !IsEucByte(trail) || code > 0x8FFFFF || (code > 0xFFFF && code >> 16 != kSs3))
        return 0;
    return code > 0xFFFF ? t.triple[CellIndex(lead, trail)] : t.pair[CellIndex(lead, trail)];
}

bool IsEucJpEncodable(char32_t c) { return CodeOf(GetTables(), c) != kUnencodable; }

bool IsEucJpConverterAvailable() { return GetTables().available; }

std::string EucJpTableSource() {
    auto t = std::make_unique<Tables>();
    BuildTables(*t);
    return TableSource("EUC-JP-MS", t->asciiIsIdentity, t->available, t->single, t->kana, t->pair, t->triple,
                       t->encode);
}

}  // namespace oruvan
