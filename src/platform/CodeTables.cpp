#include "platform/CodeTables.h"

#include <iconv.h>

#include <algorithm>

namespace oruvan::detail {

namespace {

// Runs one conversion from a fresh state; true when all input converted. outSize becomes the bytes written.
bool ConvertOnce(iconv_t cd, const char* in, std::size_t inSize, char* out, std::size_t& outSize) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    std::size_t inLeft = inSize, outLeft = outSize;
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<std::size_t>(-1) || inLeft != 0) return false;
    outSize -= outLeft;
    return true;
}

// The one BMP character a code decodes to, or -1.
std::int32_t DecodeOne(iconv_t cd, std::uint32_t code) {
    const std::size_t length = code < 0x100 ? 1 : code < 0x10000 ? 2 : 3;
    char in[3];
    for (std::size_t i = 0; i < length; ++i) in[i] = static_cast<char>(code >> 8 * (length - 1 - i) & 0xFF);
    unsigned char out[8];
    std::size_t outSize = sizeof out;
    if (!ConvertOnce(cd, in, length, reinterpret_cast<char*>(out), outSize) || outSize != 4 || out[2] != 0 ||
        out[3] != 0)
        return -1;
    return std::int32_t(out[0]) | std::int32_t(out[1]) << 8;
}

// The code the system converter gives for a character, or kNoCode.
std::uint32_t EncodeOne(iconv_t cd, char32_t c) {
    const char in[4] = {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), char(c >> 24)};
    unsigned char out[8];
    std::size_t outSize = sizeof out;
    if (!ConvertOnce(cd, in, 4, reinterpret_cast<char*>(out), outSize) || outSize == 0 || outSize > 3)
        return kNoCode;
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < outSize; ++i) code = code << 8 | out[i];
    return code;
}

}  // namespace

CodeMap MapCodes(const char* charset, const std::vector<std::uint32_t>& codes) {
    CodeMap map;
    iconv_t dec = iconv_open("UTF-32LE", charset);
    iconv_t enc = iconv_open(charset, "UTF-32LE");
    const auto bad = reinterpret_cast<iconv_t>(-1);
    if (dec == bad || enc == bad) {
        if (dec != bad) iconv_close(dec);
        if (enc != bad) iconv_close(enc);
        return map;
    }
    map.available = true;
    map.charOf.resize(codes.size());
    map.codeOf.assign(0x10000, kNoCode);
    std::vector<std::uint8_t> codeCount(0x10000, 0);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::int32_t c = DecodeOne(dec, codes[i]);
        map.charOf[i] = c;
        if (c < 0) continue;
        if (codeCount[c] < 2 && codeCount[c]++ == 0) map.codeOf[c] = codes[i];
    }
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::int32_t c = map.charOf[i];
        if (c < 0 || codeCount[c] < 2 || map.codeOf[c] != codes[i]) continue;
        // First of several codes for c: the converter's own choice wins when it decodes back to c.
        const std::uint32_t chosen = EncodeOne(enc, static_cast<char32_t>(c));
        if (chosen != kNoCode && DecodeOne(dec, chosen) == c &&
            std::binary_search(codes.begin(), codes.end(), chosen))
            map.codeOf[c] = chosen;
    }
    iconv_close(dec);
    iconv_close(enc);
    return map;
}

}  // namespace oruvan::detail
