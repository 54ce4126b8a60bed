#pragma once
// Deterministic cp932 test documents for the benchmarks: a given size, heading count, share of
// double-byte text and line length, optionally with one very long line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/TextEncoding.h"

namespace oruvan::bench {

struct DocumentParams {
    std::size_t bytes = 1 << 20;       // approximate size of the document
    std::size_t headings = 1000;       // number of heading lines, spread evenly
    double doubleByteShare = 0.6;      // share of body characters that are double-byte
    std::size_t lineLength = 80;       // average body line length in bytes
    std::size_t longLineBytes = 0;     // one extra line of this many bytes in the middle (0: none)
    // Every this many lines end with 0xFA4A, the IBM code of a character whose NEC code converts back
    // instead, so the view keeps those lines as read (0: none).
    std::size_t keptCodeEvery = 0;
    std::uint64_t seed = 1;
};

// The document's bytes, lines ending in CR LF. Headings cycle through the marks "//@", "--" and "■".
std::string GenerateDocument(const DocumentParams& params);
// One line of body text, `bytes` long, without a break.
std::string GenerateLine(std::size_t bytes, std::uint64_t seed = 1);

// A generated document in another encoding (no byte order mark), its breaks as they are.
std::string DocumentIn(const std::string& cp932, Encoding encoding);

}  // namespace oruvan::bench
