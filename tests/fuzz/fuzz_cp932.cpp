// The cp932 converter both ways and the streaming decoder.
//
// Input: two bytes choosing where the decoder's chunks split and a UTF-8 offset to look up, then the
// text. The text is converted as cp932, and separately read as a UTF-8 buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "platform/Cp932.h"

using namespace oruvan;

namespace {

std::string EncodeUtf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | c >> 18);
        s += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

// CR LF and lone CR become LF, as the decoder does while it reads.
std::string UnifyBreaks(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Decoded {
    std::string text;
    std::vector<std::size_t> nonCanonicalLines;
    std::size_t lines;
};

Decoded DecodeInChunks(std::string_view text, const std::vector<std::size_t>& cuts, bool emptyLast) {
    Cp932Decoder decoder;
    Decoded d;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        decoder.decode(text.substr(from, cut - from), false, d.text);
        from = cut;
    }
    if (emptyLast) {
        decoder.decode(text.substr(from), false, d.text);
        decoder.decode({}, true, d.text);
    } else {
        decoder.decode(text.substr(from), true, d.text);
    }
    d.nonCanonicalLines = decoder.nonCanonicalLines();
    d.lines = decoder.linesSeen();
    return d;
}

// cp932 to UTF-8 and back, and what the UTF-8 side may hold.
void CheckConversion(std::string_view cp932, std::size_t offsetChoice) {
    const std::string utf8 = Cp932ToUtf8(cp932);
    std::string appended = "x";
    Cp932ToUtf8(cp932, appended);
    FUZZ_CHECK(appended == "x" + utf8);

    // Valid UTF-8 throughout: BMP characters cp932 has, or raw-byte code points.
    std::vector<std::size_t> unitEnds;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(utf8, i, c);
        FUZZ_CHECK(n != 0);
        FUZZ_CHECK(c < 0x10000 || IsRawByteCodePoint(c));
        FUZZ_CHECK(IsCp932Encodable(c));
        i += n;
        unitEnds.push_back(i);
    }

    const std::string back = Utf8ToCp932(utf8);
    FUZZ_CHECK(back.size() == cp932.size());
    FUZZ_CHECK(Cp932Length(utf8) == cp932.size());
    FUZZ_CHECK(IsCanonicalRun(back));
    // Byte for byte unless a code shares its character with another; then the canonical code decodes
    // to the very same text.
    if (IsCanonicalRun(cp932)) FUZZ_CHECK(back == cp932);
    FUZZ_CHECK(Cp932ToUtf8(back) == utf8);

    // The offset lookup stops on a character, before the one that would pass the cp932 offset.
    const std::size_t want = offsetChoice * (cp932.size() + 2) / 255;
    const std::size_t at = Utf8OffsetOfCp932(utf8, want);
    FUZZ_CHECK(at <= utf8.size());
    FUZZ_CHECK(at == 0 || std::binary_search(unitEnds.begin(), unitEnds.end(), at));
    FUZZ_CHECK(Cp932Length(std::string_view(utf8).substr(0, at)) <= want);
    if (at < utf8.size()) {
        const std::size_t next = *std::upper_bound(unitEnds.begin(), unitEnds.end(), at);
        FUZZ_CHECK(Cp932Length(std::string_view(utf8).substr(0, next)) > want);
    } else {
        FUZZ_CHECK(want >= cp932.size());
    }
}

// Chunks split anywhere decode as the whole, which is the one-shot conversion with breaks made LF.
void CheckDecoder(std::string_view cp932, unsigned char a, unsigned char b) {
    const std::size_t n = cp932.size();
    std::size_t first = a * (n + 1) / 256, second = b * (n + 1) / 256;
    if (first > second) std::swap(first, second);

    const Decoded whole = DecodeInChunks(cp932, {}, false);
    const std::string unified = UnifyBreaks(cp932);
    FUZZ_CHECK(whole.text == Cp932ToUtf8(unified));
    FUZZ_CHECK(whole.lines == static_cast<std::size_t>(std::count(unified.begin(), unified.end(), '\n')));

    // A line is listed exactly when it holds a non-canonical code.
    std::vector<std::size_t> expected;
    std::size_t line = 0;
    for (std::size_t start = 0; start <= unified.size(); ++line) {
        std::size_t end = unified.find('\n', start);
        if (end == std::string::npos) end = unified.size();
        if (!IsCanonicalRun(std::string_view(unified).substr(start, end - start))) expected.push_back(line);
        start = end + 1;
    }
    FUZZ_CHECK(whole.nonCanonicalLines == expected);

    for (const std::vector<std::size_t>& cuts :
         {std::vector<std::size_t>{first}, std::vector<std::size_t>{first, second},
          std::vector<std::size_t>{first, first, second}}) {
        for (bool emptyLast : {false, true}) {
            const Decoded split = DecodeInChunks(cp932, cuts, emptyLast);
            FUZZ_CHECK(split.text == whole.text);
            FUZZ_CHECK(split.nonCanonicalLines == whole.nonCanonicalLines);
            FUZZ_CHECK(split.lines == whole.lines);
        }
    }
}

// The same bytes as a UTF-8 buffer, as the editor may hold after a paste.
void CheckEncoding(std::string_view utf8) {
    const std::string cp932 = Utf8ToCp932(utf8);
    FUZZ_CHECK(Cp932Length(utf8) == cp932.size());
    FUZZ_CHECK(cp932.size() <= utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(utf8, i, c);
        if (n == 0) {
            // Not UTF-8: the byte is copied as it is.
            FUZZ_CHECK(Utf8ToCp932(utf8.substr(i, 1)) == utf8.substr(i, 1));
            ++i;
            continue;
        }
        const std::string one(utf8.substr(i, n));
        const std::string encoded = Utf8ToCp932(one);
        // A raw-byte code point gives its byte, other encodable characters come back as themselves
        // (a typed form as the character files hold for it), the rest become '?'.
        if (IsRawByteCodePoint(c))
            FUZZ_CHECK(encoded == std::string(1, static_cast<char>(c - kRawByteBase)));
        else if (IsCp932Encodable(c))
            FUZZ_CHECK(Cp932ToUtf8(encoded) == EncodeUtf8(fuzz::ReadBackAs(c)));
        else
            FUZZ_CHECK(encoded == "?");
        FUZZ_CHECK(EncodeUtf8(c) == one);
        i += n;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view text = fuzz::AsText(data + 2, size - 2);
    CheckConversion(text, data[1]);
    CheckDecoder(text, data[0], data[1]);
    CheckEncoding(text);
    return 0;
}
