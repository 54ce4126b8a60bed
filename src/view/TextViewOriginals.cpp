// The original bytes of characters whose text does not give them back (a code that shares its character
// with another code, ISO-2022-JP not in canonical form): kept aside per run of characters, in a hidden
// indicator that the view moves along with every insertion and deletion, and written back wherever a
// run still holds the text they decode to. An edit drops only the runs it touches; its undo gives them
// back.
#include <QFile>
#include <algorithm>
#include <unordered_map>

#include "view/TextView.h"
#include "platform/DocumentBytes.h"
#include "platform/TextEncoding.h"

namespace oruvan {

namespace {

// Deletions that took kept runs, remembered for their undo; older ones are let go.
constexpr std::size_t kRemovedRunsKept = 256;

}  // namespace

void TextView::forgetAllOriginals() {
    if (m_keptCodes) fillKept(0, SendScintilla(SCI_GETLENGTH), 0);
    m_keptCodes.reset();
    m_pendingInsert = {};
    m_removedRuns.clear();
}

void TextView::fillKept(long position, long length, int value) const {
    if (length <= 0) return;
    SendScintilla(SCI_SETINDICATORCURRENT, kKeptIndicator);
    if (value == 0) {
        SendScintilla(SCI_INDICATORCLEARRANGE, static_cast<unsigned long>(position), length);
        return;
    }
    SendScintilla(SCI_SETINDICATORVALUE, value);
    SendScintilla(SCI_INDICATORFILLRANGE, static_cast<unsigned long>(position), length);
}

void TextView::trackEdit(long position, int modificationType, long length) {
    if (!m_keptCodes) return;
    settleEdit();
    if (length <= 0) return;
    if (modificationType & SC_MOD_BEFOREINSERT)
        m_pendingInsert = {position, length, (modificationType & SC_PERFORMED_UNDO) != 0};
    else if (modificationType & SC_MOD_BEFOREDELETE)
        noteRemovedRuns(position, length);
}

void TextView::noteRemovedRuns(long position, long length) {
    RemovedRuns removed{position, length, {}};
    for (long at = position; at < position + length;) {
        const long end = SendScintilla(SCI_INDICATOREND, kKeptIndicator, at);
        if (end <= at) break;
        if (const long value = SendScintilla(SCI_INDICATORVALUEAT, kKeptIndicator, at))
            removed.runs.push_back({at - position, std::min(end, position + length) - at, value});
        at = end;
    }
    // A change undo cannot bring back (SetSelText) leaves nothing to give back.
    if (removed.runs.empty() || !SendScintilla(SCI_GETUNDOCOLLECTION)) return;
    if (m_removedRuns.size() >= kRemovedRunsKept)
        m_removedRuns.erase(m_removedRuns.begin(), m_removedRuns.begin() + kRemovedRunsKept / 2);
    m_removedRuns.push_back(std::move(removed));
}

// An insertion is accounted for once it is in place: text inserted at the start of a run lengthens the
// run before it, and inside a run the run itself, but new text is never kept. Text that an undo puts
// back gets the runs its deletion took.
void TextView::settleEdit() const {
    const PendingInsert e = m_pendingInsert;
    if (e.length <= 0) return;
    m_pendingInsert = {};
    if (SendScintilla(SCI_INDICATORVALUEAT, kKeptIndicator, e.position)) fillKept(e.position, e.length, 0);
    if (!e.undo) return;
    for (auto it = m_removedRuns.rbegin(); it != m_removedRuns.rend(); ++it) {
        if (it->position != e.position || it->length != e.length) continue;
        for (const auto& [offset, length, value] : it->runs)
            fillKept(e.position + offset, length, static_cast<int>(value));
        m_removedRuns.erase(std::next(it).base());
        return;
    }
}

std::vector<KeptSpan> TextView::keptSpans(long start, long end) const {
    std::vector<KeptSpan> spans;
    if (!m_keptCodes) return spans;
    settleEdit();
    const std::vector<KeptCode>& codes = *m_keptCodes;
    for (long at = start; at < end;) {
        const long runEnd = SendScintilla(SCI_INDICATOREND, kKeptIndicator, at);
        if (runEnd <= at) break;
        const long value = SendScintilla(SCI_INDICATORVALUEAT, kKeptIndicator, at);
        if (value > 0 && static_cast<std::size_t>(value) <= codes.size()) {
            const KeptCode& code = codes[static_cast<std::size_t>(value) - 1];
            spans.push_back(
                {static_cast<std::size_t>(at), static_cast<std::size_t>(runEnd), code.bytes, code.text});
        }
        at = runEnd;
    }
    return spans;
}

TextView::KeptBytes TextView::OriginalsCopy() const {
    return {keptSpans(0, SendScintilla(SCI_GETLENGTH)), m_keptCodes};
}

std::vector<std::pair<int, std::string>> TextView::HeadingOwnBytes(long first, long end) const {
    std::vector<std::pair<int, std::string>> lines;
    if (m_encoding != Encoding::ShiftJis || !m_keptCodes) return lines;
    const long count = SendScintilla(SCI_GETLINECOUNT);
    const long from =
        first >= count ? SendScintilla(SCI_GETLENGTH) : SendScintilla(SCI_POSITIONFROMLINE, first);
    const long to = end >= count ? SendScintilla(SCI_GETLENGTH) : SendScintilla(SCI_POSITIONFROMLINE, end);
    const std::vector<KeptSpan> spans = keptSpans(from, to);
    for (auto it = spans.begin(); it != spans.end();) {
        // The runs of one line, from its start.
        const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(it->begin));
        const auto start = static_cast<std::size_t>(SendScintilla(SCI_POSITIONFROMLINE, line));
        const auto stop = static_cast<std::size_t>(SendScintilla(SCI_GETLINEENDPOSITION, line));
        const std::string_view text = Utf8Range(static_cast<long>(start), static_cast<long>(stop));
        std::vector<KeptSpan> own;
        bool held = false;
        for (bool first = true; it != spans.end() && (first || it->begin < stop); ++it, first = false) {
            if (it->end > stop) continue;
            own.push_back({it->begin - start, it->end - start, it->bytes, it->text});
            held = held || KeptRepeats(text.substr(own.back().begin, it->end - it->begin), it->text) > 0;
        }
        if (!held) continue;
        std::string bytes;
        EncodeKeeping(m_encoding, text, own, bytes);
        lines.emplace_back(static_cast<int>(line), std::move(bytes));
    }
    return lines;
}

