#pragma once
// The characters of every line of a text, kept through its edits and counted only when first asked
// for: lines sit in blocks, each either counted (every line's characters and the block's total) or not
// yet. A count of many lines adds the totals of the blocks they cover, so the caret's section is counted
// in time that follows its blocks, not its bytes, once they are known.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/CharacterCount.h"

namespace oruvan {

class LineCounts {
public:
    // The characters of line n of the text as it is now.
    using CountLine = std::function<std::int64_t(long line)>;

    // Lines a block holds before it is split, and the most new lines of one edit counted at once (more
    // leave their block to be counted when next asked for).
    static constexpr long kBlockLines = 2048;

    // A text of `lines` lines, none counted.
    void reset(long lines);
    long lineCount() const { return m_lines; }

    // Lines [first, first + removed) gave way to `added` lines; `count` reads the text after the edit.
    void replaceLines(long first, long removed, long added, const CountLine& count);
    // Line n now has `delta` more characters (an edit inside it); nothing when its block is not counted.
    void addToLine(long line, std::int64_t delta);
    // Whether line n's block is counted, so addToLine keeps it right.
    bool counted(long line) const;

    // Lines [first, end), counting the blocks not counted yet; before each such block `more` (when given)
    // says whether there is time for it, and nothing is returned when there is not: the blocks counted so
    // far stay counted, so that asking again goes on where this left off.
    std::optional<TextCount> count(long first, long end, const CountLine& count,
                                   const std::function<bool()>& more = {});

private:
    struct Block {
        long lines = 0;
        bool counted = false;
        TextCount total;
        std::vector<std::int32_t> characters;  // of each line, when counted
    };
    // The block holding line n (the last for n == m_lines) and the first line of it.
    std::size_t blockOf(long line, long& blockFirst) const;
    void countBlock(Block& b, long first, const CountLine& count);
    void splitLarge(std::size_t i);

    std::vector<Block> m_blocks;
    long m_lines = 0;
};

}  // namespace oruvan
