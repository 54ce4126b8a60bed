#include "outline/LineCounts.h"

#include <algorithm>

namespace oruvan {

namespace {

TextCount LineTotal(std::int64_t characters) {
    TextCount t;
    t.addLine(characters);
    return t;
}

}  // namespace

void LineCounts::reset(long lines) {
    m_blocks.clear();
    m_lines = std::max(0L, lines);
    for (long first = 0; first < m_lines; first += kBlockLines)
        m_blocks.push_back({std::min(kBlockLines, m_lines - first), false, {}, {}});
    if (m_blocks.empty()) m_blocks.push_back({});
}

std::size_t LineCounts::blockOf(long line, long& blockFirst) const {
    blockFirst = 0;
    for (std::size_t i = 0; i + 1 < m_blocks.size(); ++i) {
        if (line < blockFirst + m_blocks[i].lines) return i;
        blockFirst += m_blocks[i].lines;
    }
    return m_blocks.size() - 1;
}

bool LineCounts::counted(long line) const {
    long first = 0;
    return m_blocks[blockOf(line, first)].counted;
}

void LineCounts::countBlock(Block& b, long first, const CountLine& count) {
    b.characters.resize(static_cast<std::size_t>(b.lines));
    b.total = {};
    for (long i = 0; i < b.lines; ++i) {
        const std::int64_t n = count(first + i);
        b.characters[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(n);
        b.total += LineTotal(n);
    }
    b.counted = true;
}

void LineCounts::replaceLines(long first, long removed, long added, const CountLine& count) {
    first = std::clamp(first, 0L, m_lines);
    removed = std::clamp(removed, 0L, m_lines - first);
    long blockFirst = 0;
    std::size_t i = blockOf(first, blockFirst);
    // Removed lines leave the blocks they sit in, beginning with this one.
    for (long left = removed, at = first - blockFirst; left > 0;) {
        Block& b = m_blocks[i];
        const long take = std::min(left, b.lines - at);
        if (b.counted) {
            const auto from = b.characters.begin() + at;
            for (auto it = from; it != from + take; ++it) b.total -= LineTotal(*it);
            b.characters.erase(from, from + take);
        }
        b.lines -= take;
        left -= take;
        if (b.lines == 0 && m_blocks.size() > 1 && i != 0) {
            m_blocks.erase(m_blocks.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
        at = 0;
        if (i >= m_blocks.size()) break;
    }
    m_lines -= removed;
    i = blockOf(first, blockFirst);
    Block& b = m_blocks[i];
    const long at = first - blockFirst;
    if (b.counted && added <= kBlockLines) {
        std::vector<std::int32_t> fresh(static_cast<std::size_t>(added));
        for (long k = 0; k < added; ++k) {
            const std::int64_t n = count(first + k);
            fresh[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(n);
            b.total += LineTotal(n);
        }
        b.characters.insert(b.characters.begin() + at, fresh.begin(), fresh.end());
    } else if (b.counted) {
        b.counted = false;
        b.characters.clear();
        b.total = {};
    }
    b.lines += added;
    m_lines += added;
    // An emptied first block stays as the place where lines are added; drop it when others follow.
    if (m_blocks.size() > 1 && m_blocks.front().lines == 0) m_blocks.erase(m_blocks.begin());
    splitLarge(std::min(i, m_blocks.size() - 1));
}

void LineCounts::splitLarge(std::size_t i) {
    while (m_blocks[i].lines > 2 * kBlockLines) {
        Block& b = m_blocks[i];
        Block tail;
        tail.lines = b.lines - kBlockLines;
        tail.counted = b.counted;
        if (b.counted) {
            tail.characters.assign(b.characters.begin() + kBlockLines, b.characters.end());
            b.characters.resize(kBlockLines);
            for (std::int32_t n : tail.characters) tail.total += LineTotal(n);
            b.total -= tail.total;
        }
        b.lines = kBlockLines;
        m_blocks.insert(m_blocks.begin() + static_cast<long>(i) + 1, std::move(tail));
        ++i;
    }
}

void LineCounts::addToLine(long line, std::int64_t delta) {
    long blockFirst = 0;
    Block& b = m_blocks[blockOf(line, blockFirst)];
    if (!b.counted || line < blockFirst || line >= blockFirst + b.lines) return;
    std::int32_t& n = b.characters[static_cast<std::size_t>(line - blockFirst)];
    b.total -= LineTotal(n);
    n = static_cast<std::int32_t>(n + delta);
    b.total += LineTotal(n);
}

std::optional<TextCount> LineCounts::count(long first, long end, const CountLine& count,
                                           const std::function<bool()>& more) {
    TextCount total;
    first = std::clamp(first, 0L, m_lines);
    end = std::clamp(end, first, m_lines);
    long blockFirst = 0;
    for (Block& b : m_blocks) {
        const long blockEnd = blockFirst + b.lines;
        if (blockEnd > first && blockFirst < end) {
            if (!b.counted) {
                if (more && !more()) return std::nullopt;
                countBlock(b, blockFirst, count);
            }
            if (first <= blockFirst && blockEnd <= end) {
                total += b.total;
            } else {
                for (long n = std::max(first, blockFirst); n < std::min(end, blockEnd); ++n)
                    total += LineTotal(b.characters[static_cast<std::size_t>(n - blockFirst)]);
            }
        }
        blockFirst = blockEnd;
        if (blockFirst >= end) break;
    }
    return total;
}

}  // namespace oruvan
