// Every document encoding: reading in chunks, writing back, encoding the view's text, and detection.
//
// Input: one byte choosing the encoding, two choosing where the decoder's chunks split, then the text.
// The text is read as a document in that encoding, and separately taken as the view's UTF-8.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "../unit/CodecTestSupport.h"
#include "FuzzSupport.h"
#include "platform/EncodingDetector.h"
#include "platform/TextEncoding.h"

using namespace oruvan;

namespace {

constexpr Encoding kEncodings[] = {Encoding::ShiftJis, Encoding::Utf8,       Encoding::Utf8Bom,
                                   Encoding::EucJp,    Encoding::Utf16Le,    Encoding::Utf16LeBom,
                                   Encoding::Utf16Be,  Encoding::Utf16BeBom, Encoding::Iso2022Jp};

// Valid UTF-8, breaks counted as the decoder counts them, the same bytes written back, and any split
// (with or without an empty last chunk) read the same.
void CheckDocument(Encoding e, std::string_view bytes, unsigned char a, unsigned char b) {
    const Decoded whole = DecodeInChunks(TextDecoder(e), bytes, {});
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < whole.text.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(whole.text, i, c);
        FUZZ_CHECK(n != 0);
        if (c == '\r' || c == '\n') ++breaks;
        if (c == '\r' && i + 1 < whole.text.size() && whole.text[i + 1] == '\n') --breaks;
        i += n;
    }
    FUZZ_CHECK(breaks == whole.lines);
    FUZZ_CHECK(whole.breaks.total() == whole.lines);
    FUZZ_CHECK(WithByteOrderMark(whole.encoding, false) == WithByteOrderMark(e, false));
    FUZZ_CHECK(WriteBack(bytes, whole) == bytes);
    FUZZ_CHECK(WriteBack(bytes, whole, 1 + a % 64) == bytes);
    for (std::size_t i = 1; i < whole.nonCanonical.size(); ++i)
        FUZZ_CHECK(whole.nonCanonical[i - 1].line < whole.nonCanonical[i].line);

    const std::size_t n = bytes.size();
    std::size_t first = a * (n + 1) / 256, second = b * (n + 1) / 256;
    if (first > second) std::swap(first, second);
    for (const std::vector<std::size_t>& cuts :
         {std::vector<std::size_t>{first}, std::vector<std::size_t>{first, second},
          std::vector<std::size_t>{first, first, second}}) {
        for (bool emptyLast : {false, true})
            FUZZ_CHECK(DecodeInChunks(TextDecoder(e), bytes, cuts, emptyLast) == whole);
    }

    // The view of old: the same text with every break one LF.
    const Decoded lf = DecodeInChunks(TextDecoder(e, BreakMode::ToLf), bytes, {first});
    std::string unified;
    for (std::size_t i = 0; i < whole.text.size(); ++i) {
        if (whole.text[i] == '\r' && i + 1 < whole.text.size() && whole.text[i + 1] == '\n') continue;
        unified += whole.text[i] == '\r' ? '\n' : whole.text[i];
    }
    FUZZ_CHECK(lf.text == unified);
    FUZZ_CHECK(lf.nonCanonical == whole.nonCanonical);
}

// The bytes as the view's UTF-8: what the encoding holds comes back (a typed form as the character files
// hold for it), the rest is '?', and the first character it does not hold is the one FindUnencodable
// names; FindUnwritable names the first that is not a raw byte.
void CheckEncoding(Encoding e, std::string_view utf8) {
    std::string held;
    std::size_t firstUnheld = std::string::npos, firstUnwritable = std::string::npos;
    bool rawOrEscape = false;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(utf8, i, c);
        if (n == 0) return;  // not the view's kind of text
        const bool encodable = IsEncodable(e, c);
        if (!encodable && firstUnheld == std::string::npos) firstUnheld = i;
        if (!encodable && !IsRawByteCodePoint(c) && firstUnwritable == std::string::npos) firstUnwritable = i;
        const char32_t back = IsUnicode(e) ? c : fuzz::ReadBackAs(c);
        held += !encodable  ? std::string("?")
                : back == c ? std::string(utf8.substr(i, n))
                            : fuzz::Utf8Of(back);
        rawOrEscape = rawOrEscape || IsRawByteCodePoint(c) || c == 0x1B;
        i += n;
    }
    const std::optional<Unencodable> found = FindUnencodable(e, utf8);
    FUZZ_CHECK(found.has_value() == (firstUnheld != std::string::npos));
    if (found) FUZZ_CHECK(found->offset == firstUnheld);
    const std::optional<Unencodable> unwritable = FindUnwritable(e, utf8);
    FUZZ_CHECK(unwritable.has_value() == (firstUnwritable != std::string::npos && !IsUnicode(e)));
    if (unwritable) FUZZ_CHECK(unwritable->offset == firstUnwritable);
    // A raw byte can join what follows it into another character, and an ESC into an escape sequence.
    if (rawOrEscape) return;
    FUZZ_CHECK(DecodeText(e, EncodeText(e, utf8)) == held);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const Encoding e = kEncodings[data[0] % std::size(kEncodings)];
    const std::string_view text = fuzz::AsText(data + 3, size - 3);
    CheckDocument(e, text, data[1], data[2]);
    CheckEncoding(e, text);
    const Encoding detected = DetectEncoding(text, data[1] % 2 == 0);
    FUZZ_CHECK(EncodingName(detected) != nullptr);
    return 0;
}
