#include "outline/HeadingScanner.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "outline/Cp932Strings.h"
#include "platform/Cp932.h"
#include "platform/TextCompare.h"
#include "platform/TextEncoding.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

namespace oruvan {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

unsigned CharCode(std::string_view s, std::size_t pos) {
    const auto b = static_cast<unsigned char>(s[pos]);
    return Cp932CharLength(s, pos) == 2 ? (unsigned(b) << 8 | static_cast<unsigned char>(s[pos + 1])) : b;
}

// The rules a line converted to cp932 is tested with. A character cp932 lacks (in a document of another
// encoding) converts to '?': a mark reaching it would match by accident, so such marks are replaced by one
// longer than the line, which keeps the others' places (a heading's level is its mark's place).
const HeadingRules& markableRules(std::string_view utf8, std::string_view cp932, const HeadingRules& rules,
                                  HeadingRules& narrowed) {
    if (cp932.find('?') == std::string_view::npos) return rules;
    const std::optional<Unencodable> lacking = FindUnencodable(Encoding::ShiftJis, utf8);
    if (!lacking) return rules;
    const std::size_t at = Cp932Length(utf8.substr(0, lacking->offset));
    std::size_t start = 0;
    if (rules.ignoreHeadSpaces)
        while (start < cp932.size() && IsBlank(cp932[start])) ++start;
    narrowed = rules;
    narrowed.marks.clear();
    for (const std::string& mark : rules.marks)
        narrowed.marks.push_back(start + mark.size() <= at ? mark : std::string(cp932.size() + 1, '?'));
    return narrowed;
}

}  // namespace

// Tells, from the first character of a (trimmed) line, whether any mark can match it. It may accept
// lines that do not match; IsTitleLine decides those. Character codes are cp932: a single byte below
// 0x100, otherwise lead << 8 | trail.
class MarkStartFilter {
public:
    explicit MarkStartFilter(const TitleMarkList& marks) {
        for (const std::string& mark : marks) {
            if (mark.empty()) continue;  // matches nothing
            const auto lead = static_cast<unsigned char>(mark[0]);
            if (IsLeadByte(lead) && Cp932CharLength(mark, 0) == 1)
                m_brokenLeads.set(lead);
            else
                m_keys.push_back(FoldCp932Char(CharCode(mark, 0)));
        }
        std::sort(m_keys.begin(), m_keys.end());
        // Most lines are turned away by their first byte alone.
        for (unsigned b = 0; b < 0x100; ++b) {
            bool may = mayStart(b);
            for (unsigned t = 0x40; !may && IsLeadByte(static_cast<unsigned char>(b)) && t <= 0xFC; ++t)
                may = IsTrailByte(static_cast<unsigned char>(t)) && mayStart(b << 8 | t);
            m_firstBytes[b] = may;
        }
    }

    // The first character of s[pos...], which must not be empty.
    bool mayStartAt(std::string_view s, std::size_t pos) const {
        return m_firstBytes[static_cast<unsigned char>(s[pos])] && mayStart(CharCode(s, pos));
    }

    bool mayStart(unsigned code) const {
        if (m_brokenLeads.test(code < 0x100 ? code : code >> 8)) return true;
        return std::binary_search(m_keys.begin(), m_keys.end(), FoldCp932Char(code));
    }

    // The same test on the first character of a UTF-8 line (after its blanks when they are ignored);
    // false for a blank line.
    bool mayStartUtf8(std::string_view line, bool skipBlanks) {
        std::size_t i = 0;
        if (skipBlanks)
            while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return false;
        char32_t c = 0;
        const auto* at = reinterpret_cast<const unsigned char*>(line.data());
        const std::size_t n = ReadUtf8Bmp(at + i, at + line.size(), c);
        // Anything else (raw bytes, bytes that are not UTF-8) is rare: the exact test takes it.
        if (n == 0) return true;
        // The answer per BMP code point (0 unknown, 1 no, 2 yes): converting one character costs more
        // than the rest of a line.
        if (m_decided.empty()) m_decided.assign(0x10000, 0);
        std::uint8_t& state = m_decided[c];
        if (state == 0) {
            m_cp932.clear();
            Utf8ToCp932(line.substr(i, n), m_cp932);
            const bool whole = !m_cp932.empty() && Cp932CharLength(m_cp932, 0) == m_cp932.size();
            state = !whole || mayStartAt(m_cp932, 0) ? 2 : 1;
        }
        return state == 2;
    }

private:
    std::bitset<256> m_brokenLeads;  // first bytes of marks that begin with a lead byte and no trail byte
    std::vector<unsigned> m_keys;    // the folded first characters of the other marks
    std::array<bool, 256> m_firstBytes{};
    std::vector<std::uint8_t> m_decided;
    std::string m_cp932;
};

