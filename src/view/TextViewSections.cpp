// Edits that treat a run of lines as a unit: a section moved past its neighbour, its marks replaced.
#include "view/TextView.h"

namespace oruvan {

long TextView::SwapLineRuns(int first, int middle, int end) {
    const long lines = Utf8LineCount();
    const auto start = [&](long line) { return line >= lines ? Utf8Length() : Utf8LineStart(line); };
    const long a = start(first), b = start(middle);
    long c = start(end);
    if (a >= b || b >= c) return a;
    SendScintilla(SCI_BEGINUNDOACTION);
    // The second run ends the text without a break: once it is no longer last it needs one.
    const char last = static_cast<char>(SendScintilla(SCI_GETCHARAT, c - 1));
    if (c == Utf8Length() && last != '\n' && last != '\r') {
        const std::string_view brk = LineBreakText(m_breakStyle);
        SendScintilla(SCI_INSERTTEXT, c, std::string(brk).c_str());
        c += static_cast<long>(brk.size());
    }
    long movedFrom = 0, movedTo = 0, length = 0;
    if (b - a <= c - b) {  // the first run goes after the second
        movedFrom = a;
        length = b - a;
        movedTo = c - length;
    } else {  // the second run goes before the first
        movedFrom = b;
        length = c - b;
        movedTo = a;
    }
    std::string text;
    AppendUtf8(movedFrom, movedFrom + length, text);
    SendScintilla(SCI_DELETERANGE, movedFrom, length);
    // By length: the text may hold NUL bytes.
    SendScintilla(SCI_SETTARGETRANGE, movedTo, movedTo);
    SendScintilla(SCI_REPLACETARGET, length, text.c_str());
    m_kept.carry(movedFrom, movedTo, length);
    SendScintilla(SCI_ENDUNDOACTION);
    return a + (c - b);
}

std::pair<long, long> TextView::Utf8Selection() const {
    return {SendScintilla(SCI_GETSELECTIONSTART), SendScintilla(SCI_GETSELECTIONEND)};
}

void TextView::SetCaretUtf8(long pos) { SendScintilla(SCI_SETEMPTYSELECTION, pos); }

void TextView::ScrollToCaret() { SendScintilla(SCI_SCROLLCARET); }

void TextView::ReplaceRanges(const std::vector<Replacement>& replacements) {
    SendScintilla(SCI_BEGINUNDOACTION);
    // From the last, so that the positions of the others stay as given.
    for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
        SendScintilla(SCI_SETTARGETRANGE, it->start, it->end);
        SendScintilla(SCI_REPLACETARGET, static_cast<long>(it->utf8.size()), it->utf8.c_str());
    }
    SendScintilla(SCI_ENDUNDOACTION);
}

}  // namespace oruvan
