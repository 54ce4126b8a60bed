#include "platform/SearchFold.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Utf8.h"

namespace oruvan {

namespace {

// Letters whose case the headings fold: the upper-case run and the distance to its lower-case partner.
struct CaseRun {
    char32_t first;
    char32_t last;
    char32_t delta;
};
const CaseRun kCaseRuns[] = {
    {U'A', U'Z', 0x20},      // ASCII
    {0xFF21, 0xFF3A, 0x20},  // full-width Latin
    {0x0391, 0x03A1, 0x20},  // Greek Α-Ρ
    {0x03A3, 0x03A9, 0x20},  // Greek Σ-Ω (U+03A2 is no letter)
    {0x0401, 0x0401, 0x50},  // Cyrillic Ё
    {0x0410, 0x042F, 0x20},  // Cyrillic А-Я
};

char32_t UpperPartner(char32_t c) {
    for (const CaseRun& r : kCaseRuns)
        if (c >= r.first + r.delta && c <= r.last + r.delta) return c - r.delta;
    return c;
}

constexpr char32_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoicedMark = 0xFF9F;  // ﾟ

// The full-width forms of the half-width katakana block U+FF61-U+FF9F, in order.
const char32_t kKanaWide[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C,
};
constexpr char32_t kKanaFirst = 0xFF61;

// Signs outside the ASCII block: half-width and full-width.
struct Pair {
    char32_t narrow;
    char32_t wide;
};
const Pair kSignPairs[] = {
    {0x0020, 0x3000}, {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00AC, 0xFFE2},
    {0x00AF, 0xFFE3}, {0x00A6, 0xFFE4}, {0x00A5, 0xFFE5}, {0x20A9, 0xFFE6},
};

// Full-width kana that take a voiced mark (+1) and those that also take a semi-voiced one (+2).
bool TakesVoicedMark(char32_t k) {
    static const char32_t kinds[] = {0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7,
                                     0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6,
                                     0x30C8, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB};
    return std::find(std::begin(kinds), std::end(kinds), k) != std::end(kinds);
}
bool TakesSemiVoicedMark(char32_t k) { return k >= 0x30CF && k <= 0x30DB && (k - 0x30CF) % 3 == 0; }

// Voiced kana that are not their base plus one: ヴ, ヷ, ヺ.
struct Voicing {
    char32_t base;
    char32_t voiced;
};
const Voicing kOddVoiced[] = {{0x30A6, 0x30F4}, {0x30EF, 0x30F7}, {0x30F2, 0x30FA}};

char32_t Voiced(char32_t wideKana) {
    for (const Voicing& v : kOddVoiced)
        if (v.base == wideKana) return v.voiced;
    return TakesVoicedMark(wideKana) ? wideKana + 1 : 0;
}

// The marks that join the half-width kana k into one full-width kana.
std::vector<char32_t> JoiningMarks(char32_t k) {
    std::vector<char32_t> marks;
    for (char32_t m : {kVoicedMark, kSemiVoicedMark})
        if (ComposeHalfWidthKana(k, m)) marks.push_back(m);
    return marks;
}

void AppendEscaped(char32_t c, std::string& out) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\x{%X}", static_cast<unsigned>(c));
    out += buf;
}

// Every form one character of the search text may take in the document.
std::vector<std::u32string> Alternatives(char32_t unit, bool matchCase, bool ignoreWidth) {
    std::vector<std::u32string> alts{std::u32string(1, unit)};
    auto add = [&](std::u32string s) {
        if (!s.empty() && std::find(alts.begin(), alts.end(), s) == alts.end()) alts.push_back(std::move(s));
    };
    for (std::size_t i = 0; i < alts.size(); ++i) {
        if (alts[i].size() != 1) continue;
        const char32_t x = alts[i][0];
        if (!matchCase) {
            add(std::u32string(1, FoldLetterCase(x)));
            add(std::u32string(1, UpperPartner(x)));
        }
        if (ignoreWidth) {
            add(std::u32string(1, WideForm(x)));
            add(NarrowForm(x));
        }
    }
    return alts;
}

}  // namespace

char32_t FoldLetterCase(char32_t c) {
    for (const CaseRun& r : kCaseRuns)
        if (c >= r.first && c <= r.last) return c + r.delta;
    return c;
}

char32_t WideForm(char32_t c) {
    if (c >= 0x21 && c <= 0x7E) return c + 0xFEE0;
    if (c >= kKanaFirst && c <= 0xFF9F) return kKanaWide[c - kKanaFirst];
    for (const Pair& p : kSignPairs)
        if (p.narrow == c) return p.wide;
    return c;
}

std::u32string NarrowForm(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) return std::u32string(1, c - 0xFEE0);
    for (const Pair& p : kSignPairs)
        if (p.wide == c) return std::u32string(1, p.narrow);
    for (char32_t h = kKanaFirst; h <= 0xFF9F; ++h) {
        const char32_t w = kKanaWide[h - kKanaFirst];
        if (w == c) return std::u32string(1, h);
        if (const char32_t v = Voiced(w); v && v == c) return {h, kVoicedMark};
        if (TakesSemiVoicedMark(w) && w + 2 == c) return {h, kSemiVoicedMark};
    }
    return {};
}

char32_t ComposeHalfWidthKana(char32_t kana, char32_t mark) {
    if (kana < kKanaFirst || kana > 0xFF9D) return 0;
    const char32_t w = kKanaWide[kana - kKanaFirst];
    if (mark == kVoicedMark) return Voiced(w);
    if (mark == kSemiVoicedMark && TakesSemiVoicedMark(w)) return w + 2;
    return 0;
}

std::string LiteralPattern(std::u32string_view text, bool matchCase, bool ignoreWidth) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (ignoreWidth && i + 1 < text.size()) {
            if (const char32_t joined = ComposeHalfWidthKana(unit, text[i + 1])) {
                unit = joined;
                ++i;
            }
        }
        // Sequences first, then a half-width kana that must not be the start of a voiced one, then a class
        // of the single characters.
        std::vector<std::string> pieces;
        std::string singles;
        int singleCount = 0;
        for (const std::u32string& alt : Alternatives(unit, matchCase, ignoreWidth)) {
            const std::vector<char32_t> marks =
                ignoreWidth && alt.size() == 1 ? JoiningMarks(alt[0]) : std::vector<char32_t>();
            if (alt.size() == 1 && marks.empty()) {
                AppendEscaped(alt[0], singles);
                ++singleCount;
                continue;
            }
            std::string piece;
            for (char32_t c : alt) AppendEscaped(c, piece);
            if (!marks.empty()) {
                piece += "(?![";
                for (char32_t m : marks) AppendEscaped(m, piece);
                piece += "])";
            }
            pieces.insert(alt.size() > 1 ? pieces.begin() : pieces.end(), piece);
        }
        if (singleCount > 1) singles = "[" + singles + "]";
        if (singleCount > 0) pieces.push_back(singles);
        if (pieces.size() == 1) {
            out += pieces[0];
        } else {
            out += "(?:";
            for (std::size_t k = 0; k < pieces.size(); ++k) out += (k ? "|" : "") + pieces[k];
            out += ")";
        }
    }
    return out;
}

}  // namespace oruvan
