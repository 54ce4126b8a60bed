// The title mark comma text and the heading test.
//
// Input: one flag byte (bit 0 ignore head spaces, bit 1 caption including the mark), the comma text up
// to the first LF, then the line to test (the rest, LFs included).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "outline/TitleMarks.h"

using namespace oruvan;

namespace {

// Every tab becomes two spaces, but for the byte after a lead byte, which belongs to the lead.
std::string ExpandTabs(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < s.size()) {
            out += s.substr(i++, 2);
        } else {
            out += s[i] == '\t' ? std::string_view("  ") : s.substr(i, 1);
        }
    }
    return out;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Any list without a NUL must survive writing and reading back, whatever its marks hold.
void CheckListRoundTrip(std::string_view bytes) {
    TitleMarkList list;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nul = bytes.find('\0', start);
        list.emplace_back(bytes.substr(start, nul == std::string_view::npos ? nul : nul - start));
        if (nul == std::string_view::npos) break;
        start = nul + 1;
    }
    FUZZ_CHECK(TitleMarksFromText(TitleMarksToText(list)) == list);
}

void CheckHeadingTest(std::string_view line, const HeadingRules& rules) {
    std::string text = "\x01unset";
    const bool heading = IsTitleLine(line, rules, &text);
    FUZZ_CHECK(IsTitleLine(line, rules, nullptr) == heading);

    const std::string_view tested = rules.ignoreHeadSpaces ? TrimBlanks(line) : line;
    bool exactPrefix = false;
    for (const std::string& mark : rules.marks)
        exactPrefix = exactPrefix || (!mark.empty() && tested.substr(0, mark.size()) == mark);
    // A mark the line starts with byte for byte always makes a heading; an empty mark is no mark.
    FUZZ_CHECK(!exactPrefix || heading);
    if (!heading) {
        FUZZ_CHECK(text == "\x01unset");
        return;
    }
    if (rules.captionIncludingTitleMark) {
        FUZZ_CHECK(text == ExpandTabs(tested));
    } else {
        // The index text is what follows one of the marks, and the line is at least that long.
        bool fits = false;
        for (const std::string& mark : rules.marks)
            fits = fits || (!mark.empty() && mark.size() <= tested.size() &&
                            text == ExpandTabs(tested.substr(mark.size())));
        FUZZ_CHECK(fits);
    }
    if (rules.ignoreHeadSpaces) {
        // Blanks around the line change nothing.
        const std::string padded = " \t\x01" + std::string(line) + "\r \x1f";
        std::string paddedText;
        FUZZ_CHECK(IsTitleLine(padded, rules, &paddedText));
        FUZZ_CHECK(paddedText == text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    if (input.empty()) return 0;
    const unsigned flags = static_cast<unsigned char>(input[0]);
    const std::string_view rest = input.substr(1);
    const std::size_t lf = rest.find('\n');
    const std::string_view commaText = rest.substr(0, lf);
    const std::string_view line = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);

    const TitleMarkList marks = TitleMarksFromText(commaText);
    // The stored value ends at its first NUL.
    for (const std::string& mark : marks) FUZZ_CHECK(mark.find('\0') == std::string::npos);
    const std::string written = TitleMarksToText(marks);
    FUZZ_CHECK(TitleMarksFromText(written) == marks);
    // Written text is already in its one written form.
    FUZZ_CHECK(TitleMarksToText(TitleMarksFromText(written)) == written);
    // The list form replaces what the list held.
    TitleMarkList reused{"stale", ""};
    TitleMarksFromText(commaText, reused);
    FUZZ_CHECK(reused == marks);

    CheckListRoundTrip(rest);

    const HeadingRules rules{marks, (flags & 1) != 0, (flags & 2) != 0};
    CheckHeadingTest(line, rules);
    // The line as the heading scanner sees it: up to the first break.
    CheckHeadingTest(line.substr(0, line.find_first_of("\r\n")), rules);
    return 0;
}