namespace {

// Converts as much of a UTF-8 line as the heading test reads to cp932 and returns that part of the line.
// Converting a little past the cut lets CutLine see whether byte 4,096 starts a pair.
std::string_view ConvertHead(std::string_view line, std::string& cp932) {
    const std::string_view head =
        line.size() > kMaxLineBytes ? line.substr(0, Utf8OffsetOfCp932(line, kMaxLineBytes + 2)) : line;
    cp932.clear();
    Utf8ToCp932(head, cp932);
    return head;
}

// The text of the heading whose index text lies at `span` of `cut` (the cp932 form of `head`, cut) taken
// from `head` itself, tabs made two spaces as IsTitleLine makes them.
std::string Utf8TitleText(std::string_view head, std::string_view cp932, std::string_view cut,
                          std::pair<std::size_t, std::size_t> span) {
    // What follows the span is mostly blanks, the same bytes in both: then the end is at hand.
    const std::size_t begin = Utf8OffsetOfCp932(head, span.first), tail = cut.size() - span.second;
    const bool blankTail = cut.size() == cp932.size() && tail <= head.size() - begin &&
                           std::all_of(head.end() - tail, head.end(), IsBlank);
    const std::size_t end = blankTail ? head.size() - tail : Utf8OffsetOfCp932(head, span.second);
    std::string text;
    for (const char c : head.substr(begin, end - begin)) {
        if (c == '\t')
            text += "  ";
        else
            text += c;
    }
    return text;
}

// True when a UTF-8 text holds a typed form (TextEncoding.h), which cp932 writes as another character.
bool HoldsTypedForm(std::string_view utf8) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        char32_t c = 0;
        const std::size_t n = ReadUtf8(p, end, c);
        if (n > 1)
            for (const TypedForm& f : kTypedForms)
                if (f.typed == c) return true;
        p += n ? n : 1;
    }
    return false;
}

// The heading as written when its cp932 index text reads as other characters: text with each '?' of a
// character cp932 lacks, and the code of each typed form, replaced by the character; empty otherwise.
std::string LackedText(std::string_view head, std::string_view cp932, std::string_view cut,
                       const HeadingRules& rules, const std::string& text) {
    if (text.find('?') == std::string::npos && !HoldsTypedForm(head)) return {};
    const auto span = TitleTextSpan(cut, rules);
    if (!span) return {};
    std::string utf8 = Utf8TitleText(head, cp932, cut, *span);
    return Utf8ToCp932(utf8) == text && utf8 != Cp932ToUtf8(text) ? utf8 : std::string();
}

}  // namespace

std::string_view CutLine(std::string_view line) {
    if (line.size() <= kMaxLineBytes) return line;
    std::size_t i = 0;
    while (i < kMaxLineBytes) i += Cp932CharLength(line, i);
    return line.substr(0, i > kMaxLineBytes ? kMaxLineBytes - 1 : kMaxLineBytes);
}

HeadingScanner::HeadingScanner(const HeadingRules& rules)
    : m_rules(rules), m_filter(std::make_unique<MarkStartFilter>(rules.marks)) {}

HeadingScanner::~HeadingScanner() = default;

void HeadingScanner::scanCp932(std::string_view piece, Index& index) {
    LineSplitter lines(piece);
    std::string_view line;
    std::string text;
    int level = 1;
    for (; lines.next(line); ++m_lines) {
        const std::string_view cut = CutLine(line);
        std::size_t i = 0;
        if (m_rules.ignoreHeadSpaces)
            while (i < cut.size() && IsBlank(cut[i])) ++i;
        if (i == cut.size() || !m_filter->mayStartAt(cut, i)) continue;
        if (IsTitleLine(cut, m_rules, &text, &level)) index.push_back({text, m_lines, level});
    }
}

