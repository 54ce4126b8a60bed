// ISO-2022-JP over the EUC-JP tables: JIS X 0208 is EUC-JP's two-byte area less 0x80 a byte, so it reads
// with the same mapping as cp932 and EUC-JP (the Microsoft forms: U+FF5E for the wave dash and so on).
#include <cstring>
#include <vector>

#include "platform/CodeTables.h"
#include "platform/ConvertLoops.h"

namespace oruvan {

using namespace detail;

namespace {

// What the bytes after an escape sequence are.
enum class Set { Ascii, Roman, Kana, Jis0208, Jis0212 };

struct Escape {
    const char* bytes;
    Set set;
};

// JIS X 0201 Roman reads as ASCII, as 0x5C and 0x7E read in cp932; the 1978 set reads as JIS X 0208.
constexpr Escape kEscapes[] = {
    {"\x1B(B", Set::Ascii},   {"\x1B(J", Set::Roman},    {"\x1B(I", Set::Kana},     {"\x1B$B", Set::Jis0208},
    {"\x1B$@", Set::Jis0208}, {"\x1B$(B", Set::Jis0208}, {"\x1B$(D", Set::Jis0212},
};

constexpr char kToAscii[] = "\x1B(B";
constexpr char kToKana[] = "\x1B(I";
constexpr char kToJis0208[] = "\x1B$B";

inline bool IsJisByte(unsigned char b) { return b >= 0x21 && b <= 0x7E; }

// The escape sequence p starts, if any.
const Escape* EscapeAt(const unsigned char* p, const unsigned char* end) {
    const Escape* found = nullptr;
    if (*p != 0x1B) return found;
    for (const Escape& e : kEscapes) {
        const std::size_t length = std::strlen(e.bytes);
        if (static_cast<std::size_t>(end - p) >= length && std::memcmp(p, e.bytes, length) == 0) found = &e;
    }
    return found;
}

}  // namespace

bool detail::Iso2022JpStartsWithEscape(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    return !bytes.empty() && EscapeAt(p, p + bytes.size());
}

std::vector<std::size_t> detail::Iso2022JpPieceEnds(std::string_view line, bool atEscapes) {
    std::vector<std::size_t> ends;
    const auto* begin = reinterpret_cast<const unsigned char*>(line.data());
    const auto* end = begin + line.size();
    Set set = Set::Ascii;
    bool between = false;
    for (const unsigned char* p = begin; p < end;) {
        if (const Escape* e = EscapeAt(p, end)) {
            if (atEscapes && between && p > begin) ends.push_back(static_cast<std::size_t>(p - begin));
            set = e->set;
            p += std::strlen(e->bytes);
            between = true;
            continue;
        }
        // A 0x1B is never the second byte of a double-byte character, so escapes are found a byte at a
        // time in every set.
        // A byte no set reads is written in whatever set is in effect, so it does not end a piece.
        if (set == Set::Ascii && *p < 0x80) {
            if (between) ends.push_back(static_cast<std::size_t>(p - begin));
            between = false;
            ends.push_back(static_cast<std::size_t>(p + 1 - begin));
        } else {
            between = true;
        }
        ++p;
    }
    if (between) ends.push_back(line.size());
    return ends;
}

bool detail::Iso2022JpEndsShifted(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    Set set = Set::Ascii;
    while (p < end) {
        const Escape* e = EscapeAt(p, end);
        if (e) set = e->set;
        // Every break returns to ASCII.
        if (*p == '\r' || *p == '\n') set = Set::Ascii;
        p += e ? std::strlen(e->bytes) : 1;
    }
    return set != Set::Ascii;
}

bool detail::DecodeIso2022JpLine(std::string_view bytes, bool asBytes, std::string& out) {
    const std::size_t start = out.size();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    Set set = Set::Ascii;
    char buffer[8];
    while (p < end) {
        char* o = buffer;
        const unsigned char b = *p;
        if (const Escape* found = EscapeAt(p, end)) {
            set = found->set;
            p += std::strlen(found->bytes);
            continue;
        }
        const bool doubleByte = set == Set::Jis0208 || set == Set::Jis0212;
        if (b >= 0x80) {
            PutRaw(o, b);
            ++p;
        } else if (doubleByte && IsJisByte(b)) {
            if (end - p >= 2 && IsJisByte(p[1])) {
                const std::uint32_t code = (set == Set::Jis0212 ? 0x8F8080u : 0x8080u) | b << 8 | p[1];
                const std::uint32_t e = EucJpEntry(code);
                if (e != 0) {
                    PutPacked(o, e);
                } else {
                    PutRaw(o, b);
                    PutRaw(o, p[1]);
                }
                p += 2;
            } else {
                PutRaw(o, b);
                ++p;
            }
        } else if (set == Set::Kana && IsJisByte(b)) {
            if (b <= 0x5F)
                PutUtf8(o, 0xFF61 + (b - 0x21));
            else
                PutRaw(o, b);
            ++p;
        } else {
            // ASCII, and the spaces and controls of the other sets.
            *o++ = static_cast<char>(b);
            ++p;
        }
        out.append(buffer, static_cast<std::size_t>(o - buffer));
    }
    const bool escapesAlone = out.size() == start && !bytes.empty();
    if (asBytes && escapesAlone) {
        for (const char b : bytes) {
            if (b == 0x1B)
                AppendUtf8(kRawByteBase + 0x1B, out);
            else
                out += b;
        }
    }
    return escapesAlone;
}

void detail::DecodeIso2022Jp(std::string_view bytes, std::string& out) {
    bool afterCr = false;
    bool beforeAsBytes = false;
    for (std::size_t start = 0;;) {
        const std::size_t brk = bytes.find_first_of("\r\n", start);
        const std::size_t end = brk == std::string_view::npos ? bytes.size() : brk;
        const bool last = end == bytes.size();
        const bool asBytes =
            (afterCr && !last && bytes[end] == '\n') || (last && (start == 0 || beforeAsBytes));
        beforeAsBytes = DecodeIso2022JpLine(bytes.substr(start, end - start), asBytes, out) && asBytes;
        if (last) return;
        out += bytes[end];
        afterCr = bytes[end] == '\r';
        start = end + 1;
    }
}

bool detail::IsIso2022JpEncodable(char32_t c) {
    if (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) return true;
    const std::uint32_t code = EucJpCode(c);
    return code != kUnencodable && code >= 0xA1A1 && code <= 0xFEFE;
}

void detail::EncodeIso2022Jp(std::string_view utf8, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    Set set = Set::Ascii;
    const auto shift = [&](Set to, const char* escape) {
        if (set == to) return;
        out += escape;
        set = to;
    };
    while (p < end) {
        const Utf8Unit u = ReadUnit(p, end);
        p += u.length;
        if (u.isByte) {
            out += static_cast<char>(u.c);
            continue;
        }
        const char32_t c = u.c;
        if (c >= 0xFF61 && c <= 0xFF9F) {
            shift(Set::Kana, kToKana);
            out += static_cast<char>(c - 0xFF61 + 0x21);
            continue;
        }
        const std::uint32_t code = c < 0x80 ? kUnencodable : EucJpCode(c);
        if (code != kUnencodable && code >= 0xA1A1 && code <= 0xFEFE) {
            shift(Set::Jis0208, kToJis0208);
            out += static_cast<char>(code >> 8 & 0x7F);
            out += static_cast<char>(code & 0x7F);
            continue;
        }
        shift(Set::Ascii, kToAscii);
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    shift(Set::Ascii, kToAscii);
}

}  // namespace oruvan
