// The kept original codes as the view's callers see them (the runs themselves are KeptCodeMarks').
#include "platform/DocumentBytes.h"
#include "view/TextView.h"

namespace oruvan {

TextView::KeptBytes TextView::OriginalsCopy() const { return m_kept.copy(); }

std::vector<std::pair<int, std::string>> TextView::HeadingOwnBytes(long first, long end) const {
    std::vector<std::pair<int, std::string>> lines;
    if (m_encoding != Encoding::ShiftJis || !m_kept.any()) return lines;
    const long count = SendScintilla(SCI_GETLINECOUNT);
    const long from =
        first >= count ? SendScintilla(SCI_GETLENGTH) : SendScintilla(SCI_POSITIONFROMLINE, first);
    const long to = end >= count ? SendScintilla(SCI_GETLENGTH) : SendScintilla(SCI_POSITIONFROMLINE, end);
    const std::vector<KeptSpan> spans = m_kept.spans(from, to);
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

}  // namespace oruvan