void TextView::collectOriginals(QFile& file, const std::vector<NonCanonicalLine>& lines) {
    // A second look at the file, only for the lines whose bytes do not come back from their text: each
    // run of them gets the code of its bytes, the same bytes the same code.
    auto codes = std::make_shared<std::vector<KeptCode>>();
    m_keptCodes = codes;
    std::unordered_map<std::string, int> values;
    for (const NonCanonicalLine& l : lines) {
        if (!file.seek(static_cast<qint64>(l.begin))) break;
        // The line and the break after it, which keeps escape sequences on a line of their own.
        const QByteArray read = file.read(static_cast<qint64>(l.end - l.begin) + 2);
        if (read.size() < static_cast<qsizetype>(l.end - l.begin)) break;
        const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
        const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(l.line));
        for (const KeptRun& run : KeptRunsOfLine(m_encoding, l, bytes)) {
            auto [it, added] = values.try_emplace(run.bytes, static_cast<int>(codes->size()) + 1);
            if (added) codes->push_back({run.bytes, DecodeText(m_encoding, run.bytes)});
            fillKept(start + static_cast<long>(run.begin), static_cast<long>(run.end - run.begin),
                     it->second);
        }
    }
    if (codes->empty()) m_keptCodes.reset();
}

}  // namespace oruvan
