#include "DocumentGenerator.h"

#include <algorithm>

#include "platform/Cp932.h"

namespace oruvan::bench {

namespace {
// A small deterministic generator, so every run measures the same bytes.
struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
};

// Double-byte characters: hiragana 0x829F-0x82F1 and kanji rows 0x889F-0x9872.
void appendDoubleByte(Rng& r, std::string& out) {
    if (r.below(3) == 0) {
        out.push_back(static_cast<char>(0x82));
        out.push_back(static_cast<char>(0x9F + r.below(0xF1 - 0x9F + 1)));
    } else {
        out.push_back(static_cast<char>(0x88 + r.below(0x98 - 0x88)));
        out.push_back(static_cast<char>(0x9F + r.below(0xFC - 0x9F + 1)));
    }
}

void appendBody(Rng& r, const DocumentParams& params, std::size_t length, std::string& out) {
    const std::size_t end = out.size() + length;
    while (out.size() < end) {
        if (static_cast<double>(r.below(1000)) < params.doubleByteShare * 1000) {
            appendDoubleByte(r, out);
        } else {
            const char c = static_cast<char>(r.below(5) == 0 ? ' ' : 'a' + r.below(26));
            out.push_back(c);
        }
    }
}
}  // namespace

std::string GenerateDocument(const DocumentParams& params) {
    Rng r{params.seed * 0x9E3779B97F4A7C15ULL + 1};
    std::string out;
    out.reserve(params.bytes + params.longLineBytes + 4096);
    const char* marks[] = {"//@", "--", "\x81\xA1"};
    const std::size_t lines = std::max<std::size_t>(1, params.bytes / (params.lineLength + 2));
    const std::size_t every = params.headings ? std::max<std::size_t>(1, lines / params.headings) : 0;
    std::size_t headings = 0;
    // The long line does not count toward the size: the text around it is as long as asked.
    std::size_t longLine = 0;
    for (std::size_t i = 0; out.size() < params.bytes + longLine; ++i) {
        if (every && i % every == 0 && headings < params.headings) {
            if (r.below(4) == 0) out += "  ";
            out += marks[headings % 3];
            out += "Chapter ";
            out += std::to_string(headings + 1);
            out.push_back(' ');
            appendBody(r, params, 10 + r.below(30), out);
            ++headings;
        } else {
            appendBody(r, params, params.lineLength / 2 + r.below(params.lineLength + 1), out);
        }
        if (params.keptCodeEvery && i % params.keptCodeEvery == 0) out += "\xFA\x4A";
        out += "\r\n";
        if (params.longLineBytes && i == lines / 2) {
            const std::size_t before = out.size();
            appendBody(r, params, params.longLineBytes, out);
            out += "\r\n";
            longLine = out.size() - before;
        }
    }
    return out;
}

std::string GenerateLine(std::size_t bytes, std::uint64_t seed) {
    Rng r{seed * 0x9E3779B97F4A7C15ULL + 1};
    std::string out;
    out.reserve(bytes + 4);
    appendBody(r, DocumentParams{}, bytes, out);
    return out;
}

std::string DocumentIn(const std::string& cp932, Encoding encoding) {
    return encoding == Encoding::ShiftJis ? cp932 : EncodeText(encoding, Cp932ToUtf8(cp932));
}

}  // namespace oruvan::bench
