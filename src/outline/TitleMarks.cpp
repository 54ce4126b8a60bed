#include "outline/TitleMarks.h"

#include <algorithm>

#include "outline/Cp932Strings.h"

namespace oruvan {

const char* const kDefaultTitleMarksText = "//@,--,\x81\xa1";

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Where the last character of s starts, reading from the start.
std::size_t LastCharStart(std::string_view s) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < s.size(); i += LeadByteCharLength(s, i)) last = i;
    return last;
}

bool NeedsQuotes(std::string_view mark) {
    const bool special = std::any_of(mark.begin(), mark.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b >= 1 && b <= 32) || c == '"' || c == ',';
    });
    // A mark ending in a lone lead byte would take the comma after it along when read back.
    return special || (!mark.empty() && IsLeadByte(static_cast<unsigned char>(mark.back())) &&
                       LastCharStart(mark) == mark.size() - 1);
}

}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> TitleTextSpan(std::string_view line, const HeadingRules& rules,
                                                                 int* level) {
    std::size_t begin = 0, end = line.size();
    if (rules.ignoreHeadSpaces) {
        while (begin < end && IsBlank(line[begin])) ++begin;
        while (end > begin && IsBlank(line[end - 1])) --end;
    }
    const std::string_view trimmed = line.substr(begin, end - begin);
    int position = 0;
    int matched = 0;
    std::size_t matchedSize = 0;
    for (const std::string& mark : rules.marks) {
        // An empty mark is no mark: it would make every line a heading, blank ones included. It stays
        // in the list, and so in the stored text, but takes no place among the levels.
        if (mark.empty()) continue;
        ++position;
        if (matched && mark.size() <= matchedSize) continue;
        if (!StartsWithText(mark, trimmed)) continue;
        matched = position;
        matchedSize = mark.size();
        if (!rules.longestMark) break;
    }
    if (!matched) return std::nullopt;
    if (level) *level = matched;
    if (!rules.captionIncludingTitleMark) begin += std::min(matchedSize, trimmed.size());
    return std::make_pair(begin, end);
}

bool IsTitleLine(std::string_view line, const HeadingRules& rules, std::string* indexText, int* level) {
    const auto span = TitleTextSpan(line, rules, level);
    if (!span) return false;
    if (indexText) {
        const std::string_view text = line.substr(span->first, span->second - span->first);
        // Most headings hold no tab; skip the copy the replacement would make.
        if (text.find('\t') == std::string_view::npos)
            indexText->assign(text);
        else
            *indexText = ReplaceAllText(text, "\t", "  ");
    }
    return true;
}

void TitleMarksFromText(std::string_view text, TitleMarkList& list) {
    list.clear();
    // The stored value ends at a NUL, as a C string would; going on past it would never advance.
    text = text.substr(0, text.find('\0'));
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        if (text[i] == '"') {
            const std::size_t start = ++i;
            std::string item;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] != '"') {
                    item += text[i++];
                } else if (i + 1 < text.size() && text[i + 1] == '"') {
                    item += '"';
                    i += 2;
                } else {
                    ++i;
                    closed = true;
                    break;
                }
            }
            if (!closed) {
                // Kept for compatibility with values already stored: an unterminated item loses its
                // last character, and nothing after it is read.
                const std::string_view rest = text.substr(start);
                list.emplace_back(rest.substr(0, LastCharStart(rest)));
                return;
            }
            list.push_back(std::move(item));
        } else {
            const std::size_t start = i;
            while (i < text.size() && !IsBlank(text[i]) && text[i] != ',') i += LeadByteCharLength(text, i);
            list.emplace_back(text.substr(start, i - start));
        }
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
}

TitleMarkList TitleMarksFromText(std::string_view text) {
    TitleMarkList list;
    TitleMarksFromText(text, list);
    return list;
}

std::string TitleMarksToText(const TitleMarkList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& mark = list[i];
        if (i > 0) out += ',';
        // A last empty mark written bare would read back as a trailing comma, which adds nothing; quoted,
        // it survives the round trip (a lone empty mark is the same case).
        const bool lastEmpty = mark.empty() && i + 1 == list.size();
        if (!lastEmpty && !NeedsQuotes(mark)) {
            out += mark;
            continue;
        }
        out += '"';
        for (char c : mark) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

}  // namespace oruvan
