// Text on its way into the view, as the document can hold it.
#include "view/EnteringText.h"

#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan {

// Text about to enter the view: every character stays as it is (Save asks about those the encoding has
// no code for), but a raw-byte code point the document cannot hold becomes '?', as no encoding would
// write it back as the byte it shows; every break becomes the document's own. Sets `altered` when
// anything changed.
std::string EnteringText(std::string_view in, Encoding encoding, LineBreak breakStyle, bool& altered) {
    const std::string_view brk = LineBreakText(breakStyle);
    std::string out;
    out.reserve(in.size());
    altered = false;
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    while (p < end) {
        if (*p == '\r' || *p == '\n') {
            LineBreak kind;
            const unsigned char* next = BreakEnd(p, end, true, kind);
            altered = altered || LineBreakText(kind) != brk;
            out.append(brk);
            p = next;
            continue;
        }
        if (*p < 0x80) {
            out.push_back(static_cast<char>(*p++));
            continue;
        }
        char32_t c = 0;
        const std::size_t n = ReadUtf8(p, end, c);
        if (n != 0 && (!IsRawByteCodePoint(c) || IsEncodable(encoding, c))) {
            out.append(reinterpret_cast<const char*>(p), n);
        } else {
            out.push_back('?');
            altered = true;
        }
        p += n ? n : 1;
    }
    return out;
}

}  // namespace oruvan
