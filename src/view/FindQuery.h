#pragma once
// What the find bar asks for: its search text and options, compiled, and compiled again only when they
// change. Finding, counting and marking all search with this one compiled search.
#include <string>

#include "platform/TextSearch.h"

namespace oruvan {

class FindBar;

class FindQuery {
public:
    explicit FindQuery(FindBar* bar) : m_bar(bar) {}

    // False when the bar's text or options differ from the compiled ones, or nothing valid is compiled.
    bool UpToDate() const;
    // Compiles the bar's search; the reason an expression is refused is shown in the bar.
    void Compile();
    // A valid, non-empty search is compiled.
    bool Ready() const { return m_ready; }
    // Ready with the bar open: its matches are counted and marked.
    bool Shown() const;
    TextSearch& Search() { return m_search; }

private:
    FindBar* m_bar;
    TextSearch m_search;
    bool m_ready = false;
    std::u32string m_text;
    SearchOptions m_options;
};

}  // namespace oruvan
