#pragma once
// What the converter tests and fuzz targets share: code points as UTF-8, the system converter as a
// reference (with explicit charset names, so no locale is involved), decoding a document in chunks and
// writing it back.
#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TextDecoder.h"
#include "platform/Utf8.h"

namespace oruvan {

inline std::string U(char32_t c) {
    std::string s;
    AppendUtf8(c, s);
    return s;
}
inline std::string Raw(unsigned char b) { return U(kRawByteBase + b); }

// Converts with the system converter; false when it rejects the input.
inline bool SystemConvert(const char* to, const char* from, const std::string& in, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    out.assign(in.size() * 4 + 16, '\0');
    char* inPtr = const_cast<char*>(in.data());
    char* outPtr = &out[0];
    std::size_t inLeft = in.size(), outLeft = out.size();
    const bool ok =
        iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
    out.resize(out.size() - outLeft);
    iconv_close(cd);
    return ok;
}

inline bool IsValidUtf8(const std::string& s) {
    std::string ignored;
    return SystemConvert("UTF-32LE", "UTF-8", s, ignored);
}

// Everything a decoder says about a document.
struct Decoded {
    std::string text;
    std::vector<NonCanonicalLine> nonCanonical;
    std::size_t lines = 0;
    BreakCounts breaks;
    Encoding encoding = Encoding::ShiftJis;
};

inline bool operator==(const Decoded& a, const Decoded& b) {
    return a.text == b.text && a.nonCanonical == b.nonCanonical && a.lines == b.lines &&
           a.breaks.crlf == b.breaks.crlf && a.breaks.lf == b.breaks.lf && a.breaks.cr == b.breaks.cr &&
           a.encoding == b.encoding;
}

// Decodes bytes in the chunks that the ascending cut offsets make, then an empty last chunk when asked.
inline Decoded DecodeInChunks(TextDecoder&& decoder, std::string_view bytes,
                              const std::vector<std::size_t>& cuts, bool emptyLast = false) {
    Decoded d;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        decoder.decode(bytes.substr(from, cut - from), false, d.text);
        from = cut;
    }
    decoder.decode(bytes.substr(from), !emptyLast, d.text);
    if (emptyLast) decoder.decode({}, true, d.text);
    d.nonCanonical = decoder.nonCanonical();
    d.lines = decoder.linesSeen();
    d.breaks = decoder.breaks();
    d.encoding = decoder.encoding();
    return d;
}

// Writes a decoded document back as a saving caller does: the byte order mark, then each line as its
// kept original bytes or encoded, then its break encoded.
inline std::string WriteBack(std::string_view input, const Decoded& d) {
    std::string out(ByteOrderMark(d.encoding));
    auto original = d.nonCanonical.begin();
    std::size_t line = 0, start = 0;
    for (;;) {
        const std::size_t brk = d.text.find_first_of("\r\n", start);
        const std::size_t bodyEnd = brk == std::string::npos ? d.text.size() : brk;
        if (original != d.nonCanonical.end() && original->line == line) {
            out += input.substr(original->begin, original->end - original->begin);
            ++original;
        } else {
            EncodeText(d.encoding, std::string_view(d.text).substr(start, bodyEnd - start), out);
        }
        if (brk == std::string::npos) return out;
        const std::size_t next = d.text.compare(brk, 2, "\r\n") == 0 ? brk + 2 : brk + 1;
        EncodeText(d.encoding, std::string_view(d.text).substr(brk, next - brk), out);
        start = next;
        ++line;
    }
}

}  // namespace oruvan
