#include <cstddef>
#include <cstdint>

#include "platform/ConvertLoops.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define ORUVAN_UTF8_BLOCKS 1
#endif

namespace oruvan {

#if defined(ORUVAN_UTF8_BLOCKS)
// Table lookups on each byte and the bytes before it, after Keiser and Lemire, "Validating UTF-8 in less
// than one instruction per byte".
__attribute__((target("ssse3"))) bool detail::CheckUtf8Block(const unsigned char* p, std::uint64_t& breaks,
                                                             std::size_t& cut) {
    constexpr char kTooShort = 1 << 0, kTooLong = 1 << 1, kOverlong3 = 1 << 2, kTooLarge = 1 << 3,
                   kSurrogate = 1 << 4, kOverlong2 = 1 << 5, kTooLarge1000 = 1 << 6, kOverlong4 = 1 << 6,
                   kTwoConts = char(1 << 7), kCarry = kTooShort | kTooLong | kTwoConts;
    // By the high nibble of the byte before, its low nibble, and the high nibble of the byte itself.
    const __m128i byte1High =
        _mm_setr_epi8(kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
                      kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
                      kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4);
    const __m128i byte1Low = _mm_setr_epi8(
        kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000 | kSurrogate, kCarry | kTooLarge | kTooLarge1000,
        kCarry | kTooLarge | kTooLarge1000);
    const __m128i byte2High = _mm_setr_epi8(
        kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
        kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
        kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge, kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
        kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const auto high = [&](__m128i v) { return _mm_and_si128(_mm_srli_epi16(v, 4), nibble); };
    __m128i before = _mm_setzero_si128(), error = _mm_setzero_si128(), in = before;
    breaks = 0;
    for (int i = 0; i < 4; ++i) {
        in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i prev1 = _mm_alignr_epi8(in, before, 15);
        const __m128i special = _mm_and_si128(
            _mm_and_si128(_mm_shuffle_epi8(byte1High, high(prev1)),
                          _mm_shuffle_epi8(byte1Low, _mm_and_si128(prev1, nibble))),
            _mm_shuffle_epi8(byte2High, high(in)));
        // The third and fourth bytes of three- and four-byte characters must be continuation bytes.
        const __m128i third = _mm_subs_epu8(_mm_alignr_epi8(in, before, 14), _mm_set1_epi8(char(0xE0 - 0x80)));
        const __m128i fourth = _mm_subs_epu8(_mm_alignr_epi8(in, before, 13), _mm_set1_epi8(char(0xF0 - 0x80)));
        const __m128i must = _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(char(0x80)));
        error = _mm_or_si128(error, _mm_xor_si128(must, special));
        error = _mm_or_si128(error, _mm_cmpeq_epi8(in, _mm_set1_epi8(char(0xF4))));
        const __m128i brk =
            _mm_or_si128(_mm_cmpeq_epi8(in, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(in, _mm_set1_epi8('\r')));
        breaks |= std::uint64_t(static_cast<std::uint16_t>(_mm_movemask_epi8(brk))) << (16 * i);
        before = in;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(error, _mm_setzero_si128())) != 0xFFFF) return false;
    // A lead byte among the last three whose character goes on past them.
    const __m128i lastLeads = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, char(0xF0 - 1),
                                            char(0xE0 - 1), char(0xC0 - 1));
    cut = 0;
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(in, lastLeads), _mm_setzero_si128())) != 0xFFFF) {
        std::size_t lead = 63;
        while ((p[lead] & 0xC0) == 0x80) --lead;
        cut = 64 - lead;
    }
    return true;
}

bool detail::HasUtf8BlockCheck() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#else
bool detail::HasUtf8BlockCheck() { return false; }
bool detail::CheckUtf8Block(const unsigned char*, std::uint64_t&, std::size_t&) { return false; }
#endif

}  // namespace oruvan
