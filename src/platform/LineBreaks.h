#pragma once
// Finding the breaks of UTF-8 text that holds each line's break as read: CR LF, a lone LF or a lone CR.
#include <algorithm>
#include <cstddef>
#include <string_view>

namespace oruvan {

// The end of the last break that ends within u[from, limit), npos when there is none. A CR at the limit
// takes its LF along.
inline std::size_t lastBreakEnd(std::string_view u, std::size_t from, std::size_t limit) {
    for (std::size_t j = std::min(limit, u.size()); j > from; --j) {
        const char c = u[j - 1];
        if (c == '\n') return j;
        if (c == '\r') return j < u.size() && u[j] == '\n' ? j + 1 : j;
    }
    return std::string_view::npos;
}

// The next break at or after `from`: its start (u.size() when none) and its length.
inline std::size_t nextBreak(std::string_view u, std::size_t from, std::size_t& length) {
    for (std::size_t j = from; j < u.size(); ++j) {
        if (u[j] == '\n') {
            length = 1;
            return j;
        }
        if (u[j] == '\r') {
            length = j + 1 < u.size() && u[j + 1] == '\n' ? 2 : 1;
            return j;
        }
    }
    length = 0;
    return u.size();
}

}  // namespace oruvan
