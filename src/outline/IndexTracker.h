#pragma once
// Keeps an index in step with the edits of its text: the lines each edit touched are noted, in the
// numbering of the text as it is now, so that bringing the index up to date rescans those lines alone
// and moves the other entries by the lines inserted or deleted above them. The result is the one a
// scan of the whole text gives.
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "outline/ChangeWindow.h"
#include "outline/HeadingScanner.h"
#include "outline/IndexEntry.h"

namespace oruvan {

// Entries [first, first + removed) of an index give way to `inserted`; the lines of the entries that
// follow, up to the next splice, move by lineDelta.
struct IndexSplice {
    std::size_t first = 0;
    std::size_t removed = 0;
    Index inserted;
    int lineDelta = 0;
};

// Applies splices made for `index` (in ascending order) to it.
void ApplySplices(Index& index, std::vector<IndexSplice> splices);

// Gives a vector kept item for item beside an index the shape the splices give the index: its items of
// kept entries stay, and each inserted entry gets `fresh`.
template <typename T>
void SpliceAlong(std::vector<T>& items, const std::vector<IndexSplice>& splices, const T& fresh) {
    std::vector<T> out;
    std::size_t at = 0;
    for (const IndexSplice& s : splices) {
        for (; at < s.first && at < items.size(); ++at) out.push_back(std::move(items[at]));
        out.insert(out.end(), s.inserted.size(), fresh);
        at += s.removed;
    }
    for (; at < items.size(); ++at) out.push_back(std::move(items[at]));
    items = std::move(out);
}

class IndexTracker {
public:
    // More separate stretches than this are left to a whole scan.
    static constexpr std::size_t kMaxSpans = 64;

    // The index was built from the text as it is now.
    void indexed();
    // The text as it is now is the one the next comparison refers to; the index stays as it was.
    void compared();
    // The text was replaced without reports: only a whole scan can bring the index up to date, and
    // whether the text changed is unknown.
    void lost();

    // Reports come before the text changes; the edit is accounted for once it is in place.
    void beforeInsert(const TextAccess& text, long pos, long length);
    void beforeDelete(const TextAccess& text, long pos, long length);

    // Whether the text equals the one of the last comparison; unknown after lost(), and after edits that
    // touched more than ChangeWindow keeps.
    std::optional<bool> unchanged(const TextAccess& text);
    // Whether the touched lines are known; update() needs them.
    bool linesTracked(const TextAccess& text);
    // Whether a whole scan is needed, or cheaper than rescanning the touched lines.
    bool wholeScanNeeded(const TextAccess& text);
    // The lines of [first, end) tested on their own bytes, as ScanHeadingsUtf8 takes them but numbered
    // in the whole text; asked for before those lines' text is read.
    using OwnBytes = std::function<LineBytesList(long first, long end)>;
    // The splices that bring `index` (built at the last indexed()) up to date, while linesTracked().
    // Only the touched lines' own bytes are asked for, so the cost follows the edits.
    std::vector<IndexSplice> update(const TextAccess& text, const Index& index, const HeadingRules& rules,
                                    const OwnBytes& ownBytes = {});

private:
    // Lines [oldFirst, oldEnd) of the indexed text are now lines [newFirst, newEnd).
    struct Span {
        long oldFirst, oldEnd, newFirst, newEnd;
    };
    struct Pending {
        long pos, inserted, linesBefore;
    };
    void begin(const TextAccess& text, long pos, long inserted);
    void settle(const TextAccess& text);
    void touched(long first, long oldEnd, long newEnd);

    ChangeWindow m_window;
    bool m_windowKnown = true;
    bool m_linesKnown = true;
    std::vector<Span> m_spans;  // ascending and apart
    std::optional<Pending> m_pending;
};

}  // namespace oruvan
