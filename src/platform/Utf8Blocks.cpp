#include <cstddef>
#include <cstdint>

#include "platform/ConvertLoops.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORUVAN_UTF8_BLOCKS 1
#endif

namespace oruvan {

#if defined(ORUVAN_UTF8_BLOCKS)
namespace {

// Table lookups on each byte and the bytes before it, after Keiser and Lemire, "Validating UTF-8 in less
// than one instruction per byte": each table gives the faults a nibble allows, and a byte is in fault
// where all three agree.
constexpr char kTooShort = 1 << 0, kTooLong = 1 << 1, kOverlong3 = 1 << 2, kTooLarge = 1 << 3,
               kSurrogate = 1 << 4, kOverlong2 = 1 << 5, kTooLarge1000 = 1 << 6, kOverlong4 = 1 << 6,
               kTwoConts = char(1 << 7), kCarry = kTooShort | kTooLong | kTwoConts, kLarge = kTooLarge | kTooLarge1000;
// By the high nibble of the byte before, its low nibble, and the high nibble of the byte itself.
alignas(16) constexpr char kByte1High[16] = {
    kTooLong,  kTooLong,  kTooLong,  kTooLong,  kTooLong,  kTooLong,  kTooLong,  kTooLong,
    kTwoConts, kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
    kTooShort | kOverlong3 | kSurrogate, kTooShort | kLarge | kOverlong4};
alignas(16) constexpr char kByte1Low[16] = {
    kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry, kCarry | kTooLarge,
    kCarry | kLarge, kCarry | kLarge, kCarry | kLarge, kCarry | kLarge, kCarry | kLarge, kCarry | kLarge,
    kCarry | kLarge, kCarry | kLarge, kCarry | kLarge | kSurrogate, kCarry | kLarge, kCarry | kLarge};
alignas(16) constexpr char kByte2High[16] = {
    kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge, kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort, kTooShort};
// Lead bytes among the last three bytes whose character goes on past them.
alignas(32) constexpr unsigned char kLastLeads[32] = {
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0xF0 - 1, 0xE0 - 1, 0xC0 - 1};

// The bytes of a character cut by the end of the 64 at p, a lead byte among the last three saying one is.
std::size_t CutAtEnd(const unsigned char* p, bool leadAtEnd) {
    if (!leadAtEnd) return 0;
    std::size_t lead = 63;
    while ((p[lead] & 0xC0) == 0x80) --lead;
    return 64 - lead;
}

// Lambdas do not take their function's target: these helpers carry their own.
__attribute__((target("avx2"))) inline __m256i Table32(const char* t) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t)));
}
__attribute__((target("avx2"))) inline __m256i HighNibbles32(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}
__attribute__((target("ssse3"))) inline __m128i HighNibbles16(__m128i v) {
    return _mm_and_si128(_mm_srli_epi16(v, 4), _mm_set1_epi8(0x0F));
}

}  // namespace

