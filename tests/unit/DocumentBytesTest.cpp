// A document read in any encoding, in pieces cut anywhere, and written back in pieces of any size gives
// the bytes it was read from: the runs the decoder reports are kept with their bytes, the rest encoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "platform/Cp932.h"
#include "platform/DocumentBytes.h"

namespace oruvan {
namespace {

struct BytesRow {
    const char* name;
    std::string bytes;
};

std::vector<BytesRow> Rows() {
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    std::string pairs;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            pairs += static_cast<char>(lead);
            pairs += static_cast<char>(trail);
        }
        pairs += "\r\n";
    }
    return {
        {"every byte", every},
        {"every byte reversed", std::string(every.rbegin(), every.rend())},
        {"every double-byte code", pairs},
        {"mixed breaks", "a\rb\nc\r\nd\n\re\r\r\n"},
        {"lone lead byte at the end", "\x96\x96\x94\xF6\x81"},
        {"lead byte before a break", "x\x81\r\ny\x9F\nz\xE0\r"},
        {"NUL bytes", std::string("\0a\0\r\n\0\0", 7)},
        {"user-defined area", "\xF0\x40\xF0\x9F\xF9\xFC\r\n\xF5\x80"},
        {"duplicate codes",
         "\x87\x90\x81\xE0\xED\x40\xFA\x5C\xEE\xEF\xFA\x40\r\n\x87\x54\xFA\x4A\x81\xCA\xFA\x54"},
        {"ISO-2022-JP sets", "ok\n\x1B$@$\"\x1B(B\r\n\n\x1B(Jx\x1B$B\x1B(B\r\x1B(I1\x1B(B"},
        {"ISO-2022-JP escapes alone after the last break", "ok\r\n\x1B$B0!\n\x1B(I"},
        {"ISO-2022-JP escapes alone before and after the last break", "a\r\x1B(B\n\x1B(J\x1B(B"},
        {"ISO-2022-JP escapes alone", "\x1B$B\x1B(B"},
        {"ISO-2022-JP escape before bytes no set reads", "\x1B$B0!\x1B(B\x80\x81\r\n\x1B(I1\x1B(B\xFF!"},
        {"byte order marks", "\xEF\xBB\xBF\xFF\xFE\xFE\xFF" "a\r\n"},
        {"empty", ""},
    };
}

constexpr Encoding kEncodings[] = {Encoding::ShiftJis, Encoding::Utf8,       Encoding::Utf8Bom,
                                   Encoding::EucJp,    Encoding::Utf16Le,    Encoding::Utf16LeBom,
                                   Encoding::Utf16Be,  Encoding::Utf16BeBom, Encoding::Iso2022Jp};

TEST(DocumentBytes, AnyBytesInAnyEncodingCutAnywhereComeBack) {
    for (const BytesRow& row : Rows()) {
        for (const Encoding e : kEncodings) {
            for (const std::size_t cut :
                 {std::size_t(1), std::size_t(3), std::size_t(64), row.bytes.size()}) {
                std::vector<std::size_t> cuts;
                for (std::size_t at = cut; at < row.bytes.size(); at += cut) cuts.push_back(at);
                const Decoded d = DecodeInChunks(TextDecoder(e), row.bytes, cuts);
                for (const std::size_t piece : {std::size_t(1), std::size_t(5), std::string::npos})
                    ASSERT_EQ(WriteBack(row.bytes, d, piece), row.bytes)
                        << row.name << " " << EncodingName(e) << " cut " << cut << " piece " << piece;
            }
        }
    }
}

// A spill that fails stops the write at once.
TEST(DocumentBytes, RefusedSpillStops) {
    std::string out;
    int spills = 0;
    EXPECT_FALSE(EncodeDocument(Encoding::Utf16LeBom, "a\nb\nc", {}, out, 1, [&](std::string&) {
        ++spills;
        return false;
    }));
    EXPECT_EQ(spills, 1);
    EXPECT_EQ(out.substr(0, 2), "\xFF\xFE");
}

// Random bytes in every encoding: valid UTF-8 out, the same bytes written back in pieces of any size, any
// split read the same.
TEST(DocumentBytes, RandomBytesComeBackInEveryEncoding) {
    std::mt19937 rng(16);
    static const char* const kPieces[] = {"\r",
                                          "\n",
                                          "\r\n",
                                          "\x1B$B",
                                          "\x1B(B",
                                          "\x1B(I",
                                          "\x1B$@",
                                          "\x1B(J",
                                          "\xEF\xBB\xBF",
                                          "\xFF\xFE",
                                          "\xFE\xFF",
                                          "\x8F",
                                          "\x8E",
                                          "\xA4\xA2",
                                          "\x82\xA0",
                                          "\x87\x90",
                                          "\xAD\xF0",
                                          "\xE3\x81\x82",
                                          "\xF4\x8F\xB8\x80",
                                          "\x3D\xD8\x00\xDE",
                                          "$\"",
                                          "\xD8",
                                          "\xDC",
                                          "-!"};
    const Encoding encodings[] = {Encoding::ShiftJis, Encoding::Utf8,    Encoding::EucJp,
                                  Encoding::Utf16Le,  Encoding::Utf16Be, Encoding::Iso2022Jp};
    for (int i = 0; i < 1500; ++i) {
        std::string bytes;
        for (std::size_t n = rng() % 24; n > 0; --n) {
            if (rng() % 3 == 0)
                bytes += static_cast<char>(rng() % 256);
            else
                bytes += kPieces[rng() % std::size(kPieces)];
        }
        std::vector<std::size_t> cuts;
        for (std::size_t n = rng() % 5; n > 0; --n) cuts.push_back(rng() % (bytes.size() + 1));
        std::sort(cuts.begin(), cuts.end());
        for (Encoding e : encodings) {
            const Decoded whole = DecodeInChunks(TextDecoder(e), bytes, {});
            ASSERT_TRUE(IsValidUtf8(whole.text)) << EncodingName(e) << " " << i;
            ASSERT_EQ(WriteBack(bytes, whole, 1 + i % 7), bytes) << EncodingName(e) << " " << i;
            ASSERT_TRUE(DecodeInChunks(TextDecoder(e), bytes, cuts, i % 2 == 0) == whole)
                << EncodingName(e) << i;
            // Without a byte order mark, the one-shot conversion reads the same.
            if (ByteOrderMark(whole.encoding).empty()) {
                ASSERT_EQ(DecodeText(e, bytes), whole.text) << EncodingName(e);
            }
        }
    }
}

}  // namespace
}  // namespace oruvan
