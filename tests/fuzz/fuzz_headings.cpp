// The heading scan of a whole text: cp932, the editor's UTF-8 buffer, a file read in pieces, and the
// same bytes read as a UTF-8 file and as an EUC-JP file.
//
// Input: one flag byte (bit 0 ignore head spaces, bit 1 caption including the mark), one byte choosing
// the line break where the text is split in two, one byte asking for a long first line (0: none; else
// 4,096 less its low six bits of blanks if bit 6 is set, of 'x' if not, before the text), the title mark
// comma text up to the first LF, then the cp932 text. The mark text also serves as the words of a heading
// filter.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "outline/HeadingFilter.h"
#include "outline/HeadingScanner.h"
#include "outline/Cp932Strings.h"
#include "platform/Cp932.h"
#include "platform/TextEncoding.h"

using namespace oruvan;

namespace {

// The cut keeps whole characters and as much of the line as it can.
void CheckCut(std::string_view line) {
    const std::string_view cut = CutLine(line);
    FUZZ_CHECK(cut.data() == line.data());
    if (line.size() <= kMaxLineBytes) {
        FUZZ_CHECK(cut.size() == line.size());
        return;
    }
    std::size_t boundary = 0;
    while (boundary < kMaxLineBytes - 1) boundary += Cp932CharLength(line, boundary);
    // At the limit, unless a pair straddles it: then just before that pair.
    FUZZ_CHECK(cut.size() == (boundary == kMaxLineBytes - 1 && Cp932CharLength(line, boundary) == 2
                                  ? kMaxLineBytes - 1
                                  : kMaxLineBytes));
}

// Every line through the heading test, split without the scanner's shortcuts.
Index PlainScan(std::string_view text, const HeadingRules& rules, int& lines) {
    Index index;
    std::string heading;
    lines = 0;
    for (std::size_t start = 0; start < text.size(); ++lines) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        CheckCut(text.substr(start, end - start));
        if (IsTitleLine(CutLine(text.substr(start, end - start)), rules, &heading))
            index.push_back({heading, lines});
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return index;
}

// Offsets just after each whole line break, 0 included.
std::vector<std::size_t> SplitPoints(std::string_view text) {
    std::vector<std::size_t> points{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n') points.push_back(i + 1);
    }
    return points;
}

// A buffer of characters cp932 holds scans as the same buffer converted to cp932 would: here every
// character cp932 cannot take is replaced by '?' (kept, such a character matches no '?' of a mark);
// bytes that are not UTF-8 stay.
void CheckUtf8Scan(std::string_view bytes, const HeadingRules& rules) {
    std::string utf8;
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const std::size_t n = fuzz::DecodeUtf8(bytes, i, c);
        if (n != 0 && !IsCp932Encodable(c))
            utf8 += '?';
        else
            utf8 += bytes.substr(i, n ? n : 1);
        i += n ? n : 1;
    }
    const Index scanned = ScanHeadingsUtf8(utf8, rules);
    const Index expected = ScanHeadingsCp932(Utf8ToCp932(utf8), rules);
    FUZZ_CHECK(scanned.size() == expected.size());
    for (std::size_t i = 0; i < scanned.size(); ++i) {
        FUZZ_CHECK(scanned[i].line == expected[i].line && scanned[i].text == expected[i].text);
        // A heading kept as written stands for the same cp932 text.
        FUZZ_CHECK(scanned[i].utf8.empty() || Utf8ToCp932(scanned[i].utf8) == scanned[i].text);
    }
}

