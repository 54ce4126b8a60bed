#include "OutlineOutput.h"

#include <charconv>
#include <vector>

#include "outline/IndexMenuLayout.h"
#include "platform/Cp932.h"

namespace oruvan {

namespace {

// Appends a line given in the headings' form as UTF-8, or with --raw in the file's own encoding.
void AppendLine(std::string_view line, const OutputForm& form, std::string& out) {
    const bool cp932 = form.encoding == Encoding::ShiftJis;
    if (form.raw == cp932)
        out.append(line);
    else if (cp932)
        Cp932ToUtf8(line, out);
    else
        EncodeText(form.encoding, line, out);
}

void AppendNumber(std::int64_t n, std::string& out) {
    char number[16];
    const auto end = std::to_chars(number, number + sizeof number, n).ptr;
    out.append(number, static_cast<std::size_t>(end - number));
}

// The entry's text in the headings' form, indented by level as the editor shows it.
std::string ShownText(const IndexEntry& entry, bool headingLevels, bool cp932) {
    if (cp932) return IndentedText(entry, headingLevels);
    std::string text;
    for (std::size_t i = LevelIndentBytes(entry, headingLevels); i > 0; i -= 2) text += "\u3000";
    return text + entry.text;
}

}  // namespace

void AppendIndex(const Index& index, const OutlineOptions& options, const OutputForm& form, std::string& out,
                 const std::vector<std::int64_t>* sectionCounts) {
    const bool cp932 = form.encoding == Encoding::ShiftJis;
    std::size_t bytes = 0;
    for (const IndexEntry& entry : index) bytes += entry.text.size() * 2 + 12;
    out.reserve(bytes);
    std::string line;
    for (std::size_t i = 0; i < index.size(); ++i) {
        const IndexEntry& entry = index[i];
        // The filter compares characters, as the editor's does: UTF-8 headings are never made cp932 first.
        if (!options.filter.empty() &&
            !(cp932 ? options.filter.matches(entry.text) : options.filter.matchesUtf8(entry.text)))
            continue;
        line.clear();
        AppendNumber(entry.line + 1, line);
        line += '\t';
        if (options.headingLevels)
            line += ShownText(entry, true, cp932);
        else
            line += entry.text;
        if (options.levelColumn) {
            line += '\t';
            AppendNumber(entry.level, line);
        }
        if (sectionCounts) {
            line += '\t';
            AppendNumber((*sectionCounts)[i], line);
        }
        line += '\n';
        out += form.prefix;
        AppendLine(line, form, out);
    }
}

// Walks the chain of pages with a stack of its own: a long index nests thousands of pages deep.
void AppendMenu(const Index& index, bool nextPageMenuIsHead, bool headingLevels, const OutputForm& form,
                std::string& out) {
    const bool cp932 = form.encoding == Encoding::ShiftJis;
    const int n = static_cast<int>(index.size());
    struct Page {
        std::vector<IndexMenuItem> items;
        std::size_t next = 0;
    };
    std::vector<Page> pages;
    if (n > 0) pages.push_back({IndexMenuPage(index, 0, nextPageMenuIsHead)});
    std::string line;
    while (!pages.empty()) {
        if (pages.back().next == pages.back().items.size()) {
            pages.pop_back();
            continue;
        }
        const IndexMenuItem item = pages.back().items[pages.back().next++];
        const int level = static_cast<int>(pages.size()) - 1;
        line.assign(static_cast<std::size_t>(2 * level), ' ');
        switch (item.kind) {
            case IndexMenuItem::Entry: {
                const std::string text =
                    ShownText(index[static_cast<std::size_t>(item.entry)], headingLevels, cp932);
                line += cp932 ? ShortenMenuCaption(text) : ShortenMenuCaptionUtf8(text);
                break;
            }
            case IndexMenuItem::Separator:
                line += '-';
                break;
            case IndexMenuItem::PageItem:
                line += cp932 ? std::string(kNextPageCaption) : Cp932ToUtf8(kNextPageCaption);
                pages.push_back({IndexMenuPage(index, level + 1, nextPageMenuIsHead)});
                break;
        }
        line += '\n';
        out += form.prefix;
        AppendLine(line, form, out);
    }
}

}  // namespace oruvan
