// Kept runs: marked in a hidden indicator as read, moved by the view with the text, settled after edits.
#include "view/KeptCodeMarks.h"

#include <Qsci/qsciscintillabase.h>

#include <QFile>
#include <algorithm>
#include <unordered_map>

#include "platform/DocumentBytes.h"
#include "platform/TextEncoding.h"

namespace oruvan {

namespace {

using Sci = QsciScintillaBase;

// Deletions that took kept runs, remembered for their undo; older ones are let go.
constexpr std::size_t kRemovedRunsKept = 256;

}  // namespace

void KeptCodeMarks::forgetAll() {
    if (m_codes) fill(0, m_view->SendScintilla(Sci::SCI_GETLENGTH), 0);
    m_codes.reset();
    m_pendingInsert = {};
    m_removedRuns.clear();
    m_moves.clear();
}

void KeptCodeMarks::fill(long position, long length, int value) const {
    if (length <= 0) return;
    m_view->SendScintilla(Sci::SCI_SETINDICATORCURRENT, kIndicator);
    if (value == 0) {
        m_view->SendScintilla(Sci::SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(position), length);
        return;
    }
    m_view->SendScintilla(Sci::SCI_SETINDICATORVALUE, value);
    m_view->SendScintilla(Sci::SCI_INDICATORFILLRANGE, static_cast<unsigned long>(position), length);
}

void KeptCodeMarks::trackEdit(long position, int modificationType, long length) {
    if (!m_codes) return;
    settleEdit();
    if (length <= 0) return;
    if (modificationType & Sci::SC_MOD_BEFOREINSERT)
        m_pendingInsert = {position, length, (modificationType & Sci::SC_PERFORMED_UNDO) != 0,
                           (modificationType & Sci::SC_PERFORMED_REDO) != 0};
    else if (modificationType & Sci::SC_MOD_BEFOREDELETE)
        noteRemovedRuns(position, length);
}

void KeptCodeMarks::noteRemovedRuns(long position, long length) {
    RemovedRuns removed{position, length, {}};
    for (long at = position; at < position + length;) {
        const long end = m_view->SendScintilla(Sci::SCI_INDICATOREND, kIndicator, at);
        if (end <= at) break;
        if (const long value = m_view->SendScintilla(Sci::SCI_INDICATORVALUEAT, kIndicator, at))
            removed.runs.push_back({at - position, std::min(end, position + length) - at, value});
        at = end;
    }
    // A change undo cannot bring back (SetSelText) leaves nothing to give back.
    if (removed.runs.empty() || !m_view->SendScintilla(Sci::SCI_GETUNDOCOLLECTION)) return;
    if (m_removedRuns.size() >= kRemovedRunsKept)
        m_removedRuns.erase(m_removedRuns.begin(), m_removedRuns.begin() + kRemovedRunsKept / 2);
    m_removedRuns.push_back(std::move(removed));
}

// An insertion is accounted for once it is in place: text inserted at the start of a run lengthens the
// run before it, and inside a run the run itself, but new text is never kept. Text that an undo puts
// back gets the runs its deletion took.
void KeptCodeMarks::settleEdit() const {
    const PendingInsert e = m_pendingInsert;
    if (e.length <= 0) return;
    m_pendingInsert = {};
    if (m_view->SendScintilla(Sci::SCI_INDICATORVALUEAT, kIndicator, e.position))
        fill(e.position, e.length, 0);
    if (e.redo) {
        for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
            if (it->to == e.position && it->length == e.length) {
                if (const RemovedRuns* runs = removedAt(it->from, it->length)) refill(*runs, e.position);
                return;
            }
    }
    if (!e.undo) return;
    for (auto it = m_removedRuns.rbegin(); it != m_removedRuns.rend(); ++it) {
        if (it->position != e.position || it->length != e.length) continue;
        refill(*it, e.position);
        m_removedRuns.erase(std::next(it).base());
        return;
    }
}

const KeptCodeMarks::RemovedRuns* KeptCodeMarks::removedAt(long position, long length) const {
    for (auto it = m_removedRuns.rbegin(); it != m_removedRuns.rend(); ++it)
        if (it->position == position && it->length == length) return &*it;
    return nullptr;
}

void KeptCodeMarks::refill(const RemovedRuns& runs, long position) const {
    for (const auto& [offset, length, value] : runs.runs) fill(position + offset, length, static_cast<int>(value));
}

void KeptCodeMarks::carry(long from, long to, long length) {
    if (!m_codes) return;
    settleEdit();
    // Kept, not used up: undoing the deletion gives the runs back at `from` too.
    if (const RemovedRuns* runs = removedAt(from, length)) refill(*runs, to);
    if (m_moves.size() >= kRemovedRunsKept) m_moves.erase(m_moves.begin(), m_moves.begin() + kRemovedRunsKept / 2);
    m_moves.push_back({from, to, length});
}

std::vector<KeptSpan> KeptCodeMarks::spans(long start, long end) const {
    std::vector<KeptSpan> found;
    if (!m_codes) return found;
    settleEdit();
    const std::vector<Code>& codes = *m_codes;
    for (long at = start; at < end;) {
        const long runEnd = m_view->SendScintilla(Sci::SCI_INDICATOREND, kIndicator, at);
        if (runEnd <= at) break;
        const long value = m_view->SendScintilla(Sci::SCI_INDICATORVALUEAT, kIndicator, at);
        if (value > 0 && static_cast<std::size_t>(value) <= codes.size()) {
            const Code& code = codes[static_cast<std::size_t>(value) - 1];
            found.push_back(
                {static_cast<std::size_t>(at), static_cast<std::size_t>(runEnd), code.bytes, code.text});
        }
        at = runEnd;
    }
    return found;
}

KeptCodeMarks::Bytes KeptCodeMarks::copy() const {
    return {spans(0, m_view->SendScintilla(Sci::SCI_GETLENGTH)), m_codes};
}

void KeptCodeMarks::collect(QFile& file, Encoding encoding, const std::vector<NonCanonicalLine>& lines) {
    // A second look at the file, only for the lines whose bytes do not come back from their text: each
    // run of them gets the code of its bytes, the same bytes the same code.
    auto codes = std::make_shared<std::vector<Code>>();
    m_codes = codes;
    std::unordered_map<std::string, int> values;
    for (const NonCanonicalLine& l : lines) {
        if (!file.seek(static_cast<qint64>(l.begin))) break;
        // The line and the break after it, which keeps escape sequences on a line of their own.
        const QByteArray read = file.read(static_cast<qint64>(l.end - l.begin) + 2);
        if (read.size() < static_cast<qsizetype>(l.end - l.begin)) break;
        const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
        const long start =
            m_view->SendScintilla(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(l.line));
        for (const KeptRun& run : KeptRunsOfLine(encoding, l, bytes)) {
            auto [it, added] = values.try_emplace(run.bytes, static_cast<int>(codes->size()) + 1);
            if (added) codes->push_back({run.bytes, DecodeText(encoding, run.bytes)});
            fill(start + static_cast<long>(run.begin), static_cast<long>(run.end - run.begin), it->second);
        }
    }
    if (codes->empty()) m_codes.reset();
}

}  // namespace oruvan
