#pragma once
// Searching UTF-8 text in place (the text view's own buffer, never a copy) with PCRE2 and its JIT compiler:
// a literal text under the search foldings, or a regular expression, matched on characters. Positions are
// byte offsets on character boundaries. Bytes that are not valid UTF-8 never match.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oruvan {

struct SearchOptions {
    bool matchCase = false;
    bool ignoreWidth = false;  // literal searches only
    bool regex = false;
    bool operator==(const SearchOptions& o) const {
        return matchCase == o.matchCase && ignoreWidth == o.ignoreWidth && regex == o.regex;
    }
    bool operator!=(const SearchOptions& o) const { return !(*this == o); }
};

struct TextMatch {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const TextMatch& o) const { return start == o.start && end == o.end; }
};

// Why a regular expression was refused: PCRE2's message and the character it stopped at (from 0).
struct SearchError {
    std::string message;
    std::size_t offset = 0;
};

// A replacement text, read once. With regular expressions \0-\9 and $0-$9 stand for a group's text, \n
// and \t for a line break and a tab, \\ and $$ for the sign itself; a literal search takes it as it is.
class Replacement {
public:
    Replacement(std::string_view utf8, bool regex);

private:
    friend class TextSearch;
    struct Piece {
        std::string text;
        int group = -1;
    };
    std::vector<Piece> m_pieces;
};

class TextSearch {
public:
    TextSearch();
    ~TextSearch();
    TextSearch(const TextSearch&) = delete;
    TextSearch& operator=(const TextSearch&) = delete;

    // Prepares the search for `text`. A regular expression that is not valid gives false and the reason;
    // no search is ready then. A literal text always compiles.
    bool compile(std::u32string_view text, const SearchOptions& options, SearchError* error = nullptr);
    bool ready() const;

    // The first match that starts at or after `from`; an empty match at `from` counts only when allowed.
    std::optional<TextMatch> next(std::string_view subject, std::size_t from, bool emptyAtFrom = true);
    // The last match that starts before `before`, as a scan from the start of its line finds it. Matches
    // that run past the line after the one holding `before` are seen only as far as that line.
    std::optional<TextMatch> previous(std::string_view subject, std::size_t before);
    // The match that starts exactly at `start`, if any.
    std::optional<TextMatch> at(std::string_view subject, std::size_t start);
    // Each match that starts in [from, to), left to right as replacing all takes them: no overlaps, never
    // two empty ones at one place. `found` returns false to stop. Returns where the scan would go on.
    std::size_t forEach(std::string_view subject, std::size_t from, std::size_t to,
                        const std::function<bool(const TextMatch&)>& found);
    // Appends the replacement for the match last found (by next() or at(), or the one forEach reports).
    void appendReplacement(std::string_view subject, const Replacement& r, std::string& out) const;

    // True when the last search gave up because the expression was too costly (PCRE2's limits).
    bool tooComplex() const { return m_tooComplex; }

private:
    struct Impl;
    std::optional<TextMatch> match(std::string_view subject, std::size_t from, std::uint32_t flags);

    std::unique_ptr<Impl> m;
    bool m_tooComplex = false;
};

}  // namespace oruvan
