#include "outline/Cp932Strings.h"

#include "platform/TextCompare.h"

namespace oruvan {

namespace {

// True when a character of s ends exactly at `to`, reading from `from`, itself a character start.
bool EndsOnCharBoundary(std::string_view s, std::size_t from, std::size_t to) {
    while (from < to) from += LeadByteCharLength(s, from);
    return from == to;
}

}  // namespace

bool StartsWithText(std::string_view prefix, std::string_view text) {
    if (prefix.empty()) return true;
    return SameTextIgnoreCase(prefix, text.substr(0, prefix.size()));
}

std::string ReplaceAllText(std::string_view text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = i + pattern.size();
        if (end <= text.size() && SameTextIgnoreCase(text.substr(i, pattern.size()), pattern) &&
            EndsOnCharBoundary(text, i, end)) {
            out.append(replacement);
            i = end;
            continue;
        }
        const std::size_t len = LeadByteCharLength(text, i);
        out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

std::string ExtractFileName(std::string_view path, std::string_view separators) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t len = Cp932CharLength(path, i);
        if (len == 1 && separators.find(path[i]) != std::string_view::npos) start = i + 1;
        i += len;
    }
    return std::string(path.substr(start));
}

}  // namespace oruvan
