#pragma once
// oruvan-outline's options and what it prints: the index, a line a heading, or the Index menu.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outline/HeadingFilter.h"
#include "outline/IndexEntry.h"
#include "outline/TitleMarks.h"
#include "platform/TextEncoding.h"

namespace oruvan {

struct OutlineOptions {
    HeadingRules rules;
    bool menu = false;
    bool nextPageMenuIsHead = true;
    bool raw = false;
    bool levelColumn = false;    // --levels
    bool countColumn = false;    // --counts
    bool headingLevels = false;  // indentation by level
    HeadingFilter filter;
    std::optional<Encoding> encoding;  // nothing: detect it
    std::vector<std::string> files;
    std::string file;  // the one being read
};

// The form of the headings found (cp932 from a Shift_JIS file, UTF-8 from any other) and of the output.
struct OutputForm {
    Encoding encoding = Encoding::ShiftJis;
    bool raw = false;
    std::string prefix;  // the file's name and a tab when several files are read, as given
};

// Appends the index's lines; with `sectionCounts`, each entry's section characters as a last column.
void AppendIndex(const Index& index, const OutlineOptions& options, const OutputForm& form, std::string& out,
                 const std::vector<std::int64_t>* sectionCounts = nullptr);
// Appends the Index menu: each page below the item that leads to it, indented by two spaces.
void AppendMenu(const Index& index, bool nextPageMenuIsHead, bool headingLevels, const OutputForm& form,
                std::string& out);

}  // namespace oruvan
