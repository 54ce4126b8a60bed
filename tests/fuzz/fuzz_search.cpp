// Searching: the literal pattern of any text compiles, and every search reports matches inside the
// text, on character boundaries, in order; stepping back finds the last match a forward scan finds.
//
// Input: one flag byte (bit 0 match case, bit 1 ignore width, bit 2 regular expression), the search text
// up to the first NUL (code points of its UTF-8; a byte that starts none is taken as itself), then the
// text searched.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "platform/TextSearch.h"

using namespace oruvan;

namespace {

// False when p falls inside a valid UTF-8 sequence (bytes that are no character may stand anywhere).
bool OnBoundary(std::string_view s, std::size_t p) {
    for (std::size_t k = 1; k <= 3 && k <= p; ++k) {
        char32_t c = 0;
        if (fuzz::DecodeUtf8(s, p - k, c) > k) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size < 1) return 0;
    const SearchOptions options{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
    const std::string_view rest = fuzz::AsText(data + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string_view needleBytes = rest.substr(0, nul);
    const std::string_view text = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    std::u32string needle;
    for (std::size_t i = 0; i < needleBytes.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(needleBytes, i, c);
        needle.push_back(n ? c : static_cast<unsigned char>(needleBytes[i]));
        i += n ? n : 1;
    }

    TextSearch search;
    const bool compiled = search.compile(needle, options);
    FUZZ_CHECK(compiled || options.regex);
    if (!compiled) return 0;

    std::vector<TextMatch> all;
    std::size_t previousEnd = 0;
    search.forEach(text, 0, text.size() + 1, [&](const TextMatch& m) {
        FUZZ_CHECK(m.start <= m.end && m.end <= text.size());
        FUZZ_CHECK(m.start >= previousEnd);
        FUZZ_CHECK(OnBoundary(text, m.start) && OnBoundary(text, m.end));
        FUZZ_CHECK(all.empty() || m.start > all.back().start || m.end > all.back().end);
        previousEnd = m.end;
        all.push_back(m);
        return all.size() < 1000;
    });
    if (search.tooComplex()) return 0;
    const std::optional<TextMatch> first = search.next(text, 0);
    FUZZ_CHECK(first.has_value() == !all.empty());
    if (first) FUZZ_CHECK(*first == all.front());
    // A literal text without a line break is found the same way back and forth.
    if (!options.regex && needle.find_first_of(U"\r\n") == std::u32string::npos && !all.empty() &&
        all.size() < 1000) {
        const std::optional<TextMatch> last = search.previous(text, text.size() + 1);
        FUZZ_CHECK(last.has_value());
        FUZZ_CHECK(*last == all.back());
    }
    return 0;
}
