#include "platform/TextEncoding.h"

#include <cstring>

#include "platform/ConvertLoops.h"
#include "platform/Cp932.h"
#include "platform/EucJp.h"
#include "platform/TextLines.h"

namespace oruvan {

using namespace detail;

namespace {

bool IsUtf8(Encoding e) { return e == Encoding::Utf8 || e == Encoding::Utf8Bom; }
bool IsUtf16Le(Encoding e) { return e == Encoding::Utf16Le || e == Encoding::Utf16LeBom; }
bool IsUtf16Be(Encoding e) { return e == Encoding::Utf16Be || e == Encoding::Utf16BeBom; }

struct Alias {
    const char* name;
    Encoding encoding;
};

constexpr Alias kAliases[] = {
    {"shift_jis", Encoding::ShiftJis}, {"sjis", Encoding::ShiftJis},    {"cp932", Encoding::ShiftJis},
    {"utf-8", Encoding::Utf8},         {"utf8", Encoding::Utf8},        {"utf-8 bom", Encoding::Utf8Bom},
    {"utf-8-bom", Encoding::Utf8Bom},  {"euc-jp", Encoding::EucJp},     {"eucjp-ms", Encoding::EucJp},
    {"utf-16le", Encoding::Utf16Le},   {"utf-16be", Encoding::Utf16Be}, {"iso-2022-jp", Encoding::Iso2022Jp},
};

bool EqualsIgnoringAsciiCase(std::string_view a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != b[i]) return false;
    }
    return true;
}

// A UTF-8 document's text is its bytes, but for the raw-byte code points (four bytes from 0xF4), which
// go back to their single bytes.
void EncodeUtf8(std::string_view utf8, std::string& out) {
    for (std::size_t from = 0; from < utf8.size();) {
        const void* hit = std::memchr(utf8.data() + from, 0xF4, utf8.size() - from);
        const std::size_t at =
            hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - utf8.data()) : utf8.size();
        out.append(utf8, from, at - from);
        if (at == utf8.size()) break;
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data()) + at;
        const Utf8Unit u = ReadUnit(p, p + (utf8.size() - at));
        if (u.isByte)
            out += static_cast<char>(u.c);
        else
            out.append(utf8, at, u.length);
        from = at + u.length;
    }
}

template <bool kBigEndian>
void EncodeUtf16(std::string_view utf8, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    const auto put = [&out](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += kBigEndian ? high : low;
        out += kBigEndian ? low : high;
    };
    out.reserve(out.size() + utf8.size() * 2);
    while (p < end) {
        const Utf8Unit u = ReadUnit(p, end);
        p += u.length;
        if (u.isByte) {
            out += static_cast<char>(u.c);
        } else if (u.c < 0x10000) {
            put(u.c);
        } else {
            put(0xD800 + ((u.c - 0x10000) >> 10));
            put(0xDC00 + ((u.c - 0x10000) & 0x3FF));
        }
    }
}

}  // namespace

const char* EncodingName(Encoding e) {
    switch (e) {
        case Encoding::ShiftJis:
            return "Shift_JIS";
        case Encoding::Utf8:
            return "UTF-8";
        case Encoding::Utf8Bom:
            return "UTF-8 BOM";
        case Encoding::EucJp:
            return "EUC-JP";
        case Encoding::Utf16Le:
        case Encoding::Utf16LeBom:
            return "UTF-16LE";
        case Encoding::Utf16Be:
        case Encoding::Utf16BeBom:
            return "UTF-16BE";
        case Encoding::Iso2022Jp:
            break;
    }
    return "ISO-2022-JP";
}

std::optional<Encoding> EncodingFromName(std::string_view name) {
    for (const Alias& a : kAliases)
        if (EqualsIgnoringAsciiCase(name, a.name)) return a.encoding;
    return std::nullopt;
}

std::string_view ByteOrderMark(Encoding e) {
    switch (e) {
        case Encoding::Utf8Bom:
            return "\xEF\xBB\xBF";
        case Encoding::Utf16LeBom:
            return "\xFF\xFE";
        case Encoding::Utf16BeBom:
            return "\xFE\xFF";
        default:
            return {};
    }
}

Encoding WithByteOrderMark(Encoding e, bool bom) {
    if (IsUtf8(e)) return bom ? Encoding::Utf8Bom : Encoding::Utf8;
    if (IsUtf16Le(e)) return bom ? Encoding::Utf16LeBom : Encoding::Utf16Le;
    if (IsUtf16Be(e)) return bom ? Encoding::Utf16BeBom : Encoding::Utf16Be;
    return e;
}

