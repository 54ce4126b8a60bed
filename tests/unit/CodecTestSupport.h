#pragma once
// What the converter tests and fuzz targets share: code points as UTF-8, the system converter as a
// reference (with explicit charset names, so no locale is involved), decoding a document in chunks and
// writing it back.
#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DocumentBytes.h"
#include "platform/TextDecoder.h"
#include "platform/TextLines.h"
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

// Writes a decoded document back as a save does: the runs of the lines the decoder reported kept with
// their bytes from the input, the rest encoded, in pieces of whole lines of about `piece` bytes.
inline std::string WriteBack(std::string_view input, const Decoded& d,
                             std::size_t piece = std::string::npos) {
    std::vector<std::size_t> lineStarts;
    LineSplitter lines(d.text);
    std::string_view line, brk;
    std::size_t at = 0;
    while (lines.next(line, brk)) {
        lineStarts.push_back(at);
        at += line.size() + brk.size();
    }
    lineStarts.push_back(at);  // the empty line after a last break
    std::vector<KeptRun> runs;
    for (const NonCanonicalLine& l : d.nonCanonical) {
        for (KeptRun r : KeptRunsOfLine(d.encoding, l, input.substr(static_cast<std::size_t>(l.begin)))) {
            r.begin += lineStarts[l.line];
            r.end += lineStarts[l.line];
            runs.push_back(std::move(r));
        }
    }
    std::vector<std::string> texts;
    texts.reserve(runs.size());
    std::vector<KeptSpan> spans;
    for (const KeptRun& r : runs) {
        texts.push_back(DecodeText(d.encoding, r.bytes));
        spans.push_back({r.begin, r.end, r.bytes, texts.back()});
    }
    std::string written, out;
    const bool ok = EncodeDocument(d.encoding, d.text, spans, out, piece, [&](std::string& full) {
        written += full;
        full.clear();
        return true;
    });
    return ok ? written + out : std::string("(spill refused)");
}

}  // namespace oruvan