__attribute__((target("avx2"))) bool detail::CheckUtf8Block32(const unsigned char* p, std::uint64_t& breaks,
                                                              std::size_t& cut) {
    const __m256i byte1High = Table32(kByte1High), byte1Low = Table32(kByte1Low), byte2High = Table32(kByte2High);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i before = _mm256_setzero_si256(), error = before, in = before;
    breaks = 0;
    for (int i = 0; i < 2; ++i) {
        in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
        // The bytes one, two and three places before each: the lanes of 16 joined across.
        const __m256i joined = _mm256_permute2x128_si256(before, in, 0x21);
        const __m256i prev1 = _mm256_alignr_epi8(in, joined, 15);
        const __m256i special = _mm256_and_si256(
            _mm256_and_si256(_mm256_shuffle_epi8(byte1High, HighNibbles32(prev1)),
                             _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, nibble))),
            _mm256_shuffle_epi8(byte2High, HighNibbles32(in)));
        // The third and fourth bytes of three- and four-byte characters must be continuation bytes.
        const __m256i third =
            _mm256_subs_epu8(_mm256_alignr_epi8(in, joined, 14), _mm256_set1_epi8(char(0xE0 - 0x80)));
        const __m256i fourth =
            _mm256_subs_epu8(_mm256_alignr_epi8(in, joined, 13), _mm256_set1_epi8(char(0xF0 - 0x80)));
        const __m256i must = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
        error = _mm256_or_si256(error, _mm256_xor_si256(must, special));
        error = _mm256_or_si256(error, _mm256_cmpeq_epi8(in, _mm256_set1_epi8(char(0xF4))));
        const __m256i brk = _mm256_or_si256(_mm256_cmpeq_epi8(in, _mm256_set1_epi8('\n')),
                                            _mm256_cmpeq_epi8(in, _mm256_set1_epi8('\r')));
        breaks |= std::uint64_t(static_cast<std::uint32_t>(_mm256_movemask_epi8(brk))) << (32 * i);
        before = in;
    }
    if (!_mm256_testz_si256(error, error)) return false;
    const __m256i pastLeads =
        _mm256_subs_epu8(in, _mm256_load_si256(reinterpret_cast<const __m256i*>(kLastLeads)));
    cut = CutAtEnd(p, !_mm256_testz_si256(pastLeads, pastLeads));
    return true;
}

__attribute__((target("ssse3"))) bool detail::CheckUtf8Block16(const unsigned char* p, std::uint64_t& breaks,
                                                               std::size_t& cut) {
    const __m128i byte1High = _mm_load_si128(reinterpret_cast<const __m128i*>(kByte1High)),
                  byte1Low = _mm_load_si128(reinterpret_cast<const __m128i*>(kByte1Low)),
                  byte2High = _mm_load_si128(reinterpret_cast<const __m128i*>(kByte2High));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    __m128i before = _mm_setzero_si128(), error = before, in = before;
    breaks = 0;
    for (int i = 0; i < 4; ++i) {
        in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const __m128i prev1 = _mm_alignr_epi8(in, before, 15);
        const __m128i special = _mm_and_si128(
            _mm_and_si128(_mm_shuffle_epi8(byte1High, HighNibbles16(prev1)),
                          _mm_shuffle_epi8(byte1Low, _mm_and_si128(prev1, nibble))),
            _mm_shuffle_epi8(byte2High, HighNibbles16(in)));
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
    const __m128i zero = _mm_setzero_si128();
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(error, zero)) != 0xFFFF) return false;
    const __m128i pastLeads =
        _mm_subs_epu8(in, _mm_load_si128(reinterpret_cast<const __m128i*>(kLastLeads + 16)));
    cut = CutAtEnd(p, _mm_movemask_epi8(_mm_cmpeq_epi8(pastLeads, zero)) != 0xFFFF);
    return true;
}

namespace {

enum class BlockCheck { None, Ssse3, Avx2 };

BlockCheck Available() {
    static const BlockCheck available = __builtin_cpu_supports("avx2")    ? BlockCheck::Avx2
                                        : __builtin_cpu_supports("ssse3") ? BlockCheck::Ssse3
                                                                          : BlockCheck::None;
    return available;
}

}  // namespace

bool detail::CheckUtf8Block(const unsigned char* p, std::uint64_t& breaks, std::size_t& cut) {
    return Available() == BlockCheck::Avx2 ? CheckUtf8Block32(p, breaks, cut) : CheckUtf8Block16(p, breaks, cut);
}

bool detail::HasUtf8BlockCheck() { return Available() != BlockCheck::None; }
bool detail::HasUtf8BlockCheck32() { return Available() == BlockCheck::Avx2; }
#else
bool detail::HasUtf8BlockCheck() { return false; }
bool detail::HasUtf8BlockCheck32() { return false; }
bool detail::CheckUtf8Block(const unsigned char*, std::uint64_t&, std::size_t&) { return false; }
bool detail::CheckUtf8Block16(const unsigned char*, std::uint64_t&, std::size_t&) { return false; }
bool detail::CheckUtf8Block32(const unsigned char*, std::uint64_t&, std::size_t&) { return false; }
#endif

}  // namespace oruvan
