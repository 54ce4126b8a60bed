#pragma once
// The original bytes of characters whose text does not give them back (a code that shares its character
// with another code, ISO-2022-JP not in canonical form): kept per run of characters in a hidden indicator
// of the view's document, which moves them along with every insertion and deletion. An edit drops only
// the runs it touches; its undo gives them back.
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/KeptCodes.h"
#include "platform/TextDecoder.h"

class QFile;
class QsciScintillaBase;

namespace oruvan {

class KeptCodeMarks {
public:
    // A kept code: the bytes as read and the text they decode to.
    struct Code {
        std::string bytes;
        std::string text;
    };
    // The runs of text kept with their bytes as read (positions in the UTF-8 text), and the codes they
    // point into.
    struct Bytes {
        std::vector<KeptSpan> spans;
        std::shared_ptr<const std::vector<Code>> codes;
    };

    explicit KeptCodeMarks(QsciScintillaBase* view) : m_view(view) {}
    // Marks the runs of the lines whose bytes do not come back from their text, read again from file.
    void collect(QFile& file, Encoding encoding, const std::vector<NonCanonicalLine>& lines);
    void forgetAll();
    // Any runs at all (most documents have none).
    bool any() const { return m_codes != nullptr; }
    // Before an insertion or a deletion (the view's modification type and the edit's extent).
    void trackEdit(long position, int modificationType, long length);
    // Accounts for the insertion last tracked, now in place.
    void settleEdit() const;
    // Text deleted at `from` was inserted again at `to`, now in place: it gets back the runs the deletion
    // took, and so does a redo of the same move.
    void carry(long from, long to, long length);
    // The runs within [start, end) of the UTF-8 text.
    std::vector<KeptSpan> spans(long start, long end) const;
    Bytes copy() const;
    // The indicator the view hides them in.
    static constexpr int kIndicator = 22;

private:
    void noteRemovedRuns(long position, long length);
    void fill(long position, long length, int value) const;

    QsciScintillaBase* m_view;
    // The indicator's value less one is the run's code. None (null) in most documents.
    std::shared_ptr<const std::vector<Code>> m_codes;
    // An insertion is accounted for when the next edit comes or the runs are read.
    struct PendingInsert {
        long position = 0;
        long length = 0;  // 0: none pending
        bool undo = false;
        bool redo = false;
    };
    mutable PendingInsert m_pendingInsert;
    // Runs a deletion took, for its undo to give back: offsets from the deletion, lengths, values.
    struct RemovedRuns {
        long position;
        long length;
        std::vector<std::array<long, 3>> runs;
    };
    mutable std::vector<RemovedRuns> m_removedRuns;
    // Runs the deletion at `from` took that belong at `to` once the same text is inserted there.
    const RemovedRuns* removedAt(long position, long length) const;
    void refill(const RemovedRuns& runs, long position) const;
    struct Move {
        long from, to, length;
    };
    std::vector<Move> m_moves;  // redone moves give their runs back as the first move did
};

}  // namespace oruvan
