#pragma once
// Heading recognition: the title mark list, its one-line comma text, and the heading test.
// All strings are cp932 byte strings; lengths count bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace oruvan {

using TitleMarkList = std::vector<std::string>;

// The rules one heading test reads: the marks and the two index options. The first mark that matches
// decides, or with `longestMark` (heading levels on) the longest, so that "#,##,###" give Markdown's levels
// in either order; among matches of one length the first listed decides.
struct HeadingRules {
    TitleMarkList marks;
    bool ignoreHeadSpaces = true;
    bool captionIncludingTitleMark = false;
    bool longestMark = false;
};

// The default comma text "//@,--,■" (■ is 0x81 0xA1).
extern const char* const kDefaultTitleMarksText;

// True when `line` is a heading; then *indexText receives its index text (tabs as two spaces) and
// *level the position (from 1) of the mark that matched among the marks. Empty marks match nothing and
// are not counted.
bool IsTitleLine(std::string_view line, const HeadingRules& rules, std::string* indexText,
                 int* level = nullptr);

// Where a heading's index text lies in `line`, as [first, second), before its tabs become two spaces;
// nothing when the line is not a heading. Lets a caller take the text from another form of the line.
std::optional<std::pair<std::size_t, std::size_t>> TitleTextSpan(std::string_view line,
                                                                 const HeadingRules& rules,
                                                                 int* level = nullptr);

// Parses the comma text of the settings into a list (replacing its contents).
void TitleMarksFromText(std::string_view text, TitleMarkList& list);
TitleMarkList TitleMarksFromText(std::string_view text);
// Writes the comma text of a list.
std::string TitleMarksToText(const TitleMarkList& list);

}  // namespace oruvan