void HeadingScanner::scanUtf8(std::string_view piece, Index& index) {
    LineSplitter lines(piece);
    std::string_view line;
    for (; lines.next(line); ++m_lines) scanUtf8Line(line, index);
}

void HeadingScanner::scanUtf8Line(std::string_view line, Index& index) {
    if (!m_filter->mayStartUtf8(line, m_rules.ignoreHeadSpaces)) return;
    const std::string_view head = ConvertHead(line, m_cp932);
    const std::string_view cut = CutLine(m_cp932);
    int level = 1;
    HeadingRules narrowed;
    const auto span = TitleTextSpan(cut, markableRules(head, m_cp932, m_rules, narrowed), &level);
    if (span) index.push_back({Utf8TitleText(head, m_cp932, cut, *span), m_lines, level});
}

void HeadingScanner::scanEucJpBytes(std::string_view piece, Index& index) {
    // EUC-JP bytes past ASCII are never CR, LF or a blank, and a break ends any code it cuts: each line
    // decodes alone as it does within the whole text.
    if (m_eucJpStarts.empty()) m_eucJpStarts.assign(0x10000, 0);
    LineSplitter lines(piece);
    std::string_view line;
    for (; lines.next(line); ++m_lines) {
        std::size_t i = 0;
        if (m_rules.ignoreHeadSpaces)
            while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) continue;
        const auto b = static_cast<unsigned char>(line[i]);
        const std::size_t length = std::min<std::size_t>(b < 0x80 ? 1 : b == 0x8F ? 3 : 2, line.size() - i);
        const std::string_view first = line.substr(i, length);
        std::uint8_t state = 0;
        std::uint8_t* known = nullptr;
        if (length < 3) {
            known = &m_eucJpStarts[length == 1 ? b : unsigned(b) << 8 | static_cast<unsigned char>(first[1])];
            state = *known;
        }
        if (state == 0) {
            state = m_filter->mayStartUtf8(DecodeText(Encoding::EucJp, first), false) ? 2 : 1;
            if (known) *known = state;
        }
        if (state == 2) scanUtf8Line(DecodeText(Encoding::EucJp, line), index);
    }
}

void HeadingScanner::scanUtf8Bytes(std::string_view piece, Index& index) {
    // The decoder turns each byte that is not UTF-8 into a raw-byte code point, which converts and cuts
    // as that byte does here; only a file's own code points of that range need its escaping.
    if (piece.find("\xf4\x8f") != std::string_view::npos) {
        scanUtf8(DecodeText(Encoding::Utf8, piece), index);
        return;
    }
    const std::size_t found = index.size();
    scanUtf8(piece, index);
    for (std::size_t i = found; i < index.size(); ++i)
        index[i].text = DecodeText(Encoding::Utf8, index[i].text);
}

Index ScanHeadingsCp932(std::string_view cp932Text, const HeadingRules& rules) {
    Index index;
    HeadingScanner(rules).scanCp932(cp932Text, index);
    return index;
}

Index ScanHeadingsUtf8(std::string_view utf8Buffer, const HeadingRules& rules,
                       const LineBytesList& ownBytes) {
    Index index;
    MarkStartFilter filter(rules.marks);
    std::string cp932;
    std::string text;
    int level = 1;
    HeadingRules narrowed;
    LineSplitter lines(utf8Buffer);
    std::string_view line;
    auto own = ownBytes.begin();
    for (int lineNo = 0; lines.next(line); ++lineNo) {
        while (own != ownBytes.end() && own->first < lineNo) ++own;
        if (own != ownBytes.end() && own->first == lineNo) {
            if (IsTitleLine(CutLine(own->second), rules, &text, &level))
                index.push_back({text, lineNo, level});
            continue;
        }
        if (!filter.mayStartUtf8(line, rules.ignoreHeadSpaces)) continue;
        const std::string_view head = ConvertHead(line, cp932);
        const std::string_view cut = CutLine(cp932);
        const HeadingRules& markable = markableRules(head, cp932, rules, narrowed);
        if (IsTitleLine(cut, markable, &text, &level))
            index.push_back({text, lineNo, level, LackedText(head, cp932, cut, markable, text)});
    }
    return index;
}

}  // namespace oruvan