bool IsUnicode(Encoding e) { return IsUtf8(e) || IsUtf16Le(e) || IsUtf16Be(e); }

const char* LineBreakName(LineBreak b) {
    return b == LineBreak::CrLf ? "CRLF" : b == LineBreak::Lf ? "LF" : "CR";
}

std::string_view LineBreakText(LineBreak b) {
    return b == LineBreak::CrLf ? "\r\n" : b == LineBreak::Lf ? "\n" : "\r";
}

LineBreak BreakCounts::dominant() const {
    if (crlf >= lf && crlf >= cr) return LineBreak::CrLf;
    return lf >= cr ? LineBreak::Lf : LineBreak::Cr;
}

bool BreakCounts::mixed() const { return (crlf > 0) + (lf > 0) + (cr > 0) > 1; }

void DecodeText(Encoding e, std::string_view bytes, std::string& out) {
    if (e == Encoding::Iso2022Jp) {
        DecodeIso2022Jp(bytes, out);
        return;
    }
    const DecodeFunction decode = e == Encoding::ShiftJis ? DecodeCp932
                                  : e == Encoding::EucJp  ? DecodeEucJp
                                  : IsUtf8(e)             ? DecodeUtf8
                                  : IsUtf16Le(e)          ? DecodeUtf16Le
                                                          : DecodeUtf16Be;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    LineState ls;
    decode(p, p + bytes.size(), p + bytes.size(), true, Breaks::Ignore, out, ls);
}

std::string DecodeText(Encoding e, std::string_view bytes) {
    std::string out;
    DecodeText(e, bytes, out);
    return out;
}

void EncodeText(Encoding e, std::string_view utf8, std::string& out) {
    if (e == Encoding::ShiftJis)
        Utf8ToCp932(utf8, out);
    else if (e == Encoding::EucJp)
        EncodeEucJp(utf8, out);
    else if (e == Encoding::Iso2022Jp)
        EncodeIso2022Jp(utf8, out);
    else if (IsUtf8(e))
        EncodeUtf8(utf8, out);
    else if (IsUtf16Le(e))
        EncodeUtf16<false>(utf8, out);
    else
        EncodeUtf16<true>(utf8, out);
}

std::string EncodeText(Encoding e, std::string_view utf8) {
    std::string out;
    EncodeText(e, utf8, out);
    return out;
}

bool IsEncodable(Encoding e, char32_t c) {
    if (c == kRawByteBase + '\r' || c == kRawByteBase + '\n') return false;
    if (IsRawByteCodePoint(c)) return !IsUtf16Le(e) && !IsUtf16Be(e);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    switch (e) {
        case Encoding::ShiftJis:
            return IsCp932Encodable(c);
        case Encoding::EucJp:
            return IsEucJpEncodable(c);
        case Encoding::Iso2022Jp:
            return IsIso2022JpEncodable(c);
        default:
            return true;
    }
}

namespace {

template <typename Lacks>
std::optional<Unencodable> FindFirst(std::string_view utf8, const Lacks& lacks) {
    const auto* begin = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* p = begin;
    const auto* end = p + utf8.size();
    std::size_t line = 0;
    while (p < end) {
        while (end - p >= 8) {
            const std::uint64_t v = Load8(p);
            if ((v & kHighs) != 0 || !LacksByte(v, '\n') || !LacksByte(v, '\r')) break;
            p += 8;
        }
        if (p == end) break;
        if (*p == '\r' || *p == '\n') {
            ++line;
            LineBreak kind;
            p = BreakEnd(p, end, true, kind);
            continue;
        }
        char32_t c;
        const std::size_t n = ReadUtf8(p, end, c);
        if (n != 0 && lacks(c)) return Unencodable{static_cast<std::size_t>(p - begin), line, c};
        p += n ? n : 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Unencodable> FindUnencodable(Encoding e, std::string_view utf8) {
    return FindFirst(utf8, [e](char32_t c) { return !IsEncodable(e, c); });
}

std::optional<Unencodable> FindUnwritable(Encoding e, std::string_view utf8) {
    if (IsUnicode(e)) return std::nullopt;
    return FindFirst(utf8, [e](char32_t c) { return !IsRawByteCodePoint(c) && !IsEncodable(e, c); });
}

}  // namespace oruvan