// The folded index finds what testing each heading finds, and the runs marked in a heading lie in it, in
// order, apart, on its character boundaries.
void CheckFilter(const Index& index, std::string_view words) {
    const HeadingFilter filter(words);
    std::vector<int> expected;
    for (std::size_t i = 0; i < index.size(); ++i)
        if (filter.matches(index[i].text)) expected.push_back(static_cast<int>(i));
    FUZZ_CHECK(FoldedHeadings(index).match(filter) == expected);
    for (const IndexEntry& e : index) {
        const auto ranges = filter.matchRanges(e.text);
        FUZZ_CHECK(ranges.empty() == (filter.empty() || !filter.matches(e.text)));
        std::vector<bool> boundary(e.text.size() + 1, false);
        for (std::size_t i = 0; i < e.text.size(); i += Cp932CharLength(e.text, i)) boundary[i] = true;
        boundary[e.text.size()] = true;
        std::size_t last = 0;
        for (const auto& [first, end] : ranges) {
            FUZZ_CHECK(first >= last && first < end && end <= e.text.size());
            FUZZ_CHECK(boundary[first] && boundary[end]);
            last = end + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const std::string_view rest = fuzz::AsText(data + 3, size - 3);
    const std::size_t lf = rest.find('\n');
    if (lf == std::string_view::npos) return 0;
    const HeadingRules rules{TitleMarksFromText(rest.substr(0, lf)), (data[0] & 1) != 0, (data[0] & 2) != 0};
    // The heading test sees only the first 4,096 bytes of a line: a long line brings that cut near the
    // bytes the fuzzer controls.
    std::string_view text = rest.substr(lf + 1);
    std::unique_ptr<char[]> padded;  // sized exactly, so a read past the end is still caught
    if (data[2] != 0) {
        const std::size_t pad = 4096 - (data[2] & 0x3F);
        padded.reset(new char[pad + text.size()]);
        std::fill_n(padded.get(), pad, (data[2] & 0x40) ? ' ' : 'x');
        std::copy(text.begin(), text.end(), padded.get() + pad);
        text = std::string_view(padded.get(), pad + text.size());
    }

    const Index index = ScanHeadingsCp932(text, rules);
    int lines = 0;
    FUZZ_CHECK(index == PlainScan(text, rules, lines));

    // A file read in two pieces, split after any whole line break, numbers its lines as one text.
    const std::vector<std::size_t> points = SplitPoints(text);
    const std::size_t breaksBefore = data[1] % points.size();
    const std::size_t split = points[breaksBefore];
    HeadingScanner scanner(rules);
    Index pieces;
    scanner.scanCp932(text.substr(0, split), pieces);
    FUZZ_CHECK(scanner.linesRead() == static_cast<int>(breaksBefore));
    scanner.scanCp932(text.substr(split), pieces);
    FUZZ_CHECK(pieces == index);
    FUZZ_CHECK(scanner.linesRead() == lines);

    // The editor's buffer: the converted text scans as the text converted back, which is the text
    // itself unless a code shares its character with another.
    const std::string utf8 = Cp932ToUtf8(text);
    const Index fromUtf8 = ScanHeadingsUtf8(utf8, rules);
    if (IsCanonicalRun(text))
        FUZZ_CHECK(fromUtf8 == index);
    else
        FUZZ_CHECK(fromUtf8 == ScanHeadingsCp932(Utf8ToCp932(utf8), rules));

    // The same bytes taken as a buffer the user pasted into.
    CheckUtf8Scan(text, rules);
    CheckFilter(index, rest.substr(0, lf));

    // And as a UTF-8 file read in the same two pieces: scanned as they stand, they give what the decoded
    // text gives, on the lines the editor's scan finds.
    HeadingScanner asFile(rules);
    Index fromFile;
    asFile.scanUtf8Bytes(text.substr(0, split), fromFile);
    asFile.scanUtf8Bytes(text.substr(split), fromFile);
    const std::string decoded = DecodeText(Encoding::Utf8, text);
    Index fromDecoded;
    HeadingScanner(rules).scanUtf8(decoded, fromDecoded);
    FUZZ_CHECK(fromFile == fromDecoded);
    const Index editor = ScanHeadingsUtf8(decoded, rules);
    FUZZ_CHECK(std::equal(editor.begin(), editor.end(), fromDecoded.begin(), fromDecoded.end(),
                          [](const IndexEntry& a, const IndexEntry& b) { return a.line == b.line; }));

    // And as an EUC-JP file: the lines decoded alone give what the whole decoded text gives.
    HeadingScanner asEucJp(rules);
    Index fromEucJp;
    asEucJp.scanEucJpBytes(text.substr(0, split), fromEucJp);
    asEucJp.scanEucJpBytes(text.substr(split), fromEucJp);
    Index fromEucJpDecoded;
    HeadingScanner(rules).scanUtf8(DecodeText(Encoding::EucJp, text), fromEucJpDecoded);
    FUZZ_CHECK(fromEucJp == fromEucJpDecoded);
    return 0;
}
